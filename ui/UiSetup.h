#pragma once
// The steps of UI initialisation that every UI host shares. A host calls
// CreateUiContext, starts its platform and renderer backends, calls
// LoadUiResources and then loads the logo into UiState().logoTexture. Before
// each frame it asks UiLookOutdated and, when true, drops its font texture,
// calls RebuildUiLook and uploads the new atlas.
#include <string>

#include "settings/Settings.h"

// The UI library's context, without a layout file anywhere, with keyboard
// navigation (Escape closes menus).
void CreateUiContext();
// Base style, the localization catalogue, and the first-run notice request
// when the settings file does not exist yet. The fonts are built before the
// first frame, when the game folder of the settings file is known.
void LoadUiResources();
// An unreadable settings file set aside at start-up: the window says the
// settings are the defaults, and where the old file went.
void TellOfSettingsLoad(const SettingsFileLoad& load);

// The interface scale of the display (1 at 96 DPI) and the ratio of drawable
// pixels to window units; takes effect before the next frame.
void SetUiScale(float scale, float pixelDensity = 1.0f);
// Scale from a display's DPI: steps of a quarter, never below 1, so that an
// ordinary monitor whose reported size is slightly off stays at 1.
float UiScaleForDpi(float dpi);
// True before the first frame, after a scale change, and when the game
// folder holds letters the font atlas lacks.
bool UiLookOutdated();
// Style sizes and fonts for the current scale (outside a frame only).
void RebuildUiLook();
