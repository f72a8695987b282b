#include "tests/support/PipelineTestEnv.h"

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "settings/Settings.h"

fs::path SetUpPipeline(const TempDir& root) {
    UseTempAppPaths(root);
    Settings::Instance().TSPath = MakeFakeGameFolder(root.path / "game");
    fs::copy_file(ToolPath("fake_fxc"), FsPath(AppPaths.programFolder + u"fxc"), fs::copy_options::overwrite_existing);
    return root.path / "game";
}

void AddWeatherPack(const fs::path& game) {
    WriteText(game / "Assets" / "AP" / "WeatherEP" / "TrackMarkers" / "Weather" / "weather.bin", "marker");
}

std::string CrLf(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? "\r\n" : std::string(1, c);
    return out;
}

std::vector<std::string> CompilerCalls() { return ReadLines(FsPath(AppPaths.programFolder + u"fxc-calls.txt")); }
