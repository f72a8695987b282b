#pragma once
// The preset and launcher tabs, the eight popups, and the actions the menu
// shares with them.
void PresetManagerTab();
void LauncherTab();
// Declares the eight popups at the top level of the frame, each followed by
// the check of its request flag.
void DeclarePopups();

void RunRestoreFlow();
// Asks for a preset file and loads it; true when one was chosen.
bool ImportPresetFromDialog();
void ExportPresetFromDialog();
