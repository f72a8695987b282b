#pragma once
// The live preview of the image settings, drawn above the "hdrbloom" and
// "imagecolors" sections: the picture after the post chain, a line to drag
// for comparing it with the picture before, and a button to load a
// screenshot in place of the built-in scene.
#include "preview/PostChain.h"

void PreviewPanel();

// True while the preview is computed or a fresh result waits to be drawn:
// the frame should be drawn again soon.
bool PreviewNeedsRedraw();

// What the panel shows, for checks.
struct PreviewShown {
    int width = 0;  // of the picture, 0 before the first frame
    int height = 0;
    bool screenshot = false;     // a loaded screenshot rather than the built-in scene
    bool hasResult = false;      // a computed picture is shown
    PostChainSettings settings;  // those it was computed with
    float split = 0.5f;          // the compare line, 0 (all after) to 1 (all before)
};
PreviewShown PreviewPanelShown();
// Drops the panel's pictures and textures (the next frame starts afresh).
void ResetPreviewPanel();
