#pragma once
// What the change record in the game folder says is installed, read for the
// interface: one small file, cheap enough to ask whenever the window comes
// back into focus. The restore reads the record itself.
#include <string>

struct InstalledState {
    bool recordReadable = true;  // false: a record is there but cannot be read
    int effects = 0;             // game shader files the record says the program wrote
};

InstalledState ReadInstalledState(const std::u16string& gamePath);
