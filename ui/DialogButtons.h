#pragma once
// The buttons at the foot of a popup, gathered on its right in the order of
// Windows dialogs: the default action first, Cancel last. The default is
// bold on the accent colour. Enter presses the button that holds the keyboard
// focus, else the default; Escape presses the cancel button. Keys act only in
// the popup on top and never while a text is typed.
#include <string>
#include <vector>

struct DialogButton {
    std::string label;  // with its "##key"
    bool enabled = true;
};
constexpr int kNoButton = -1;
// Returns the index of the button pressed in this frame, or kNoButton.
// defaultIndex or cancelIndex may be kNoButton: no key presses it then.
int DialogButtons(const std::vector<DialogButton>& buttons, int defaultIndex, int cancelIndex);
