// The whole run: start-up, main loop, shutdown. Shared by the Linux main()
// and the Windows wWinMain.
#include <string>
#include <vector>

#include "app/Log.h"
#include "app/Platform.h"
#include "host/CommandLineJobs.h"
#include "host/Startup.h"
#include "ui/Actions.h"
#include "ui/Frame.h"
#include "ui/UiHost.h"
#include "ui/UiSetup.h"

namespace {

// Frames drawn after the last input or expose: a popup asked for by a click
// opens in the next frame and is measured in the one after, and hover and
// press states settle within a couple more.
constexpr int kFramesAfterActivity = 8;
constexpr unsigned kFocusedPacing = 30;
constexpr unsigned kBackgroundPacing = 60;

// Logs the failure and tells the user, who would otherwise see nothing.
int StartFailed(const char* logLine) {
    Log(logLine);
    PlatformReportFatalError(std::string("Vantrel could not start: ") + logLine + ".");
    return 1;
}

// Draws while something happens and for a few frames after, at most once
// every 30 ms while focused; otherwise waits for the next message with that
// pacing as the longest wait. Without focus nothing is drawn except once
// after the window was exposed or resized, or while work beside the frame
// runs, and the loop wakes every 60 ms.
void MainLoop() {
    int framesLeft = kFramesAfterActivity;
    for (;;) {
        const PumpResult pumped = UiHostPumpMessage();
        if (pumped == PumpResult::Quit) return;
        if (pumped == PumpResult::Handled) continue;
        const RedrawNeed need = UiHostTakeRedrawNeed();
        if (need.input || need.exposed) framesLeft = kFramesAfterActivity;
        const bool focused = UiHostHasFocus();
        NoteWindowFocus(focused);
        if (focused) {
            if (FrameNeedsRedraw()) framesLeft = kFramesAfterActivity;
            if (framesLeft > 0) {
                RenderUiFrame();
                --framesLeft;
                PlatformSleep(kFocusedPacing);
            } else {
                UiHostWaitForMessage(kFocusedPacing);
            }
        } else {
            // A running install still shows its progress, and its result
            // when it ends, behind another window.
            if (need.exposed || FrameNeedsRedraw()) RenderUiFrame();
            framesLeft = 0;
            PlatformSleep(kBackgroundPacing);
        }
    }
}

}  // namespace

int RunVantrel(const std::vector<std::u16string>& arguments) {
    const CommandLineJob job = ReadCommandLine(arguments);
    if (job.kind != CommandLineJobKind::Window) return RunCommandLineJob(job);
    if (!StartUpPaths()) return 1;
    if (!UiHostCreateDisplay()) return StartFailed("Failed to initialize display");
    StartUpDiscoverGame();
    if (!UiHostInitialise()) return StartFailed("Failed to initialize UI");
    TellOfSettingsLoad(StartUpLoadSettings());
    MainLoop();
    // Closing the window waits for the install's step and stops the preview.
    EndWorkBeforeExit();
    UiHostShutdown();
    return 0;
}
