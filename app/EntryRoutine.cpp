// The whole run: start-up, main loop, shutdown. Shared by the Linux main()
// and the Windows wWinMain.
#include "app/Log.h"
#include "app/Platform.h"
#include "app/Startup.h"
#include "ui/Actions.h"
#include "ui/Frame.h"

int RunVantrel() {
    if (!StartUpPaths()) return 1;
    if (!UiHostCreateDisplay()) {
        Log("Failed to initialize display");
        return 1;
    }
    StartUpDiscoverGame();
    if (!UiHostInitialise()) {
        Log("Failed to initialize UI");
        return 1;
    }
    StartUpLoadSettings();

    for (;;) {
        const PumpResult pumped = UiHostPumpMessage();
        if (pumped == PumpResult::Quit) break;
        if (pumped == PumpResult::Handled) continue;
        if (UiHostHasFocus()) {
            RenderUiFrame();
            PlatformSleep(30);
        } else {
            PlatformSleep(60);
        }
    }
    // Closing the window during an install waits for the step it is in.
    EndInstallBeforeExit();
    UiHostShutdown();
    return 0;
}
