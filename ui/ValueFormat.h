#pragma once
// A slider's value as the parameters tab shows it and a player types it: in
// the unit of its row (a share as a percentage, a distance in metres, a factor
// with "×"), with the decimals one step of it needs and the decimal separator
// of the interface language (a comma in french and german). The settings and
// preset files keep their own C-locale numbers.
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/SettingsTable.h"

// "75 %", "500 m", "1,25×": the number and its unit.
std::string FormatParamValue(const ParamDesc& param, float value, uint32_t language);
// The number alone, as a field to type into starts.
std::string FormatParamNumber(const ParamDesc& param, float value, uint32_t language);
// What a player typed, with either separator, spaces, and the unit or not;
// false when it is no number.
bool ParseParamNumber(const ParamDesc& param, std::string_view text, float& value);
// The stored value on the slider's step (0.01 for a percentage and for a
// factor with two decimals, 1 for metres).
float RoundToParamStep(const ParamDesc& param, float value);
