#include "shaders/CompilerMessages.h"

#include "app/SystemEffectCompiler.h"
#include "app/Text.h"

namespace {

// Bytes of the UTF-8 sequence that starts with lead; 0 for a byte that
// cannot start one.
size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// The start of a character that the end of the bytes cut off, or the size
// when the last character is whole.
size_t CutCharacter(std::string_view bytes) {
    for (size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        const size_t length = SequenceLength(c);
        return length > back ? bytes.size() - back : bytes.size();
    }
    return bytes.size();
}

bool IsUtf8(std::string_view bytes) { return bytes.empty() || !Utf8ToWide(std::string(bytes)).empty(); }

// One line (without its line end) as UTF-8; control characters as marks in
// plain ASCII ("<NUL>", "<0x1B>"), which every font and the log can show.
std::string LineAsText(std::string_view line) {
    const std::u16string wide = IsUtf8(line) ? Utf8ToWide(std::string(line)) : CompilerCodePageToWide(line);
    std::u16string shown;
    shown.reserve(wide.size());
    for (char16_t c : wide) {
        if (c == 0) {
            shown += u"<NUL>";
        } else if ((c < 0x20 && c != u'\t') || c == 0x7F) {
            static const char16_t kHex[] = u"0123456789ABCDEF";
            shown += u"<0x";
            shown += kHex[c >> 4];
            shown += kHex[c & 15];
            shown += u'>';
        } else {
            shown += c;
        }
    }
    return WideToUtf8(shown);
}

}  // namespace

std::string CompilerMessagesAsText(std::string_view bytes, std::size_t limit) {
    std::string text;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // Output cut short may end inside a character: that character goes,
        // the rest of the line stays UTF-8.
        const std::string_view whole = line.substr(0, CutCharacter(line));
        if (last && whole.size() < line.size() && IsUtf8(whole)) line = whole;
        text += LineAsText(line);
        if (!last) text += '\n';
        start = end + 1;
    }
    if (text.size() > limit) text.resize(CutCharacter(std::string_view(text).substr(0, limit)));
    return text;
}
