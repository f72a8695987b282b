#pragma once
// Install and restore of the enhanced shader set, and the outcome of the last
// run of each.
#include <string>
#include <vector>

struct ShaderInstaller {
    bool installOK = false;
    bool forcedTSX = false;
    bool forcedBloom = false;
    bool restoreOK = false;

    // Last install: effects put into the game folder of those compiled, and
    // the effects whose game file was kept because the new one lacks part
    // of the game's interface.
    int effectsInstalled = 0;
    int effectsCompiled = 0;
    std::vector<std::u16string> keptEffects;

    // Last restore: game files put back from their originals (or the shipped
    // folder), files removed because the game had none, files left alone
    // because they changed after the install, and files that could not be
    // put back (restoreOK is false exactly when there is one).
    int filesRestored = 0;
    int filesRemoved = 0;
    int filesLeftAlone = 0;
    std::vector<std::u16string> filesNotRestored;

    static ShaderInstaller& Instance();
    static bool Install();
    static bool Restore();
    static void GetInstallResult(bool& installOK, bool& forcedTSX, bool& forcedBloom);
    static bool RestoreSucceeded();
};
