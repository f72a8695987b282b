#include "ui/ValueFormat.h"

#include <charconv>
#include <cmath>

namespace {

// A percentage is stored as a share of 1.
float Shown(const ParamDesc& param, float value) { return param.unit == ParamUnit::Percent ? value * 100.0f : value; }

int StoredDecimals(const ParamDesc& param) { return param.decimals + (param.unit == ParamUnit::Percent ? 2 : 0); }

bool CommaLanguage(uint32_t language) { return language == 1 || language == 2; }

// The unit after the number. French and german set a no-break space before
// "%" (the narrow one in french); english writes it close. A metre is
// written apart everywhere; the factor sign always follows directly.
std::string UnitText(ParamUnit unit, uint32_t language) {
    switch (unit) {
        case ParamUnit::Percent:
            if (language == 1) return "\u202F%";
            return language == 2 ? "\u00A0%" : "%";
        case ParamUnit::Metres: return "\u00A0m";
        case ParamUnit::Times: return "\u00D7";
        case ParamUnit::None: break;
    }
    return "";
}

}  // namespace

std::string FormatParamNumber(const ParamDesc& param, float value, uint32_t language) {
    char text[48];
    const double shown = static_cast<double>(Shown(param, value));
    const auto written = std::to_chars(text, text + sizeof text, shown, std::chars_format::fixed, param.decimals);
    std::string number(text, written.ptr);
    // No "-0" for a value that rounds to nothing.
    if (number[0] == '-' && number.find_first_not_of("-0.") == std::string::npos) number.erase(0, 1);
    if (CommaLanguage(language)) {
        const size_t point = number.find('.');
        if (point != std::string::npos) number[point] = ',';
    }
    return number;
}

std::string FormatParamValue(const ParamDesc& param, float value, uint32_t language) {
    return FormatParamNumber(param, value, language) + UnitText(param.unit, language);
}

bool ParseParamNumber(const ParamDesc& param, std::string_view text, float& value) {
    // The unit signs and spaces of any language, then the unit's letter.
    std::string rest(text);
    for (const char* sign : {"\u00D7", "\u00A0", "\u202F"}) {
        for (size_t at = rest.find(sign); at != std::string::npos; at = rest.find(sign)) rest.erase(at, std::string_view(sign).size());
    }
    const std::string_view unitLetters = param.unit == ParamUnit::Percent  ? "%"
                                         : param.unit == ParamUnit::Metres ? "m"
                                         : param.unit == ParamUnit::Times  ? "xX"
                                                                           : "";
    std::string number;
    for (char c : rest) {
        if (c == ' ' || unitLetters.find(c) != std::string_view::npos) continue;
        number += c == ',' ? '.' : c;
    }
    if (!number.empty() && number[0] == '+') number.erase(0, 1);
    double parsed = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), parsed);
    if (number.empty() || error != std::errc() || end != number.data() + number.size() || !std::isfinite(parsed))
        return false;
    value = static_cast<float>(param.unit == ParamUnit::Percent ? parsed / 100.0 : parsed);
    return true;
}

float RoundToParamStep(const ParamDesc& param, float value) {
    const double scale = std::pow(10.0, StoredDecimals(param));
    return static_cast<float>(std::round(static_cast<double>(value) * scale) / scale);
}
