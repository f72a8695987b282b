#include "app/CommandLine.h"

std::u16string QuoteArgument(const std::u16string& argument) {
    if (!argument.empty() && argument.find_first_of(u" \t\n\v\"") == std::u16string::npos) return argument;
    std::u16string quoted = u"\"";
    size_t backslashes = 0;
    for (const char16_t c : argument) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are plain characters unless a quote follows them.
        quoted.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, u'\\');
    quoted += u'"';
    return quoted;
}

std::u16string BuildCommandLine(const std::u16string& program, const std::vector<std::u16string>& arguments) {
    // A Windows path holds no quote, and the program name takes no escapes.
    std::u16string line = u"\"" + program + u"\"";
    for (const auto& argument : arguments) {
        line += u' ';
        line += QuoteArgument(argument);
    }
    return line;
}
