#include "shaders/DeclaredTechniques.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>

namespace {

enum class TokenKind { Identifier, Number, Literal, Punctuator };

struct Token {
    TokenKind kind;
    std::string text;
    bool Is(const char* punctuator) const { return kind == TokenKind::Punctuator && text == punctuator; }
};
using Tokens = std::vector<Token>;

constexpr int kMaxIncludeDepth = 32;
// Tokens made in all, macro expansions included (the largest effect makes
// some 9000): a source whose macros run away ends here instead of filling
// the memory.
constexpr size_t kMaxTokensMade = size_t(1) << 18;

bool IdentifierStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IdentifierPart(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The text as logical lines: continued lines joined, comments replaced by a
// space (a block comment over several lines joins them, as in C), CR dropped
// before LF.
std::vector<std::string> LogicalLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    char quote = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            size_t next = i + 1;
            if (next < text.size() && text[next] == '\r') ++next;
            if (next < text.size() && text[next] == '\n') {
                i = next;
                continue;
            }
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            quote = 0;
            continue;
        }
        if (quote) {
            line += c;
            if (c == '\\' && i + 1 < text.size() && text[i + 1] != '\n' && text[i + 1] != '\r') {
                line += text[++i];
            } else if (c == quote) {
                quote = 0;
            }
            continue;
        }
        if (c == '"' || c == '\'') quote = c;
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            while (i + 1 < text.size() && text[i + 1] != '\n') ++i;
            line += ' ';
            continue;
        }
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            const size_t end = text.find("*/", i + 2);
            i = end == std::string::npos ? text.size() : end + 1;
            line += ' ';
            continue;
        }
        line += c;
    }
    lines.push_back(std::move(line));
    return lines;
}

Tokens Tokenize(const std::string& line, size_t from = 0) {
    static const char* const kLong[] = {"<<=", ">>=", "...", "==", "!=", "<=", ">=", "&&", "||", "<<", ">>", "##",
                                        "++",  "--",  "->",  "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "::"};
    Tokens tokens;
    size_t i = from;
    while (i < line.size()) {
        const char c = line[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        const size_t start = i;
        TokenKind kind = TokenKind::Punctuator;
        if (IdentifierStart(c)) {
            kind = TokenKind::Identifier;
            while (i < line.size() && IdentifierPart(line[i])) ++i;
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && i + 1 < line.size() && std::isdigit(static_cast<unsigned char>(line[i + 1])))) {
            kind = TokenKind::Number;
            const bool hex = c == '0' && i + 1 < line.size() && (line[i + 1] == 'x' || line[i + 1] == 'X');
            for (++i; i < line.size(); ++i) {
                const char d = line[i], before = line[i - 1];
                const bool sign = (d == '+' || d == '-') && !hex && (before == 'e' || before == 'E');
                if (!IdentifierPart(d) && d != '.' && !sign) break;
            }
        } else if (c == '"' || c == '\'') {
            kind = TokenKind::Literal;
            for (++i; i < line.size() && line[i] != c; ++i) {
                if (line[i] == '\\') ++i;
            }
            i = std::min(i + 1, line.size());
        } else {
            i += 1;
            for (const char* p : kLong) {
                const size_t length = std::char_traits<char>::length(p);
                if (line.compare(start, length, p) == 0) {
                    i = start + length;
                    break;
                }
            }
        }
        tokens.push_back({kind, line.substr(start, i - start)});
    }
    return tokens;
}

struct Macro {
    bool function = false;
    std::vector<std::string> parameters;
    Tokens body;
};

// A #if condition over numbers; identifiers left after expansion are 0.
struct Condition {
    const Tokens& tokens;
    size_t at = 0;
    bool ok = true;

    bool Next(const char* punctuator) {
        if (at < tokens.size() && tokens[at].Is(punctuator)) {
            ++at;
            return true;
        }
        return false;
    }
    static long long Whole(double value) { return static_cast<long long>(value); }

    double Ternary() {
        const double condition = Or();
        if (!Next("?")) return condition;
        const double a = Ternary();
        if (!Next(":")) ok = false;
        const double b = Ternary();
        return condition != 0 ? a : b;
    }
    double Or() {
        double value = And();
        while (Next("||")) value = (And() != 0) || value != 0;
        return value;
    }
    double And() {
        double value = BitOr();
        while (Next("&&")) value = (BitOr() != 0) && value != 0;
        return value;
    }
    double BitOr() {
        double value = BitXor();
        while (Next("|")) value = static_cast<double>(Whole(value) | Whole(BitXor()));
        return value;
    }
    double BitXor() {
        double value = BitAnd();
        while (Next("^")) value = static_cast<double>(Whole(value) ^ Whole(BitAnd()));
        return value;
    }
    double BitAnd() {
        double value = Equality();
        while (Next("&")) value = static_cast<double>(Whole(value) & Whole(Equality()));
        return value;
    }
    double Equality() {
        double value = Relation();
        for (;;) {
            if (Next("==")) value = value == Relation();
            else if (Next("!=")) value = value != Relation();
            else return value;
        }
    }
    double Relation() {
        double value = Shift();
        for (;;) {
            if (Next("<=")) value = value <= Shift();
            else if (Next(">=")) value = value >= Shift();
            else if (Next("<")) value = value < Shift();
            else if (Next(">")) value = value > Shift();
            else return value;
        }
    }
    double Shift() {
        double value = Sum();
        for (;;) {
            if (Next("<<")) value = static_cast<double>(Whole(value) << (Whole(Sum()) & 63));
            else if (Next(">>")) value = static_cast<double>(Whole(value) >> (Whole(Sum()) & 63));
            else return value;
        }
    }
    double Sum() {
        double value = Product();
        for (;;) {
            if (Next("+")) value += Product();
            else if (Next("-")) value -= Product();
            else return value;
        }
    }
    double Product() {
        double value = Unary();
        for (;;) {
            if (Next("*")) {
                value *= Unary();
            } else if (Next("/") || Next("%")) {
                const bool remainder = tokens[at - 1].text == "%";
                const double divisor = Unary();
                if (divisor == 0) {
                    ok = false;
                    return 0;
                }
                value = remainder ? static_cast<double>(Whole(value) % Whole(divisor)) : value / divisor;
            } else {
                return value;
            }
        }
    }
    double Unary() {
        if (Next("!")) return Unary() == 0;
        if (Next("~")) return static_cast<double>(~Whole(Unary()));
        if (Next("-")) return -Unary();
        if (Next("+")) return Unary();
        return Primary();
    }
    double Primary() {
        if (Next("(")) {
            const double value = Ternary();
            if (!Next(")")) ok = false;
            return value;
        }
        if (at >= tokens.size()) {
            ok = false;
            return 0;
        }
        const Token& token = tokens[at++];
        if (token.kind == TokenKind::Identifier) return 0;
        if (token.kind != TokenKind::Number) {
            ok = false;
            return 0;
        }
        std::string digits = token.text;
        const bool hex = digits.size() > 1 && (digits[1] == 'x' || digits[1] == 'X');
        while (!digits.empty() && !hex && std::string("uUlLfFhH").find(digits.back()) != std::string::npos) {
            digits.pop_back();
        }
        while (!digits.empty() && hex && std::string("uUlL").find(digits.back()) != std::string::npos) {
            digits.pop_back();
        }
        char* end = nullptr;
        const bool whole = hex || digits.find_first_of(".eE") == std::string::npos;
        const double value = whole ? static_cast<double>(std::strtoull(digits.c_str(), &end, 0))
                                   : std::strtod(digits.c_str(), &end);
        if (digits.empty() || *end != '\0') ok = false;
        return value;
    }
};

struct Conditional {
    bool parentActive;
    bool active;
    bool taken;  // a branch of this group was (or, when the parent is off, counts as) chosen
};

struct Preprocessor {
    const IncludeReader& include;
    std::map<std::string, Macro> macros;
    std::vector<Conditional> conditionals;
    Tokens output;
    size_t made = 0;

    bool Active() const { return conditionals.empty() || conditionals.back().active; }

    bool Emit(Tokens& out, const Token& token) {
        out.push_back(token);
        return ++made <= kMaxTokensMade;
    }

    // Macro expansion of in, appended to out; a macro is not expanded again
    // inside its own replacement.
    bool Expand(const Tokens& in, std::vector<std::string>& expanding, Tokens& out) {
        for (size_t i = 0; i < in.size(); ++i) {
            const Token& token = in[i];
            const auto found = token.kind == TokenKind::Identifier ? macros.find(token.text) : macros.end();
            if (found == macros.end() ||
                std::find(expanding.begin(), expanding.end(), token.text) != expanding.end()) {
                if (!Emit(out, token)) return false;
                continue;
            }
            const Macro& macro = found->second;
            Tokens replacement;
            if (!macro.function) {
                replacement = macro.body;
            } else {
                if (i + 1 >= in.size() || !in[i + 1].Is("(")) {
                    if (!Emit(out, token)) return false;
                    continue;
                }
                std::vector<Tokens> arguments(1);
                int depth = 0;
                size_t j = i + 2;
                for (; j < in.size(); ++j) {
                    if (in[j].Is("(")) ++depth;
                    if (in[j].Is(")") && depth-- == 0) break;
                    if (in[j].Is(",") && depth == 0) {
                        arguments.emplace_back();
                    } else {
                        arguments.back().push_back(in[j]);
                    }
                }
                if (j >= in.size()) return false;  // the call never closes
                if (macro.parameters.empty() && arguments.size() == 1 && arguments[0].empty()) arguments.clear();
                if (arguments.size() != macro.parameters.size()) return false;
                std::vector<Tokens> expanded(arguments.size());
                for (size_t a = 0; a < arguments.size(); ++a) {
                    if (!Expand(arguments[a], expanding, expanded[a])) return false;
                }
                for (const Token& part : macro.body) {
                    const auto parameter = std::find(macro.parameters.begin(), macro.parameters.end(), part.text);
                    if (part.kind == TokenKind::Identifier && parameter != macro.parameters.end()) {
                        const Tokens& value = expanded[parameter - macro.parameters.begin()];
                        replacement.insert(replacement.end(), value.begin(), value.end());
                    } else {
                        replacement.push_back(part);
                    }
                }
                i = j;
            }
            expanding.push_back(token.text);
            const bool ok = Expand(replacement, expanding, out);
            expanding.pop_back();
            if (!ok) return false;
        }
        return true;
    }

    bool Flush(Tokens& pending) {
        std::vector<std::string> expanding;
        const bool ok = Expand(pending, expanding, output);
        pending.clear();
        return ok;
    }

    bool Evaluate(const Tokens& directive, bool& value) {
        Tokens resolved;
        for (size_t i = 1; i < directive.size(); ++i) {
            if (directive[i].kind != TokenKind::Identifier || directive[i].text != "defined") {
                resolved.push_back(directive[i]);
                continue;
            }
            const bool parenthesised = i + 1 < directive.size() && directive[i + 1].Is("(");
            const size_t name = i + (parenthesised ? 2 : 1);
            if (name >= directive.size() || directive[name].kind != TokenKind::Identifier) return false;
            if (parenthesised && (name + 1 >= directive.size() || !directive[name + 1].Is(")"))) return false;
            resolved.push_back({TokenKind::Number, macros.count(directive[name].text) ? "1" : "0"});
            i = name + (parenthesised ? 1 : 0);
        }
        Tokens expanded;
        std::vector<std::string> expanding;
        if (!Expand(resolved, expanding, expanded)) return false;
        Condition condition{expanded};
        value = condition.Ternary() != 0;
        return condition.ok && condition.at == expanded.size();
    }

    // "#define NAME body" or "#define NAME(a, b) body", from the raw line:
    // only a parenthesis right after the name makes a function-like macro.
    bool Define(const std::string& line, size_t at) {
        while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
        const size_t start = at;
        while (at < line.size() && IdentifierPart(line[at])) ++at;
        if (at == start || !IdentifierStart(line[start])) return false;
        const std::string name = line.substr(start, at - start);
        Macro macro;
        if (at < line.size() && line[at] == '(') {
            macro.function = true;
            const size_t close = line.find(')', at);
            if (close == std::string::npos) return false;
            const Tokens parameters = Tokenize(line.substr(at + 1, close - at - 1));
            for (size_t i = 0; i < parameters.size(); ++i) {
                const bool name = i % 2 == 0;
                if (name ? parameters[i].kind != TokenKind::Identifier : !parameters[i].Is(",")) return false;
                if (name) macro.parameters.push_back(parameters[i].text);
            }
            if (!parameters.empty() && parameters.back().Is(",")) return false;
            at = close + 1;
        }
        macro.body = Tokenize(line, at);
        macros[name] = std::move(macro);
        return true;
    }

    bool Branch(const std::string& name, const Tokens& directive) {
        const bool parent = Active();
        if (name == "ifdef" || name == "ifndef" || name == "if") {
            bool value = false;
            if (parent && name == "if" && !Evaluate(directive, value)) return false;
            if (parent && name != "if") {
                if (directive.size() < 2 || directive[1].kind != TokenKind::Identifier) return false;
                value = macros.count(directive[1].text) == (name == "ifdef" ? 1u : 0u);
            }
            conditionals.push_back({parent, parent && value, !parent || value});
            return true;
        }
        if (conditionals.empty()) return false;
        Conditional& group = conditionals.back();
        if (name == "endif") {
            conditionals.pop_back();
        } else if (name == "else") {
            group.active = !group.taken;
            group.taken = true;
        } else {  // elif
            bool value = false;
            if (!group.taken && !Evaluate(directive, value)) return false;
            group.active = !group.taken && value;
            group.taken = group.taken || value;
        }
        return true;
    }

    bool Run(const std::string& text, int depth) {
        if (depth > kMaxIncludeDepth) return false;
        Tokens pending;
        for (const std::string& line : LogicalLines(text)) {
            const size_t hash = line.find_first_not_of(" \t\f\v");
            if (hash == std::string::npos || line[hash] != '#') {
                if (!Active()) continue;
                const Tokens tokens = Tokenize(line);
                pending.insert(pending.end(), tokens.begin(), tokens.end());
                if ((made += tokens.size()) > kMaxTokensMade) return false;
                continue;
            }
            const Tokens directive = Tokenize(line, hash + 1);
            if (directive.empty()) continue;
            const std::string& name = directive[0].text;
            if (name == "if" || name == "ifdef" || name == "ifndef" || name == "elif" || name == "else" ||
                name == "endif") {
                if (!Branch(name, directive)) return false;
                continue;
            }
            if (!Active()) continue;
            // What stood before a directive is expanded with the macros of its time.
            if (!Flush(pending)) return false;
            if (name == "define") {
                if (!Define(line, line.find("define", hash) + 6)) return false;
            } else if (name == "undef") {
                if (directive.size() < 2) return false;
                macros.erase(directive[1].text);
            } else if (name == "include") {
                if (directive.size() < 2 || directive[1].kind != TokenKind::Literal || directive[1].text[0] != '"') {
                    return false;
                }
                const std::string file = directive[1].text.substr(1, directive[1].text.size() - 2);
                std::string included;
                if (!include(file, included) || !Run(included, depth + 1)) return false;
            } else if (name == "error") {
                return false;
            }
            // #pragma, #line and the like change nothing of what is declared.
        }
        return Flush(pending);
    }
};

// "<" up to the next ">": the annotations of a technique or pass.
size_t SkipAnnotations(const Tokens& tokens, size_t at) {
    if (at >= tokens.size() || !tokens[at].Is("<")) return at;
    while (at < tokens.size() && !tokens[at].Is(">")) ++at;
    return at + 1;
}

bool Keyword(const Token& token, const char* lower, const char* upper) {
    return token.kind == TokenKind::Identifier && (token.text == lower || token.text == upper);
}

std::vector<DeclaredTechnique> ScanTechniques(const Tokens& tokens) {
    std::vector<DeclaredTechnique> techniques;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!Keyword(tokens[i], "technique", "Technique")) continue;
        DeclaredTechnique technique;
        size_t at = i + 1;
        if (at < tokens.size() && tokens[at].kind == TokenKind::Identifier) technique.name = tokens[at++].text;
        at = SkipAnnotations(tokens, at);
        if (at >= tokens.size() || !tokens[at].Is("{")) continue;
        int depth = 0;
        for (; at < tokens.size(); ++at) {
            if (tokens[at].Is("{")) ++depth;
            if (tokens[at].Is("}") && --depth == 0) break;
            if (depth >= 2 && tokens[at].kind == TokenKind::Identifier && tokens[at].text == "compile") {
                ++technique.shaders;
            }
            if (depth == 1 && Keyword(tokens[at], "pass", "Pass")) {
                const bool named = at + 1 < tokens.size() && tokens[at + 1].kind == TokenKind::Identifier;
                technique.passes.push_back(named ? tokens[at + 1].text : std::string());
            }
        }
        techniques.push_back(std::move(technique));
        i = at;
    }
    return techniques;
}

}  // namespace

bool FindDeclaredTechniques(const std::string& source, const IncludeReader& include,
                            std::vector<DeclaredTechnique>& techniques) {
    techniques.clear();
    Preprocessor preprocessor{include, {}, {}, {}, 0};
    if (!preprocessor.Run(source, 0) || !preprocessor.conditionals.empty()) return false;
    techniques = ScanTechniques(preprocessor.output);
    return true;
}
