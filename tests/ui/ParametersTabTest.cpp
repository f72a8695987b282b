// The parameters tab drawn from the parameter table: which rows a switch
// shows (a switch that depends on another takes its dependants with it), and
// the weather add-on, looked for once and again only when the window comes
// back or the game folder changes, its notices in the user's language; the
// texts taken again from a catalogue loaded again.

#include "tests/support/PipelineTestEnv.h"
#include "tests/ui/UiDriver.h"
#include "ui/Frame.h"

namespace {

// The controls not drawn in the last frame, by their identities.
std::set<std::string> Hidden(const UiDriver& ui) {
    std::set<std::string> hidden;
    for (const ParamDesc& p : ShaderParamTable()) {
        if (p.helpId) hidden.insert(p.helpId);
    }
    for (const DrawnItem& item : ui.items) {
        if (item.kind == "help") hidden.erase(item.label);
    }
    return hidden;
}

}  // namespace

TEST(ParametersTab, SwitchesShowTheirRowsAndTheWeatherAddOnIsLookedForWhenTheWindowComesBack) {
    UiDriver ui;
    SetHostDisplay(1600, 7000, 1.0f);  // the whole tab on one screen
    Settings& settings = Settings::Instance();
    settings.Language = 1;
    const fs::path game = ui.root.path / "game";
    settings.TSPath = MakeFakeGameFolder(game);
    settings.Shader = Switches(true);
    ui.StartAsReturningUser();
    const std::string notices[] = {T("weatheraddon_fog"), T("weatheraddon_weather"), T("weatheraddon_glass")};
    {
        SCOPED_TRACE("every control shows while every switch is on");
        EXPECT_EQ(Hidden(ui), std::set<std::string>());
    }
    {
        SCOPED_TRACE("the random size needs both flora switches; the sky sliders need none");
        settings.Shader.ProceduralFloraClumpSizeRandomization = false;
        settings.Shader.WeatherEffectsEnhancements = false;
        ui.Frame();
        EXPECT_EQ(Hidden(ui), (std::set<std::string>{"randomsizemultiplierhelp", "rainsnowminimumopacityhelp"}));
        settings.Shader.ProceduralFloraClumpSizeRandomization = true;
        settings.Shader.ProceduralFloraEnhancements = false;
        ui.Frame();
        EXPECT_EQ(Hidden(ui), (std::set<std::string>{"swayanimationhelp", "clumpsizerandomizationhelp",
                                                     "randomsizemultiplierhelp", "clumpsrenderdistancehelp",
                                                     "rainsnowminimumopacityhelp"}));
        settings.Shader = Switches(true);
    }
    {
        SCOPED_TRACE("an add-on installed while the window is away shows once it is back");
        AddWeatherPack(game);
        ui.Frame();
        EXPECT_EQ(Hidden(ui), std::set<std::string>());
        NoteWindowFocus(false);
        NoteWindowFocus(true);
        ui.Frame();
        for (const std::string& notice : notices) EXPECT_TRUE(ui.ShowsText(notice)) << notice;
        // Fog and glass give way to the notice; the weather section keeps the
        // cloud switches, and the rain opacity goes with the weather switch.
        EXPECT_EQ(Hidden(ui), (std::set<std::string>{
                                  "foghelp", "fogbrightnesshelp", "fogcolordesaturation", "fogdensitymultiplier",
                                  "weatherhelp", "rainsnowminimumopacityhelp", "skysunsizemultiplierhelp",
                                  "skybrightnessmultiplierhelp", "glasshelp", "overtintedglassfixhelp",
                                  "glassreflectionsintensity", "glassreflectionscolordesaturation"}));
    }
    {
        SCOPED_TRACE("another game folder is looked at at once");
        settings.TSPath = MakeFakeGameFolder(ui.root.path / "other");
        ui.Frame();
        for (const std::string& notice : notices) EXPECT_FALSE(ui.ShowsText(notice)) << notice;
        EXPECT_EQ(Hidden(ui), std::set<std::string>());
    }
    {
        SCOPED_TRACE("a catalogue loaded again is read again");
        WriteText(ui.root.path / "program" / "Data" / "Localization.xml",
                  R"(<?xml version="1.0"?><localization><ssao french="Occlusion" /></localization>)");
        Localization::Load();
        ui.Frame(2);  // the tabs' labels changed too: their bar settles in a frame
        EXPECT_NE(ui.Find(ByLabel("check", "Occlusion")), nullptr);
    }
}
