#pragma once
// What the install and restore show of themselves: the install's progress
// while it runs, and below a result the failed effect with the compiler's
// words, the effects whose game file was kept, and the restore's counts and
// the files it could not put back.
void DrawInstallProgress();
void DrawInstallFailure();
void DrawKeptEffects();
void DrawRestoreCounts();
