#include "shaders/EffectBinary.h"

#include <iterator>

namespace {

constexpr std::uint32_t kTag = 0xFEFF0901;
constexpr size_t kBase = 8;  // offsets in the file count from here
// Far above any real effect; a larger count is a damaged file.
constexpr std::uint32_t kMaxCount = 4096;
constexpr int kMaxTypeDepth = 8;
// What one reading may cost in all, however often the file's offsets point
// at the same large part: a real effect (a few hundred parameters, a few
// annotations each) stays far below, a crafted one is "not readable".
constexpr std::uint32_t kMaxTypesVisited = 1u << 16;
constexpr std::uint32_t kMaxAnnotations = 1u << 14;
constexpr size_t kMaxBytesKept = size_t(4) << 20;

struct Reader {
    std::string_view bytes;
    std::uint32_t typesVisited = 0;
    std::uint32_t annotations = 0;
    size_t bytesKept = 0;

    bool VisitType() { return ++typesVisited <= kMaxTypesVisited; }
    bool CountAnnotation() { return ++annotations <= kMaxAnnotations; }
    // Charges what the interface is about to keep: an entry and its text.
    bool Keep(size_t entryBytes, size_t textBytes = 0) {
        bytesKept += entryBytes + textBytes;
        return bytesKept <= kMaxBytesKept;
    }

    bool WordAt(size_t position, std::uint32_t& value) const {
        if (position > bytes.size() || bytes.size() - position < 4) return false;
        value = 0;
        for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[position + i]);
        return true;
    }

    // A string at an offset: its byte count (terminating zero included), then
    // the bytes. Offset 0 stands for "none".
    bool StringViewAt(std::uint32_t offset, std::string_view& text) const {
        text = std::string_view();
        if (offset == 0) return true;
        const size_t position = kBase + offset;
        std::uint32_t length = 0;
        if (!WordAt(position, length)) return false;
        if (bytes.size() - position - 4 < length) return false;
        text = bytes.substr(position + 4, length);
        text = text.substr(0, text.find('\0'));
        return true;
    }
    // The same, kept in the interface and charged to the reading.
    bool StringAt(std::uint32_t offset, std::string& text) {
        std::string_view view;
        if (!StringViewAt(offset, view) || !Keep(0, view.size())) return false;
        text.assign(view);
        return true;
    }
};

// A sequential reader over the table.
struct Cursor {
    const Reader& reader;
    size_t position;

    bool Word(std::uint32_t& value) {
        if (!reader.WordAt(position, value)) return false;
        position += 4;
        return true;
    }
    bool Count(std::uint32_t& value) { return Word(value) && value <= kMaxCount; }
    bool Skip(std::uint32_t words) {
        std::uint32_t ignored = 0;
        for (std::uint32_t i = 0; i < words; ++i) {
            if (!Word(ignored)) return false;
        }
        return true;
    }
};

// A type description at a position; end is where the next one would start
// (struct members follow their struct directly). Names are kept only for
// the outermost type (name and semantic are null for members).
bool ReadTypeAt(Reader& reader, size_t position, int depth, EffectType& type, std::string* name,
                std::string* semantic, size_t& end) {
    if (depth > kMaxTypeDepth || !reader.VisitType()) return false;
    Cursor cursor{reader, position};
    std::uint32_t nameOffset = 0, semanticOffset = 0;
    // The element count is only reported, never read through.
    if (!cursor.Word(type.type) || !cursor.Word(type.typeClass) || !cursor.Word(nameOffset) ||
        !cursor.Word(semanticOffset) || !cursor.Word(type.elements)) {
        return false;
    }
    std::string_view unused;
    if (!(name ? reader.StringAt(nameOffset, *name) : reader.StringViewAt(nameOffset, unused))) return false;
    if (!(semantic ? reader.StringAt(semanticOffset, *semantic) : reader.StringViewAt(semanticOffset, unused))) {
        return false;
    }
    switch (type.typeClass) {
        case 0:
        case 2:
        case 3:
            if (!cursor.Word(type.rows) || !cursor.Word(type.columns)) return false;
            break;
        case 1:
            if (!cursor.Word(type.columns) || !cursor.Word(type.rows)) return false;
            break;
        case 4:
            break;
        case 5: {
            if (!cursor.Count(type.members)) return false;
            for (std::uint32_t i = 0; i < type.members; ++i) {
                EffectType member;
                if (!ReadTypeAt(reader, cursor.position, depth + 1, member, nullptr, nullptr, cursor.position)) {
                    return false;
                }
            }
            break;
        }
        default:
            return false;
    }
    end = cursor.position;
    return true;
}

bool ReadTypeOffset(Reader& reader, std::uint32_t offset, EffectType& type, std::string* name,
                    std::string* semantic) {
    size_t end = 0;
    return ReadTypeAt(reader, kBase + offset, 0, type, name, semantic, end);
}

// Annotation records: a type offset and a value offset each; the name is the type's.
bool ReadAnnotations(Reader& reader, Cursor& cursor, std::uint32_t count, std::vector<std::string>* names) {
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t typeOffset = 0, valueOffset = 0;
        if (!reader.CountAnnotation() || !cursor.Word(typeOffset) || !cursor.Word(valueOffset)) return false;
        EffectType type;
        std::string name;
        if (!ReadTypeOffset(reader, typeOffset, type, names ? &name : nullptr, nullptr)) return false;
        if (names) {
            if (!reader.Keep(sizeof(std::string))) return false;
            names->push_back(std::move(name));
        }
    }
    return true;
}

bool ReadParameter(Reader& reader, Cursor& cursor, EffectParameter& parameter) {
    std::uint32_t typeOffset = 0, valueOffset = 0, flags = 0, annotations = 0;
    if (!cursor.Word(typeOffset) || !cursor.Word(valueOffset) || !cursor.Word(flags) || !cursor.Count(annotations)) {
        return false;
    }
    if (!ReadTypeOffset(reader, typeOffset, parameter.type, &parameter.name, &parameter.semantic)) return false;
    return ReadAnnotations(reader, cursor, annotations, &parameter.annotations);
}

bool ReadTechnique(Reader& reader, Cursor& cursor, EffectTechnique& technique) {
    std::uint32_t nameOffset = 0, annotations = 0, passes = 0;
    if (!cursor.Word(nameOffset) || !cursor.Count(annotations) || !cursor.Count(passes)) return false;
    if (!reader.StringAt(nameOffset, technique.name)) return false;
    if (!ReadAnnotations(reader, cursor, annotations, nullptr)) return false;
    for (std::uint32_t p = 0; p < passes; ++p) {
        std::uint32_t passName = 0, passAnnotations = 0, states = 0;
        if (!cursor.Word(passName) || !cursor.Count(passAnnotations) || !cursor.Count(states)) return false;
        std::string name;
        if (!reader.Keep(sizeof(std::string)) || !reader.StringAt(passName, name)) return false;
        technique.passes.push_back(std::move(name));
        if (!ReadAnnotations(reader, cursor, passAnnotations, nullptr)) return false;
        if (!cursor.Skip(4 * states)) return false;  // operation, index, type, value
    }
    return true;
}

bool ReadAll(Reader& reader, EffectInterface& effect) {
    std::uint32_t tag = 0, start = 0;
    if (!reader.WordAt(0, tag) || tag != kTag || !reader.WordAt(4, start)) return false;
    Cursor cursor{reader, kBase + start};
    std::uint32_t parameters = 0, techniques = 0, unused = 0, objects = 0;
    if (!cursor.Count(parameters) || !cursor.Count(techniques) || !cursor.Word(unused) || !cursor.Word(objects)) {
        return false;
    }
    for (std::uint32_t i = 0; i < parameters; ++i) {
        if (!reader.Keep(sizeof(EffectParameter))) return false;
        effect.parameters.emplace_back();
        if (!ReadParameter(reader, cursor, effect.parameters.back())) return false;
    }
    for (std::uint32_t i = 0; i < techniques; ++i) {
        if (!reader.Keep(sizeof(EffectTechnique))) return false;
        effect.techniques.emplace_back();
        if (!ReadTechnique(reader, cursor, effect.techniques.back())) return false;
    }
    // Then the string objects, each an object index, a byte count and the
    // bytes padded to 4: an effect cut short before their end is no effect.
    // The resources after them (the shaders' code) are not read.
    std::uint32_t strings = 0, resources = 0;
    if (!cursor.Word(strings) || !cursor.Word(resources)) return false;
    for (std::uint32_t i = 0; i < strings; ++i) {
        std::uint32_t index = 0, length = 0;
        if (!cursor.Word(index) || !cursor.Word(length)) return false;
        const size_t padded = (static_cast<size_t>(length) + 3) / 4 * 4;
        if (reader.bytes.size() - cursor.position < padded) return false;
        cursor.position += padded;
    }
    return true;
}

}  // namespace

bool ReadEffectInterface(std::string_view bytes, EffectInterface& effect) {
    effect = EffectInterface();
    Reader reader{bytes};
    if (ReadAll(reader, effect)) return true;
    effect = EffectInterface();
    return false;
}

std::string DescribeEffectType(const EffectType& type) {
    static const char* const kNames[] = {"void",        "bool",        "int",       "float",     "string",
                                         "texture",     "texture1D",   "texture2D", "texture3D", "textureCube",
                                         "sampler",     "sampler1D",   "sampler2D", "sampler3D", "samplerCube",
                                         "pixelshader", "vertexshader"};
    std::string text;
    if (type.typeClass == 5) {
        text = "struct";
    } else {
        if (type.type < std::size(kNames)) {
            text = kNames[type.type];
        } else {
            text = "type";
            text += std::to_string(type.type);
        }
        if (type.typeClass == 1) {
            text += std::to_string(type.columns);
        } else if (type.typeClass == 2 || type.typeClass == 3) {
            text += std::to_string(type.rows);
            text += 'x';
            text += std::to_string(type.columns);
        }
    }
    if (type.elements > 0) {
        text += '[';
        text += std::to_string(type.elements);
        text += ']';
    }
    return text;
}

MissingInterface FindMissingInterface(const EffectInterface& game, const EffectInterface& replacement) {
    MissingInterface missing;
    for (const EffectTechnique& technique : game.techniques) {
        bool found = false;
        for (const EffectTechnique& other : replacement.techniques) found = found || other.name == technique.name;
        if (!found) missing.techniques.push_back(technique.name);
    }
    for (const EffectParameter& parameter : game.parameters) {
        bool found = false;
        for (const EffectParameter& other : replacement.parameters) {
            found = found || (other.name == parameter.name && other.type == parameter.type);
        }
        if (!found) missing.parameters.push_back(parameter.name + " (" + DescribeEffectType(parameter.type) + ")");
    }
    return missing;
}
