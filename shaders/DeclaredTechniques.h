#pragma once
// The techniques and passes an effect source declares, as the compiler sees
// them once preprocessed: conditionals, macros and quoted includes are
// followed, with the part of the C preprocessor that effect sources use
// (no token pasting or stringising, which no technique name needs).
#include <functional>
#include <string>
#include <vector>

struct DeclaredTechnique {
    std::string name;                 // empty for an unnamed technique
    std::vector<std::string> passes;  // in order; "" for an unnamed pass
    unsigned shaders = 0;             // "compile" statements in its passes
    bool operator==(const DeclaredTechnique&) const = default;
};

// The text of a quoted include by its name; false when there is none.
using IncludeReader = std::function<bool(const std::string& name, std::string& text)>;

// False when the source cannot be followed (an include that cannot be read,
// an #error reached, a condition that does not evaluate, runaway macros):
// then nothing is known about what it declares.
bool FindDeclaredTechniques(const std::string& source, const IncludeReader& include,
                            std::vector<DeclaredTechnique>& techniques);
