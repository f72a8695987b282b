#pragma once
// Actions that the menu bar shares with the header and the tabs.

// The project's page, where problems are reported, and its page of presets to download.
inline constexpr const char* kProjectPageAddress = "https://github.com/quillstone/vantrel";
inline constexpr const char* kPresetPageAddress = "https://github.com/quillstone/vantrel/wiki/Presets";

// Starts restoring the stock shaders on the install's worker behind the
// progress popup; its end is collected like an install's.
void RunRestoreFlow();
// Once a running install or restore has ended: applies its outcome (the
// settings file is saved when it succeeded, the result line logged) and
// requests its status popup. Called at the start of every frame.
void CollectInstallResult();
// At exit: lets a running install or restore end the step it is in (no file
// is left half-copied in the game folder) and keeps its outcome as a frame would;
// stops the preview's worker, whose threads must not outlive the program.
void EndWorkBeforeExit();
// Asks for a preset file, loads it, saves the settings file and marks the
// shaders outdated; true when a file was chosen.
bool ImportPresetFromDialog();
// Asks where to write a preset and writes it there (the settings file is not written).
void ExportPresetFromDialog();
