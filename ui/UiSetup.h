#pragma once
// The steps of UI initialisation that every UI host shares. A host calls
// CreateUiContext, starts its platform and renderer backends, calls
// LoadUiResources and then loads the logo into UiState().logoTexture.

// The UI library's context, without a layout file anywhere.
void CreateUiContext();
// Base style, the three fonts, the localization catalogue, and the first-run
// notice request when the settings file does not exist yet.
void LoadUiResources();
