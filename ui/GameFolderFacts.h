#pragma once
// What the interface shows of the game folder beyond its path: whether the
// weather add-on is installed, and what the change record says the program
// installed. The folder is looked at once, then again only when the folder
// changes, the window has come back into focus (the add-on is installed, or
// the game verified, from outside while the program runs) or an install or
// restore has ended; not on every frame.
#include "shaders/InstalledState.h"

bool WeatherAddOnShown();
InstalledState InstalledShown();
// The next question looks at the game folder again.
void RecheckGameFolder();
