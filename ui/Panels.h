#pragma once
// The parts of one frame, each drawn by its own file.

// Menu bar of the main window; false when the user chose "quit".
bool DrawMenuBar();
// Logo, status, game folder line and change-folder button; false when no
// game folder is set (nothing more is drawn then).
bool DrawHeader(bool shadersOutdated);
void DrawInstallAndRestoreButtons(bool shadersOutdated);

// The second and third tab.
void PresetManagerTab();
void LauncherTab();

// Declares the popups at the top level of the frame, each followed by the
// check of its request flag.
void DeclarePopups();
void DrawAboutContent();

