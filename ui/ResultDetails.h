#pragma once
// What the install and restore show of themselves: the progress while one
// runs, and below a result what it means for the player: why an install
// failed (a text per cause, the failed effect with the compiler's words) and
// what it left in the game folder, the later steps that failed after the
// effects went in, the effects whose game file was kept, and the restore's
// counts and the files it could not put back, each with its cause.
void DrawInstallProgress();
void DrawInstallFailure();
void DrawInstallWarnings();
void DrawKeptEffects();
void DrawRestoreCounts();
