#pragma once
// The questions before what cannot be taken back: putting the game's own
// shaders back, and setting every parameter back to its default. Each says
// what will happen; the one closing the window is in WindowClose.h.
void DrawRestoreQuestion();
void DrawDefaultsQuestion();
