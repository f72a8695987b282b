#include "app/CommandLine.h"

std::u16string BuildCommandLine(const std::u16string& program, const std::vector<std::u16string>& arguments) {
    std::u16string line = u"\"" + program + u"\"";
    for (const auto& argument : arguments) {
        line += u' ';
        line += argument;
    }
    return line;
}

namespace {
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
}  // namespace

std::vector<std::u16string> SplitCommandLine(const std::u16string& commandLine) {
    std::vector<std::u16string> words;
    size_t i = 0;
    const size_t n = commandLine.size();
    while (i < n && IsBlank(commandLine[i])) ++i;
    if (i == n) return words;

    // The program name: quotes group, backslashes are plain characters, so a
    // folder path such as "C:\Tools\" keeps its last backslash.
    std::u16string program;
    bool quoted = false;
    for (; i < n; ++i) {
        const char16_t c = commandLine[i];
        if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && IsBlank(c)) {
            break;
        } else {
            program += c;
        }
    }
    words.push_back(program);

    // The arguments: 2n backslashes before a quote give n backslashes and the
    // quote groups; 2n+1 give n backslashes and a literal quote; "" inside a
    // quoted run is a literal quote.
    for (;;) {
        while (i < n && IsBlank(commandLine[i])) ++i;
        if (i == n) break;
        std::u16string word;
        quoted = false;
        while (i < n) {
            const char16_t c = commandLine[i];
            if (c == u'\\') {
                size_t slashes = 0;
                while (i < n && commandLine[i] == u'\\') {
                    ++slashes;
                    ++i;
                }
                if (i < n && commandLine[i] == u'"') {
                    word.append(slashes / 2, u'\\');
                    if (slashes % 2 == 1) {
                        word += u'"';
                        ++i;
                    }
                } else {
                    word.append(slashes, u'\\');
                }
                continue;
            }
            if (c == u'"') {
                if (quoted && i + 1 < n && commandLine[i + 1] == u'"') {
                    word += u'"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
                continue;
            }
            if (!quoted && IsBlank(c)) break;
            word += c;
            ++i;
        }
        words.push_back(word);
    }
    return words;
}
