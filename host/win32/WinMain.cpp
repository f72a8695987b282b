// The Windows entry point: no arguments and no show-command are used.
#include <windows.h>

#include "host/Startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return RunVantrel(); }
