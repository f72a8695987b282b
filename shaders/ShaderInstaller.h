#pragma once
// Install and restore of the enhanced shader set, and the outcome of the last
// run of each.
struct ShaderInstaller {
    bool installOK = false;
    bool forcedTSX = false;
    bool forcedBloom = false;
    bool restoreOK = false;

    static ShaderInstaller& Instance();
    static bool Install();
    static bool Restore();
    static void GetInstallResult(bool& installOK, bool& forcedTSX, bool& forcedBloom);
    static bool RestoreSucceeded();
};
