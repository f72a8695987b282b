#pragma once
#include "settings/Settings.h"

// Closing the window: its close button, Alt+F4 and the File menu's Quit. With
// edits not yet installed (the parameters differ from what the settings file
// holds) it asks first: "Install now" (install, then close once it
// succeeded), "Keep for next time" (save them, marked for an install),
// "Discard" (close without saving) or Cancel. Closing while an install runs
// lets it end the step it is in, then asks the same.

// Asked by the UI host when the window is to close: true when it may close
// now; otherwise the question opens and the window closes when it is answered.
bool WindowMayClose();
// The File menu's Quit: as the window's close button.
void CloseWindowAsked();
// An install started from the question has ended: the window closes when it
// succeeded; otherwise it stays open with the install's result.
void InstallBeforeCloseEnded(bool succeeded);
// How many of the 54 parameters differ between two records.
int ParametersDiffering(const ShaderSettings& a, const ShaderSettings& b);
// The question's content, in its popup.
void DrawCloseQuestion();
