#include "ui/ResultDetails.h"

#include <string>
#include <utility>
#include <vector>

#include "app/Text.h"
#include "shaders/ShaderInstaller.h"
#include "ui/Widgets.h"

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

// A catalogue text with its "{name}" fields replaced; the text is never
// used as a format, so a stray '%' or brace is shown as it is.
std::string Filled(std::string text, const Fields& fields) {
    for (const auto& [name, value] : fields) {
        const std::string field = "{" + name + "}";
        for (size_t at = text.find(field); at != std::string::npos; at = text.find(field, at + value.size())) {
            text.replace(at, field.size(), value);
        }
    }
    return text;
}

std::string Joined(const std::vector<std::u16string>& names) {
    std::string text;
    for (const std::u16string& name : names) text += (text.empty() ? "" : ", ") + WideToUtf8(name);
    return text;
}

}  // namespace

void DrawKeptEffects() {
    const ShaderInstaller& state = ShaderInstaller::Instance();
    if (state.keptEffects.empty()) return;
    ColoredText(WarningColor, Filled(T("installresult_kept"), {{"installed", std::to_string(state.effectsInstalled)},
                                                               {"total", std::to_string(state.effectsCompiled)},
                                                               {"effects", Joined(state.keptEffects)}}));
}

void DrawRestoreCounts() {
    const ShaderInstaller& state = ShaderInstaller::Instance();
    PlainText(Filled(T("restoreresult_counts"), {{"restored", std::to_string(state.filesRestored)},
                                                 {"removed", std::to_string(state.filesRemoved)},
                                                 {"leftalone", std::to_string(state.filesLeftAlone)}}));
    if (state.filesLeftAlone > 0) PlainText(T("restoreresult_leftalone"));
    if (!state.filesNotRestored.empty()) {
        ColoredText(kRed, Filled(T("restorefailed_files"), {{"files", Joined(state.filesNotRestored)}}));
    }
}
