#pragma once
// The recurring pieces of the interface: colours, icon glyphs, the section
// header, the help button, and the thin drawing helpers every panel uses so
// that texts are always drawn verbatim.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <imgui.h>

#include "settings/Localization.h"
#include "ui/Style.h"

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
inline constexpr const char* kIconPreviewed = "\xEE\xA3\xB4";     // U+E8F4, an eye
// Every icon the interface draws: the only ones the font atlas holds.
inline constexpr const char* kInterfaceIcons[] = {kIconChangeFolder, kIconInstall, kIconRestore, kIconLaunch,
                                                  kIconHelp,         kIconBrowse,  kIconImport,  kIconExport,
                                                  kIconFolder,       kIconPreviewed};

// A size in pixels at scale 1, in pixels at the interface scale.
float Px(float pixels);

// The catalogue text of a key in the current language. Keys are always
// written as literals at the call, so they can be checked against the catalogue.
inline std::string T(const char* key) { return Localization::Text(key); }
// A catalogue text with its "{name}" fields replaced; the text is never
// used as a format, so a stray '%' or brace is shown as it is.
using TextFields = std::vector<std::pair<std::string, std::string>>;
std::string Filled(std::string text, const TextFields& fields);
// A widget label: the text of a key between optional icons (each separated
// from the text by a space), followed by "###key": the widget's identity is
// the key alone, the same in every language, and an empty or shared text
// never gives an invalid or shared one.
std::string Label(const char* key, const std::string& before = "", const std::string& after = "");

// What was drawn, reported to an observer when one is set: the tests find,
// click and check the interface through it. Nothing happens without one.
struct DrawnItem {
    std::string kind;    // "button", "text", "label", "check", "slider", "entry", "colour", "menu", "menuitem",
                         // "tab", "section", "logo", "help", "tooltip", "preview", "progress"
    std::string label;   // the shown part of what was handed to the library
    std::string key;     // what follows "##" or "###" in it, if anything
    std::string window;  // name of the window it was drawn in
    ImVec2 min, max;
    ImVec4 textColour;
    const ImFont* font = nullptr;
    float labelWidth = 0;     // the shown label's width in the item's font
    float visibleRight = 0;   // right edge of what its window shows
    float visibleTop = 0, visibleBottom = 0;  // and its top and bottom edges
    bool windowHidden = false;  // its window is being measured, not shown
    bool enabled = true;
    bool focused = false;  // holds the keyboard focus, shown
};
using ItemObserver = void (*)(const DrawnItem&);
void SetItemObserver(ItemObserver observer);
// Reports the last item drawn under the given kind and label (text##key);
// without an observer it costs nothing.
void NoteItem(const char* kind, std::string_view label);

// Texts, never used as a format, and never cut short (the library's
// formatting buffer holds about 3 KB; the terms text is longer). Wrapped
// texts wrap at the right edge of the content region.
void PlainText(const std::string& text);
void ColoredText(const ImVec4& colour, const std::string& text);
void WrappedText(const std::string& text);
// Wrapped at a window-local x (0: the content region's right edge), noted
// under the given kind.
void WrappedTextAt(const std::string& text, float wrapPosX, const char* kind = "text");
void ColoredWrappedText(const ImVec4& colour, const std::string& text);

// Popups are at most 80 % of the window wide; their texts wrap at that
// width or at a comfortable line of 640 pixels (at scale 1), whichever is
// less; where they are shorter the popup is narrower.
float PopupMaxWidth();
float PopupTextWidth();
void PopupText(const std::string& text);
void ColoredPopupText(const ImVec4& colour, const std::string& text);
// A framed region holding a wrapped text: as high as the text up to
// maxHeight, scrolling beyond.
void TextBox(const char* id, const std::string& text, float width, float maxHeight);

// A button never narrower than its label with the frame padding; a width of
// 0 fits the label, a negative one reaches that far from the right edge.
// Every button takes its turn in the keyboard focus order.
bool LabelButton(const std::string& label, const ImVec2& size = ImVec2(0, 0));
// The one button that does what the place is for (Install, a dialog's
// default): bold on the accent colour.
bool PrimaryButton(const std::string& label, const ImVec2& size = ImVec2(0, 0));
// A button across the available width.
bool WideButton(const std::string& label, float height);
// A menu item with its shortcut shown beside it ("Ctrl+I"), if any.
bool MenuEntry(const std::string& label, bool checked = false, bool enabled = true, const char* shortcut = nullptr);
bool BeginMenuNamed(const std::string& label);

// Half a line of room between groups: whole empty lines would spread the
// window over most of a small screen.
void Gap();

// ParameterSection: the section's name in bold and the accent colour over a
// thin rule; it cannot be folded, so it does not look as if it could. A
// marker (a short text) may stand after the name, in grey. The content is
// white, in the regular font.
void BeginParameterSection(const std::string& label, const std::string& marker = "");
void EndParameterSection();

// A tooltip beside the pointer, or beside the item when at is given (for a
// control that has the keyboard focus): a bold title, a text wrapped at a
// comfortable width, and a grey last line if any.
void HelpTooltip(const std::string& title, const std::string& text, const std::string& footnote = "",
                 const ImVec2* at = nullptr);

// The help icon beside a control, shown only while help icons are on: its
// tooltip holds the help text; a click opens the help popup titled with the
// parameter's name. offsetX: where on the line it goes (window-local), 0 for
// right after the control. True while the pointer is on it.
bool HelpIconButton(const char* helpId, const std::string& name, const std::string& helpText, float offsetX = 0.0f);
