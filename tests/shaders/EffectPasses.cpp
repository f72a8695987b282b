// Reads the technique blocks and entry-point signatures of an effect as
// vkd3d-compiler -E leaves it: comments gone, macros expanded, tokens mostly
// separated by spaces.
#include <cctype>

#include "tests/shaders/EffectCheck.h"

namespace {

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

// Words and numbers, whole strings, and single punctuation characters.
std::vector<std::string> Tokenize(const std::string& text) {
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '"') {
            const size_t close = text.find('"', i + 1);
            const size_t end = close == std::string::npos ? text.size() : close + 1;
            tokens.push_back(text.substr(i, end - i));
            i = end;
        } else if (IsWordChar(c)) {
            size_t j = i;
            while (j < text.size() && IsWordChar(text[j])) ++j;
            tokens.push_back(text.substr(i, j - i));
            i = j;
        } else {
            tokens.push_back(std::string(1, c));
            ++i;
        }
    }
    return tokens;
}

bool Is(const std::string& token, const char* keyword) {
    size_t k = 0;
    for (; k < token.size() && keyword[k]; ++k)
        if (std::tolower(static_cast<unsigned char>(token[k])) != keyword[k]) return false;
    return k == token.size() && !keyword[k];
}

// Index of the token that closes the bracket opened at open; tokens.size()
// when it is never closed.
size_t Closing(const std::vector<std::string>& tokens, size_t open) {
    const std::string opener = tokens[open];
    const std::string closer = opener == "(" ? ")" : opener == "<" ? ">" : opener == "[" ? "]" : "}";
    int depth = 0;
    for (size_t i = open; i < tokens.size(); ++i) {
        if (tokens[i] == opener) ++depth;
        if (tokens[i] == closer && --depth == 0) return i;
    }
    return tokens.size();
}

// A name followed by an optional annotation, then the block's opening brace.
bool NameAndBlock(const std::vector<std::string>& tokens, size_t& at, std::string& name) {
    name.clear();
    if (at < tokens.size() && IsWordChar(tokens[at][0])) name = tokens[at++];
    if (at < tokens.size() && tokens[at] == "<") at = Closing(tokens, at) + 1;
    return at < tokens.size() && tokens[at] == "{";
}

// The tokens between the brackets at open and its closer, split at the
// commas of depth 0.
std::vector<std::vector<std::string>> SplitList(const std::vector<std::string>& tokens, size_t open, size_t close) {
    std::vector<std::vector<std::string>> items(1);
    int depth = 0;
    for (size_t i = open + 1; i < close; ++i) {
        if (tokens[i] == "(" || tokens[i] == "[" || tokens[i] == "{") ++depth;
        if (tokens[i] == ")" || tokens[i] == "]" || tokens[i] == "}") --depth;
        if (tokens[i] == "," && depth == 0) {
            items.emplace_back();
            continue;
        }
        items.back().push_back(tokens[i]);
    }
    if (items.size() == 1 && items[0].empty()) items.clear();
    return items;
}

std::string Join(const std::vector<std::string>& tokens, const char* separator) {
    std::string out;
    for (const std::string& t : tokens) {
        if (!out.empty()) out += separator;
        out += t;
    }
    return out;
}

}  // namespace

bool FindPasses(const std::string& preprocessed, std::vector<std::string>& techniques,
                std::vector<PassUse>& passes, std::string& problem) {
    const std::vector<std::string> tokens = Tokenize(preprocessed);
    int depth = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i] == "{") ++depth;
        if (tokens[i] == "}") --depth;
        if (depth != 0 || !Is(tokens[i], "technique")) continue;
        size_t at = i + 1;
        std::string technique;
        if (!NameAndBlock(tokens, at, technique)) {
            problem = "technique " + technique + " has no block";
            return false;
        }
        techniques.push_back(technique);
        const size_t end = Closing(tokens, at);
        for (size_t p = at + 1; p < end; ++p) {
            if (!Is(tokens[p], "pass")) continue;
            PassUse pass{technique, "", {}};
            size_t open = p + 1;
            if (!NameAndBlock(tokens, open, pass.pass)) {
                problem = "technique " + technique + ": pass " + pass.pass + " has no block";
                return false;
            }
            const size_t passEnd = Closing(tokens, open);
            for (size_t s = open + 1; s + 4 < passEnd; ++s) {
                if (!Is(tokens[s], "compile") || tokens[s + 3] != "(") continue;
                ShaderUse use{tokens[s + 1], tokens[s + 2], {}};
                const size_t close = Closing(tokens, s + 3);
                for (const auto& argument : SplitList(tokens, s + 3, close)) use.arguments.push_back(Join(argument, " "));
                pass.shaders.push_back(use);
                s = close;
            }
            passes.push_back(pass);
            p = passEnd;
        }
        i = end;
        if (end == tokens.size()) {
            problem = "technique " + technique + " is not closed";
            return false;
        }
        depth = 0;
    }
    return true;
}

bool MakeEntryWrapper(const std::string& preprocessed, const ShaderUse& use, const std::string& name,
                      std::string& wrapper, std::string& problem) {
    const std::vector<std::string> tokens = Tokenize(preprocessed);
    int depth = 0;
    for (size_t i = 1; i + 1 < tokens.size(); ++i) {
        if (tokens[i] == "{") ++depth;
        if (tokens[i] == "}") --depth;
        if (depth != 0 || tokens[i] != use.entry || tokens[i + 1] != "(") continue;
        const size_t close = Closing(tokens, i + 1);
        size_t body = close + 1;
        std::string semantic;
        if (body + 1 < tokens.size() && tokens[body] == ":") {
            semantic = " : " + tokens[body + 1];
            body += 2;
        }
        if (body >= tokens.size() || tokens[body] != "{") continue;  // a declaration or a call

        std::vector<std::string> varying, call;
        size_t next = 0;
        for (std::vector<std::string> parameter : SplitList(tokens, i + 1, close)) {
            for (size_t k = 0; k < parameter.size(); ++k)
                if (parameter[k] == "=") parameter.resize(k);  // default value
            bool uniform = false;
            std::string parameterName;
            for (const std::string& t : parameter) {
                if (t == ":" || t == "[") break;
                if (t == "uniform") uniform = true;
                parameterName = t;
            }
            if (!uniform) {
                varying.push_back(Join(parameter, " "));
                call.push_back(parameterName);
            } else if (next < use.arguments.size()) {
                call.push_back(use.arguments[next++]);
            } else {
                problem = use.entry + " has more uniform parameters than the pass gives arguments";
                return false;
            }
        }
        if (next != use.arguments.size()) {
            problem = use.entry + " has fewer uniform parameters than the pass gives arguments";
            return false;
        }
        const std::string& type = tokens[i - 1];
        wrapper = type + " " + name + "(" + Join(varying, ", ") + ")" + semantic + "\n{\n    " +
                  (type == "void" ? "" : "return ") + use.entry + "(" + Join(call, ", ") + ");\n}\n";
        return true;
    }
    problem = "no definition of " + use.entry;
    return false;
}

std::string ShaderLabel(const ShaderUse& use) {
    std::string label = use.entry;
    if (!use.arguments.empty()) label += "(" + Join(use.arguments, ", ") + ")";
    return label;
}
