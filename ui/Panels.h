#pragma once
// The parts of one frame, each drawn by its own file.

// Menu bar of the main window, and the shortcuts its menus show.
void DrawMenuBar();
void HandleShortcuts();
// The bar that never scrolls away: status, game folder, Restore and Install;
// false when no game folder is set (nothing more is drawn then).
bool DrawTopBar(bool shadersOutdated);

// The second and third tab.
void PresetManagerTab();
void LauncherTab();

// Declares the popups at the top level of the frame, each followed by the
// check of its request flag.
void DeclarePopups();
void DrawAboutContent();
