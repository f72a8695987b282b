#include "shaders/SkyOverride.h"

#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Text.h"
#include "settings/Settings.h"

const char* const kSkyOverrideBaseBlock =
    "# we're single threaded, saves on mutex overhead\n"
    "enable-thread-safety = no\n"
    "\n"
    "# supposedly not worth the extra cost :\n"
    "use-cloud-backdrops = no\n"
    "\n"
    "# not using, doesn't look that good\n"
    "disable-lens-flare = yes\n"
    "\n"
    "# want a blue tint in ambient\n"
    "force-monochrome-ambient = yes\n"
    "\n"
    "# use hi - res tex for cirrus clouds\n"
    "cirrus-hires = yes\n"
    "\n"
    "# to avoid shadows when there are clearly no clouds\n"
    "stratus-handle-broken-visibility = yes\n"
    "\n"
    "# just in case\n"
    "enable-cloud-layer-culling = yes\n"
    "\n"
    "# precipitation\n"
    "apply-fog-from-cloud-precipitation = yes\n"
    "\n"
    "# rain\n"
    "rain-streak-camera-coords = yes\n"
    "rain-volume-radius = 10.0\n"
    "rain-streak-width-multiplier = 5.0\n"
    "rain-streak-frame-time = 0.02\n"
    "rain-constant-alpha = 0.1\n"
    "rain-velocity-factor = 2.0\n"
    "\n"
    "rain-length-scale64 = 3.0\n"
    "rain-constant-alpha64 = 0.2\n"
    "\n"
    "# sleet\n"
    "sleet-streak-camera-coords = yes\n"
    "sleet-streak-frame-time = 0.03\n"
    "sleet-volume-radius = 10.0\n"
    "sleet-size-multiplier = 6.0\n"
    "\n"
    "# snow\n"
    "snow-volume-radius = 8.0\n"
    "snowflake-size-multiplier = 20.0\n"
    "\n"
    "# stars\n"
    "star-magnitude-adjustment = -3\n"
    "\n";

const char* const kSkyOverridePerformanceBlock =
    "enable-sun-glow = no\n"
    "scatter-moon-color = no\n"
    "enable-moon-glow = no\n"
    "lenticular-halos = no\n"
    "\n"
    "#/2\n"
    "metaball-texture-dimension = 8\n"
    "cloud-relight-budget = 500\n"
    "sky-box-resolution = 20\n"
    "#*2\n"
    "cumulus-congestus-voxel-dimension = 600.0\n"
    "\n";

const char* const kSkyOverrideEnhancementBlock =
    "#More contrasted sky\n"
    "brightness = 0.6\n"
    "\n"
    "sky-box-gamma-preetham = 1.75\n"
    "sky-box-gamma-hosek = 1.85\n"
    "\n"
    "#Improved sun\n"
    "sun-scattered-scale = 2.5\n"
    "sun-width-degrees = 2.5\n"
    "moon-width-degrees = 2.0\n"
    "\n"
    "#Improved clouds\n"
    "cumulonimbus-ambient-scattering = 0.675\n"
    "cumulus-congestus-attenuation = 500\n"
    "cumulus-congestus-ambient-scattering = 0.875\n"
    "\n";

namespace {
std::u16string SkyOverridePath() {
    return Settings::Instance().TSPath + u"\\data\\SilverLining\\Silverlining.override";
}
}  // namespace

void WriteSkyOverride(const Settings& settings) {
    const std::u16string path = settings.TSPath + u"\\data\\SilverLining\\Silverlining.override";
    RemoveFileIfExists(path);
    std::string text = kSkyOverrideBaseBlock;
    if (settings.Shader.DynamicCloudsPerformanceFix) text += kSkyOverridePerformanceBlock;
    if (settings.Shader.DynamicCloudsEnhancements) text += kSkyOverrideEnhancementBlock;
    // A missing data\SilverLining folder leaves nothing written, by design.
    WriteTextFileCrLf(path, text);
    Log(u"Tweaked Silverlining file");
}

void WriteSkyOverrideBaseOnly() {
    const std::u16string path = SkyOverridePath();
    std::error_code error;
    if (!RemoveFileIfExists(path, &error)) {
        Log(u"Could not replace " + path + u" (" + Utf8ToWide(error.message()) +
            u"); the existing file was left as it is");
        return;
    }
    WriteTextFileCrLf(path, kSkyOverrideBaseBlock);
    Log(u"Restored original Silverlining file");
}
