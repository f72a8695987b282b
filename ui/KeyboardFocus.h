#pragma once
// Tab and Shift+Tab move the keyboard focus through every control, in the
// order they are drawn, within the window or within the popup on top (the
// UI library of this version tabs only into text fields). Space then presses
// a focused button or switch, Enter types into a focused slider, and the
// arrows move between controls as before.

// At the start of a frame's content, after the library's frame has begun:
// acts on a Tab against the controls of the frame before, and keeps the
// library's own tabbing out of the frame. EndKeyboardFocus closes it.
void BeginKeyboardFocus();
void EndKeyboardFocus();
// After a control: it takes its turn in the order (unless it is disabled).
void FocusStop();
// The last control drawn holds the keyboard focus, and shows it.
bool HasVisibleKeyboardFocus();
