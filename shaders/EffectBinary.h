#pragma once
// Reads the interface of a compiled Direct3D 9 effect (the fx_2_0 binary that
// fxc.exe writes and the game loads): its parameters and techniques. No D3DX;
// every offset and count of the file is checked, so any file can be given.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct EffectType {
    std::uint32_t type = 0;  // 0 void, 1 bool, 2 int, 3 float, 4 string, 5-9 textures, 10-14 samplers, 15-16 shaders
    std::uint32_t typeClass = 0;  // 0 scalar, 1 vector, 2 rows matrix, 3 columns matrix, 4 object, 5 struct
    std::uint32_t rows = 0;
    std::uint32_t columns = 0;
    std::uint32_t elements = 0;  // array length, 0 for a single value
    std::uint32_t members = 0;   // struct members
    bool operator==(const EffectType&) const = default;
};

struct EffectParameter {
    std::string name;
    std::string semantic;  // empty when there is none
    EffectType type;
    std::vector<std::string> annotations;  // names
};

struct EffectTechnique {
    std::string name;
    std::vector<std::string> passes;
};

struct EffectInterface {
    std::vector<EffectParameter> parameters;
    std::vector<EffectTechnique> techniques;
};

// False when the bytes are not a readable fx_2_0 effect, and when reading
// them would take more work or memory than any real effect does (a crafted
// file); effect is then empty.
bool ReadEffectInterface(std::string_view bytes, EffectInterface& effect);

// What a replacement lacks of the game's effect: techniques by name,
// parameters by name and type ("FogColour (float4)").
struct MissingInterface {
    std::vector<std::string> techniques;
    std::vector<std::string> parameters;
    bool empty() const { return techniques.empty() && parameters.empty(); }
};
MissingInterface FindMissingInterface(const EffectInterface& game, const EffectInterface& replacement);

// "float4x4", "float[3]", "texture", "sampler2D", "struct" ...
std::string DescribeEffectType(const EffectType& type);
