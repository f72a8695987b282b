#include "settings/Settings.h"

#include "app/AppPaths.h"
#include "settings/SettingsTable.h"

ShaderSettings::ShaderSettings() {
    for (const ParamDesc& param : ShaderParamTable()) ApplyDefault(*this, param);
}

Settings& Settings::Instance() {
    static Settings* instance = new Settings();  // lives to the end of the process
    return *instance;
}

void Settings::RestoreShaderDefaults() {
    Shader = ShaderSettings();
    NeedShadersUpdate = true;
}

bool Settings::ShadersOutdated() const { return ShadersVersion != APP_VERSION || NeedShadersUpdate; }
