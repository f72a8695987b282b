#pragma once
// The recurring pieces of the interface: colours, icon glyphs, the section
// header and the help button.
#include <string>

#include <imgui.h>

#include "settings/Localization.h"

inline const ImVec4 WarningColor(1.0f, 0.85f, 0.0f, 1.0f);
inline const ImVec4 kWhite(1.0f, 1.0f, 1.0f, 1.0f);
inline const ImVec4 kRed(1.0f, 0.0f, 0.0f, 1.0f);

// Icon code points of the icon font, as UTF-8.
inline constexpr const char* kIconChangeFolder = "\xEE\xA2\x9D";  // U+E89D
inline constexpr const char* kIconInstall = "\xEE\xA2\x84";       // U+E884
inline constexpr const char* kIconRestore = "\xEE\xA2\xBA";       // U+E8BA
inline constexpr const char* kIconLaunch = "\xEE\xA2\x95";        // U+E895
inline constexpr const char* kIconHelp = "\xEE\xA3\xBD";          // U+E8FD
inline constexpr const char* kIconBrowse = "\xEE\xA2\xB6";        // U+E8B6
inline constexpr const char* kIconImport = "\xEE\x85\x89";        // U+E149
inline constexpr const char* kIconExport = "\xEE\x85\xA9";        // U+E169
inline constexpr const char* kIconFolder = "\xEE\x8B\x88";        // U+E2C8

// The catalogue text of a key in the current language (keys are literals).
inline std::string T(const char* key) { return Localization::Text(key); }

// A widget label: the catalogue text shown verbatim with the key as its
// identity, so an empty or repeated text never breaks the widget and the
// identity stays the same in every language. The icon goes before or after.
inline std::string Label(const char* key, const char* iconBefore = "", const char* iconAfter = "") {
    std::string text = std::string(iconBefore) + Localization::Text(key);
    if (*iconAfter) text += std::string(" ") + iconAfter;
    return text + "##" + key;
}

// Coloured text drawn verbatim, never as a format.
void ColoredText(const ImVec4& colour, const std::string& text);

// A framed, always-open header of the leaf kind, then white regular content.
void BeginParameterSection(const std::string& label);
void EndParameterSection();

// The "?" button beside a control, shown only while help icons are on.
void HelpIconButton(const char* helpId, const char* helpKey);
