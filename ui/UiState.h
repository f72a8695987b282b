#pragma once
// The UI's long-lived record: fonts, logo, popup request flags and the
// parameter help.
#include <string>

#include <imgui.h>

struct UiStateRecord {
    // One family: the regular face for text and controls, the bold one for
    // section headers, tab labels, popup titles and the default button.
    ImFont* FontRegular = nullptr;
    ImFont* FontBold = nullptr;
    ImFont* FontMono = nullptr;  // compiler messages
    ImTextureID logoTexture = nullptr;

    // Interface scale from the display's DPI (1 at 96 DPI): style sizes, fonts
    // and the fixed pixel sizes of the panels grow with it. pixelDensity is the
    // ratio of drawable pixels to window units (above 1 where the system
    // scales windows itself); fonts are rasterised that much finer.
    float scale = 1.0f;
    float pixelDensity = 1.0f;

    bool aboutRequested = false;
    bool importantNoticeRequested = false;
    bool parameterHelpRequested = false;
    bool wrongGamePathRequested = false;
    bool installResultsRequested = false;
    bool restoreResultsRequested = false;
    bool compileWarningRequested = false;
    bool presetImportedRequested = false;
    bool presetRefusedRequested = false;
    bool settingsUnreadableRequested = false;
    std::string settingsKeptAs;  // where an unreadable settings file was kept; empty: it could not be
    bool installProgressRequested = false;
    // The questions before what cannot be taken back, and before closing
    // with edits not yet installed.
    bool restoreQuestionRequested = false;
    bool defaultsQuestionRequested = false;
    bool closeQuestionRequested = false;
    // A short notice: the user guide could not be opened.
    bool guideMissingRequested = false;

    // The help popup: the parameter's label (in its title) and its text.
    std::string parameterHelpName;
    std::string parameterHelpText;
    std::string presetRefusal;  // why the last preset was refused, in the current language

    // Closing the window (WindowClose.h).
    struct Closing {
        bool decided = false;           // the window closes without asking again
        bool installThenClose = false;  // "Install now" was chosen
        int changed = 0;                // the parameters the question is about
        bool saveFailed = false;        // "Keep for next time" could not write the file
    } closing;
    // The slider being typed into, one at a time (ParamRow.cpp).
    struct Typing {
        ImGuiID slider = 0;
        char text[32] = {};
        char opened[32] = {};           // the text it opened with
        bool focusAsked = false;        // the field was asked to take the keyboard
        int framesWaiting = 0;          // until it has
        float valueBeforePress = 0.0f;  // a double-click's first press moved the slider already
    } typing;
    // The row the pointer rests on, and since when: its help shows after a moment.
    struct Resting {
        ImGuiID row = 0;
        double since = 0.0;
        bool seenThisFrame = false;
        bool pending = false;  // a tooltip waits to show
    } resting;
};

UiStateRecord& UiState();
