#pragma once
// Base style, colours and fonts applied by every UI host.
void ApplyBaseStyle();
// Loads the three fonts (each with the icon font merged) into UiState; relative
// paths "Data/Fonts/...", so they are looked up in the current folder.
bool LoadUiFonts();
