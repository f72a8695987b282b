#pragma once
// Writes compiled Direct3D 9 effects (fx_2_0) for the stand-in compilers and
// the tests: the documented part of the layout (tag, offset of the table,
// strings, type descriptions, parameters, techniques with their passes),
// from parts a test chooses, so that crafted and damaged effects can be made
// as easily as whole ones. Header-only: the stand-in tools include it too.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace effect_writer {

inline std::string Words(std::initializer_list<std::uint32_t> words) {
    std::string bytes;
    for (std::uint32_t w : words)
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>(w >> (8 * i));
    return bytes;
}

// The part of the file the offsets count from (byte 8 on): strings and type
// descriptions first, then the table. Offset 0 means "none", so a word of
// nothing comes first.
struct Builder {
    std::string data = Words({0});

    std::uint32_t Put(const std::string& bytes) {
        const auto at = static_cast<std::uint32_t>(data.size());
        data += bytes;
        return at;
    }
    // Byte count with the terminating zero, the bytes, padding to 4.
    std::uint32_t String(const std::string& text) {
        std::string bytes = Words({static_cast<std::uint32_t>(text.size() + 1)}) + text + '\0';
        bytes.resize((bytes.size() + 3) / 4 * 4, '\0');
        return Put(bytes);
    }
    // A scalar, vector or matrix type: type, class, name, semantic, elements, rows, columns.
    std::uint32_t Numeric(std::uint32_t type, std::uint32_t typeClass, std::uint32_t name, std::uint32_t rows = 1,
                          std::uint32_t columns = 1) {
        return typeClass == 1 ? Put(Words({type, typeClass, name, 0, 0, columns, rows}))
                              : Put(Words({type, typeClass, name, 0, 0, rows, columns}));
    }
    // The tag, the table's offset, everything put so far and the table.
    std::string Finish(const std::string& table) const {
        return Words({0xFEFF0901u, static_cast<std::uint32_t>(data.size())}) + data + table;
    }
};

struct Technique {
    std::string name;
    std::vector<std::string> passes;
};

// An effect with one float parameter per name in parameters and the
// techniques with their passes (no annotations, no states).
inline std::string Effect(const std::vector<Technique>& techniques,
                          const std::vector<std::string>& parameters = {}) {
    Builder b;
    std::string table = Words({static_cast<std::uint32_t>(parameters.size()),
                               static_cast<std::uint32_t>(techniques.size()), 0, 0});
    for (const std::string& p : parameters) table += Words({b.Numeric(3, 0, b.String(p)), 0, 0, 0});
    for (const Technique& t : techniques) {
        table += Words({b.String(t.name), 0, static_cast<std::uint32_t>(t.passes.size())});
        for (const std::string& pass : t.passes) table += Words({b.String(pass), 0, 0});
    }
    return b.Finish(table + Words({0, 0}));  // no strings, no resources
}

}  // namespace effect_writer
