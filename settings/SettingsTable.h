#pragma once
// The parameter table: what the program knows of each of the 54 parameters,
// one row each, in settings-file order. A row gives the element name, kind,
// field and default (construction, the file reader's fall-backs and
// RestoreShaderDefaults take them from here), the parameter's place, texts,
// range and unit in the parameters tab, the switch it depends on, the
// definition that carries it to the effects that read it, and the step of the
// live preview that shows it. Beside the table stands what no row can say:
// the tab's sections, what the weather add-on takes over of them, and the
// definitions an effect's template wants before the others.
#include <array>
#include <span>
#include <string_view>

#include "settings/Settings.h"

enum class ParamKind { Bool, Float, Tint };

// The step of the live preview that reads a parameter; None for those only
// the game shows (lighting, reflections, glass, flora, vegetation, weather).
enum class PreviewPass { None, SkyDome, Fog, LightGlow, DepthOfField, EdgeSmoothing, PostChain };

// What a slider's number is: a distance in metres (the game's world unit), a
// share of the full effect shown as a percentage (0.75 is 75 %), a factor on
// what the game or the effect does anyway, or a plain number (the gamma
// exponent).
enum class ParamUnit { None, Metres, Percent, Times };

struct ParamDesc {
    const char* name;  // settings-file element, and the field's own name
    ParamKind kind;
    bool ShaderSettings::*boolField = nullptr;
    float ShaderSettings::*floatField = nullptr;
    ColorTint ShaderSettings::*tintField = nullptr;
    bool defaultBool = false;
    float defaultFloat = 0.0f;  // a tint's is that of each channel
    PreviewPass preview = PreviewPass::None;

    // Its control in the parameters tab; a row without a section has none.
    const char* section = nullptr;  // key of its section (ParamSections)
    int place = 0;                  // its place in the section, counted from 1
    const char* label = nullptr;    // catalogue key of the control's label
    const char* help = nullptr;     // catalogue key of its help text
    const char* helpId = nullptr;   // identity of the control and its help button
    float min = 0.0f, max = 0.0f;   // a slider's range: the only bound the program sets
    // The slider's value in its unit with the decimals one step of it needs.
    // The tab writes every value with three decimals and no unit until values
    // are formatted per language.
    ParamUnit unit = ParamUnit::None;
    int decimals = 0;
    // The switch it depends on: its row is shown, and its definition written,
    // only while that switch is on and its own row is shown (or its own
    // definition written). So a switch can depend on another.
    bool ShaderSettings::*switchedBy = nullptr;

    // The definition that carries it ("MOX_..."; a switch's is written bare
    // while on, a value's with the value) and the effects whose templates read
    // it. Without one the parameter chooses blocks of the sky override file.
    const char* definition = nullptr;
    std::array<const char16_t*, 2> effects{};
};

std::span<const ParamDesc> ShaderParamTable();  // 54 rows, file order
const ParamDesc* FindParam(std::string_view name);
void ApplyDefault(ShaderSettings& shader, const ParamDesc& param);
// The row of the switch param depends on; null when it depends on none.
const ParamDesc* SwitchOf(const ParamDesc& param);
// Its switch, and that switch's own, and so on, are all on.
bool SwitchedOn(const ShaderSettings& shader, const ParamDesc& param);
bool Feeds(const ParamDesc& param, std::u16string_view effect);

// A section of the parameters tab.
struct ParamSection {
    const char* key;                 // its rows' section; the catalogue key of its header
    const char* addOnNotice = nullptr;  // catalogue key of what it says while the weather add-on is installed
    bool addOnTakesAll = false;         // that notice takes the place of every row
    bool previewFirst = false;          // the preview of the image settings stands before it
};
std::span<const ParamSection> ParamSections();  // top to bottom
// A row the weather add-on takes over in a section it shares with the
// program; the rows depending on it go with it.
bool LeftToWeatherAddOn(const ParamDesc& param);

// The parameters whose definitions an effect's template was written to find
// before the others (which follow in table order); empty for most effects.
std::span<const char* const> DefinitionsFirst(std::u16string_view effect);
