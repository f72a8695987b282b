// The first tab: every shader parameter in its section, with the notices that
// take the place of what the weather add-on handles, and the preview of the
// image settings. On a window at least about 1280 units wide the parameters
// scroll in one column and the preview stays in view in a column beside them;
// on a narrower one the preview stands above the image sections. Sections,
// rows and their texts come from the parameter table and are made once per
// language and add-on state. The rows of all sections form one grid: a column
// of labels, then the controls, the values and the help icons. Whether a
// dependent row shows is asked when it is drawn, so a switch turned on shows
// its dependants in the same frame.
#include "ui/ParametersTab.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include <imgui.h>

#include "settings/Localization.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"
#include "ui/GameFolderFacts.h"
#include "ui/ParamRow.h"
#include "ui/PreviewPanel.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

namespace {

// From this window width (in units at scale 1) the preview gets a column.
constexpr float kTwoColumnsFrom = 1280.0f;

struct Section {
    std::string label;        // the header, with its identity
    std::string marker;       // "shown in the preview", where it is
    std::vector<PreviewPass> previewPasses;  // marked while the preview computes one of them
    std::string notice;       // what the weather add-on's presence means here, if anything
    bool noticeOnly = false;  // the notice takes the place of every row
    bool previewFirst = false;
    std::vector<ParamRow> rows;  // all of them, shown or not, in their order
};

// The passes of the preview a section's rows feed.
std::vector<PreviewPass> PreviewPassesOf(std::string_view key) {
    std::vector<PreviewPass> passes;
    for (const ParamDesc& param : ShaderParamTable()) {
        if (param.section && key == param.section && param.preview != PreviewPass::None) passes.push_back(param.preview);
    }
    return passes;
}

RowColumns LayOut(const std::vector<Section>& sections) {
    const ImGuiStyle& style = ImGui::GetStyle();
    const float gap = style.ItemSpacing.x;
    const float available = ImGui::GetContentRegionAvail().x;
    const float help = Settings::Instance().HelpIcons ? Px(28) + gap : 0.0f;
    RowColumns c{};
    c.valueWidth = ImGui::CalcTextSize("-0000,00\u00A0m").x;
    float longest = 0.0f;
    for (const Section& section : sections) {
        for (const ParamRow& row : section.rows) longest = std::max(longest, ImGui::CalcTextSize(row.label.c_str()).x);
    }
    c.controlWidth = std::clamp(available * 0.35f, Px(180), Px(420));
    // Labels wrap rather than push the controls out of the window.
    c.labelWidth = std::max(1.0f, std::min(longest, available - c.controlWidth - c.valueWidth - help - 3 * gap));
    c.label = ImGui::GetCursorPosX();
    c.control = c.label + c.labelWidth + 2 * gap;
    c.value = c.control + c.controlWidth + gap;
    c.help = c.value + c.valueWidth + gap;
    return c;
}

// Unless the add-on took it over, a row shows while its switch is on and shown.
bool Shown(const ParamDesc& param, const ShaderSettings& shader, bool addOn) {
    if (addOn && LeftToWeatherAddOn(param)) return false;
    const ParamDesc* on = SwitchOf(param);
    return !on || (shader.*on->boolField && Shown(*on, shader, addOn));
}

void DrawSection(const Section& section, ShaderSettings& shader, bool addOn, const RowColumns& c) {
    // A screenshot has no depth: the passes that need the scene are not shown on it.
    const bool previewed =
        std::any_of(section.previewPasses.begin(), section.previewPasses.end(), PreviewShowsPass);
    BeginParameterSection(section.label, previewed ? section.marker : std::string());
    if (!section.notice.empty()) ColoredWrappedText(WarningColor, section.notice);
    if (!section.noticeOnly) {
        for (const ParamRow& row : section.rows) {
            if (Shown(*row.param, shader, addOn)) DrawParamRow(row, shader, c);
        }
    }
    EndParameterSection();
}

std::vector<Section> MakeSections(bool addOn) {
    std::vector<Section> sections;
    const std::string marker = std::string(kIconPreviewed) + " " + Localization::Text("sectionpreviewed");
    for (const ParamSection& from : ParamSections()) {
        Section& section = sections.emplace_back();
        section.previewFirst = from.previewFirst;
        section.label = Label(from.key);
        section.previewPasses = PreviewPassesOf(from.key);
        if (!section.previewPasses.empty()) section.marker = marker;
        if (addOn && from.addOnNotice) {
            section.notice = Localization::Text(from.addOnNotice);
            section.noticeOnly = from.addOnTakesAll;
        }
        for (const ParamDesc& param : ShaderParamTable()) {
            if (param.section && std::string_view(param.section) == from.key) section.rows.push_back(MakeParamRow(param));
        }
        std::sort(section.rows.begin(), section.rows.end(),
                  [](const ParamRow& a, const ParamRow& b) { return a.param->place < b.param->place; });
    }
    return sections;
}

// The tab's texts, made again only when the catalogue, the language or the
// add-on's presence changed.
struct Texts {
    unsigned catalogue = 0;
    uint32_t language = 0;
    bool addOn = false;
    bool made = false;
    std::string restore;
    std::vector<Section> sections;
};

const Texts& CurrentTexts(bool addOn) {
    static Texts texts;
    const unsigned catalogue = Localization::Revision();
    const uint32_t language = Settings::Instance().Language;
    if (!texts.made || texts.catalogue != catalogue || texts.language != language || texts.addOn != addOn) {
        texts = {catalogue, language, addOn, true, Label("restoresettings"), MakeSections(addOn)};
    }
    return texts;
}

// Every parameter at its default: nothing to restore.
bool AllAtDefaults() { return Settings::Instance().Shader == ShaderSettings(); }

// The column of parameters: the sections, with the preview among them when
// it has no column of its own; at the foot, the button that restores the
// defaults (after a question; the File menu has it too).
void ParameterColumn(const Texts& texts, bool previewAmongThem) {
    Settings& settings = Settings::Instance();
    const bool addOn = WeatherAddOnShown();
    const RowColumns columns = LayOut(texts.sections);
    BeginParamRows();
    for (const Section& section : texts.sections) {
        if (section.previewFirst && previewAmongThem) PreviewPanel();
        DrawSection(section, settings.Shader, addOn, columns);
    }
    EndParamRows();
    Gap();
    const bool atDefaults = AllAtDefaults();
    if (atDefaults) ImGui::BeginDisabled();
    if (LabelButton(texts.restore)) UiState().defaultsQuestionRequested = true;
    if (atDefaults) ImGui::EndDisabled();
}

// A scrolling column with less room above its content than a window has.
template <typename Content>
void Column(const char* id, float width, Content content) {
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(Px(12), Px(6)));
    ImGui::BeginChild(id, ImVec2(width, 0.0f), false, ImGuiWindowFlags_AlwaysUseWindowPadding);
    ImGui::PopStyleVar();
    // Rows a little flatter than elsewhere, so that more of them are in view.
    ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(ImGui::GetStyle().FramePadding.x, Px(2)));
    content();
    ImGui::PopStyleVar();
    ImGui::EndChild();
}

}  // namespace

void ShaderParametersTab() {
    const Texts& texts = CurrentTexts(WeatherAddOnShown());
    const bool twoColumns = ImGui::GetIO().DisplaySize.x / UiState().scale >= kTwoColumnsFrom;
    const float width = twoColumns ? std::floor(ImGui::GetContentRegionAvail().x * 0.55f) : 0.0f;
    Column("parameters", width, [&] { ParameterColumn(texts, !twoColumns); });
    if (!twoColumns) return;
    ImGui::SameLine();
    Column("previewcolumn", 0.0f, PreviewPanel);
}
