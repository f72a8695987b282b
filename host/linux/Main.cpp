#include "host/Startup.h"

int main() { return RunVantrel(); }
