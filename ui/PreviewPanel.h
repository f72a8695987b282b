#pragma once
// The live preview of the settings the built-in scene can show (sky, fog,
// light glow, depth of field, edge smoothing, HDR and bloom, image colours):
// the picture after the preview's steps, computed at the size it is shown, a
// line to drag for comparing it with the picture before, a button to hold
// for the whole picture before, an enlarged view computed at up to full
// size, and a button to load a screenshot in place of the built-in scene.
#include "settings/Settings.h"
#include "settings/SettingsTable.h"

void PreviewPanel();

// True while the preview is computed or a fresh result waits to be drawn:
// the frame should be drawn again soon.
bool PreviewNeedsRedraw();

// True when the preview shows what the parameters of this preview step do,
// for the picture loaded now (a screenshot shows only edge smoothing and the
// post chain). For the marker beside a section's header.
bool PreviewShowsPass(PreviewPass pass);

// What the panel shows, for checks.
struct PreviewShown {
    int width = 0;  // of the picture at full size, 0 before the first frame
    int height = 0;
    int computedWidth = 0;  // of the picture shown, as computed
    int computedHeight = 0;
    bool screenshot = false;   // a loaded screenshot rather than the built-in scene
    bool hasResult = false;    // a computed picture is shown
    bool enlarged = false;     // the enlarged view is open
    bool beforeHeld = false;   // the compare button is held: the whole picture shows before
    ShaderSettings settings;   // those it was computed with
    float split = 0.5f;        // the compare line, 0 (all after) to 1 (all before)
};
PreviewShown PreviewPanelShown();
// Drops the panel's pictures and textures (the next frame starts afresh).
void ResetPreviewPanel();
