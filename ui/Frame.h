#pragma once
// One frame of the main window: popups, menu bar, the bar with the status
// and Install, tabs.
void RenderUiFrame();
// True while something the frame shows changes without any input, so the main
// loop must keep drawing; otherwise it draws only after input, an expose or
// a resize (and a few frames after them).
bool FrameNeedsRedraw();
// Told on every turn of the main loop whether the window has the focus: on
// its return, what the frame shows from the game folder is looked at again.
void NoteWindowFocus(bool focused);
