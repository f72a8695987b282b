#include "ui/UiState.h"

UiStateRecord& UiState() {
    static UiStateRecord* state = new UiStateRecord();  // lives to the end of the process
    return *state;
}
