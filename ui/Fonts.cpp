#include "ui/Fonts.h"

#include <string>
#include <vector>

#include <imgui.h>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Text.h"
#include "settings/Localization.h"
#include "settings/Settings.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

namespace {

// Latin-1 and Latin Extended-A, the dashes, quotes and ellipsis of general
// punctuation (the library shortens a label with the ellipsis; compiler
// messages and file names carry the rest), the euro and trade mark signs.
const ImWchar kBaseRanges[] = {0x0020, 0x007E, 0x00A0, 0x017F, 0x2013, 0x203A, 0x20AC, 0x20AC, 0x2122, 0x2122, 0};

// Text and icons share one size, so an icon sits on the line of its text.
constexpr float kTextSize = 18.0f;
constexpr float kIconSize = 20.0f;
// The monospace face is wider per letter: a little smaller keeps a line in the box.
constexpr float kMonoSize = 16.0f;

struct AtlasRecord {
    bool built = false;
    float scale = 0.0f;
    float pixelDensity = 0.0f;
    std::vector<bool> covered = std::vector<bool>(0x10000, false);  // code points of the text fonts
    // The library reads the ranges when it builds the atlas, after the fonts
    // were added: they must outlive this call.
    ImVector<ImWchar> textRanges;
    ImVector<ImWchar> iconRanges;
};

AtlasRecord& Atlas() {
    static AtlasRecord* record = new AtlasRecord();  // lives to the end of the process
    return *record;
}

bool Drawable(char16_t c) { return c >= 0x20 && (c < 0xD800 || c > 0xDFFF); }

void CollectTextRanges(AtlasRecord& atlas) {
    ImFontGlyphRangesBuilder builder;
    builder.AddRanges(kBaseRanges);
    builder.AddText(Localization::AllTexts().c_str());
    for (char16_t c : Settings::Instance().TSPath) {
        if (Drawable(c)) builder.AddChar(static_cast<ImWchar>(c));
    }
    atlas.textRanges.clear();
    builder.BuildRanges(&atlas.textRanges);
    atlas.covered.assign(0x10000, false);
    for (int i = 0; i + 1 < atlas.textRanges.Size && atlas.textRanges[i]; i += 2) {
        for (unsigned c = atlas.textRanges[i]; c <= atlas.textRanges[i + 1]; ++c) atlas.covered[c] = true;
    }
}

void CollectIconRanges(AtlasRecord& atlas) {
    atlas.iconRanges.clear();
    for (const char* icon : kInterfaceIcons) {
        const std::u16string codePoint = Utf8ToWide(icon);
        atlas.iconRanges.push_back(static_cast<ImWchar>(codePoint[0]));
        atlas.iconRanges.push_back(static_cast<ImWchar>(codePoint[0]));
    }
    atlas.iconRanges.push_back(0);
}

ImFontConfig TextConfig(const ImWchar* ranges, float raster) {
    ImFontConfig config;
    config.MergeMode = false;
    // Horizontal oversampling keeps small text crisp at fractional positions;
    // vertical oversampling would double the atlas for no visible gain, and
    // from twice the size the pixels are small enough without either.
    config.OversampleH = raster >= 2.0f ? 1 : 2;
    config.OversampleV = 1;
    config.PixelSnapH = false;
    config.GlyphRanges = ranges;
    return config;
}

ImFontConfig IconConfig(const ImWchar* ranges, float raster) {
    ImFontConfig config;
    config.MergeMode = true;
    config.OversampleH = 2;
    config.OversampleV = 2;
    config.PixelSnapH = false;
    config.GlyphOffset = ImVec2(0, 4.0f * raster);  // the icons sit on the text's line
    config.GlyphRanges = ranges;
    return config;
}

}  // namespace

bool UiFontsOutdated() {
    const AtlasRecord& atlas = Atlas();
    const UiStateRecord& ui = UiState();
    // A new UI context starts with an empty atlas.
    if (ImGui::GetIO().Fonts->Fonts.empty() || !ui.FontRegular) return true;
    if (atlas.scale != ui.scale || atlas.pixelDensity != ui.pixelDensity) return true;
    for (char16_t c : Settings::Instance().TSPath) {
        if (Drawable(c) && !atlas.covered[c]) return true;
    }
    return false;
}

bool BuildUiFonts() {
    AtlasRecord& atlas = Atlas();
    UiStateRecord& ui = UiState();
    ImGuiIO& io = ImGui::GetIO();
    io.Fonts->Clear();
    io.Fonts->Flags |= ImFontAtlasFlags_NoPowerOfTwoHeight;
    const bool firstBuild = !atlas.built;  // the missing fonts are logged once
    atlas.built = true;
    atlas.scale = ui.scale;
    atlas.pixelDensity = ui.pixelDensity;
    CollectTextRanges(atlas);
    CollectIconRanges(atlas);

    // Rasterised for the drawable pixels, drawn at the size of window units.
    const float raster = ui.scale * ui.pixelDensity;
    io.FontGlobalScale = 1.0f / ui.pixelDensity;

    const std::string regular = DataFilePath("Data/Fonts/Roboto-Regular.ttf");
    const std::string bold = DataFilePath("Data/Fonts/Roboto-Bold.ttf");
    const std::string icons = DataFilePath("Data/Fonts/MaterialIcons-Regular.ttf");
    // The library stops on a missing font file; look first.
    if (!PathExists(Utf8ToWide(regular)) || !PathExists(Utf8ToWide(bold)) || !PathExists(Utf8ToWide(icons))) {
        if (firstBuild) Log("Failed to load the fonts from Data/Fonts/");
        ImFontConfig fallback;
        fallback.SizePixels = 13.0f * raster;
        ui.FontRegular = ui.FontBold = ui.FontMono = io.Fonts->AddFontDefault(&fallback);
        io.FontDefault = ui.FontRegular;
        return false;
    }

    const ImFontConfig text = TextConfig(atlas.textRanges.Data, raster);
    const ImFontConfig icon = IconConfig(atlas.iconRanges.Data, raster);
    auto add = [&](const std::string& face) {
        ImFont* font = io.Fonts->AddFontFromFileTTF(face.c_str(), kTextSize * raster, &text);
        const bool merged = font && io.Fonts->AddFontFromFileTTF(icons.c_str(), kIconSize * raster, &icon);
        return merged ? font : nullptr;
    };
    ui.FontRegular = add(regular);
    ui.FontBold = add(bold);
    io.FontDefault = ui.FontRegular;
    // Compiler messages line up their columns; without the face they are
    // shown in the regular one.
    const std::string mono = DataFilePath("Data/Fonts/DejaVuSansMono.ttf");
    ui.FontMono = PathExists(Utf8ToWide(mono))
                      ? io.Fonts->AddFontFromFileTTF(mono.c_str(), kMonoSize * raster, &text)
                      : nullptr;
    if (!ui.FontMono) {
        if (firstBuild) Log("Failed to load the monospace font from Data/Fonts/");
        ui.FontMono = ui.FontRegular;
    }
    return ui.FontRegular && ui.FontBold;
}
