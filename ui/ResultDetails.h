#pragma once
// The details the install and restore status popups add below their result:
// the effects whose game file was kept, and the restore's counts and the
// files it could not put back.
void DrawKeptEffects();
void DrawRestoreCounts();
