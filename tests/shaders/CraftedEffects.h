#pragma once
// Effects made to stall or bloat a reader, as a game folder might hold them:
// small files whose offsets point many times at the same large part.
#include "tests/support/EffectWriter.h"

namespace crafted {

using effect_writer::Builder;
using effect_writer::Words;

// A struct of `width` members, each a struct of `width` ... `depth` levels
// down, the leaves floats; every name the same 1000-byte string.
inline std::uint32_t NestedStruct(Builder& b, std::uint32_t name, int depth, std::uint32_t width) {
    if (depth == 0) return b.Numeric(3, 0, name);
    const std::uint32_t at = b.Put(Words({0, 5, name, 0, 0, width}));
    for (std::uint32_t i = 0; i < width; ++i) NestedStruct(b, name, depth - 1, width);
    return at;
}

// About 190 KB: 3600 parameters, each of the same struct type with 4681
// nested member types.
inline std::string NestedStructs() {
    Builder b;
    const std::uint32_t name = b.String(std::string(1000, 'm'));
    const std::uint32_t type = NestedStruct(b, name, 4, 8);
    std::string table = Words({3600, 0, 0, 0});
    for (int i = 0; i < 3600; ++i) table += Words({type, 0, 0, 0});
    return b.Finish(table);
}

// About 295 KB: 8 parameters with 4096 annotations each, every annotation
// named by the same 28 KB string (together some 900 MB of names).
inline std::string ManyAnnotations() {
    Builder b;
    const std::uint32_t parameter = b.Numeric(3, 0, b.String("p"));
    const std::uint32_t annotation = b.Numeric(3, 0, b.String(std::string(28 * 1024, 'a')));
    std::string table = Words({8, 0, 0, 0});
    for (int p = 0; p < 8; ++p) {
        table += Words({parameter, 0, 0, 4096});
        for (int a = 0; a < 4096; ++a) table += Words({annotation, 0});
    }
    return b.Finish(table);
}

}  // namespace crafted
