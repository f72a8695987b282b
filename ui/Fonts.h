#pragma once
// The two interface fonts, one family in regular and bold, built from what
// the interface can draw: Latin-1, Latin Extended-A, every letter of the
// catalogue, the letters of the game folder path and the few icons the panels
// use, at the interface scale.
#include <string>

// Clears the font atlas and adds the fonts; false, after logging and falling
// back to the library's own font, when a font file is missing.
bool BuildUiFonts();
// True when the atlas was built for another scale, or the game folder path
// holds a letter that the atlas lacks.
bool UiFontsOutdated();
