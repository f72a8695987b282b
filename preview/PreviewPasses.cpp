#include "preview/PreviewPasses.h"

#include <bit>
#include <cstdint>

bool PassNeedsScene(PreviewPass pass) { return pass != PreviewPass::EdgeSmoothing && pass != PreviewPass::PostChain; }

namespace {

// Floats by their bits: a NaN from a hand-edited file equals itself, so it
// is not computed again and again.
bool Same(float a, float b) { return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b); }

bool SameValue(const ParamDesc& p, const ShaderSettings& a, const ShaderSettings& b) {
    switch (p.kind) {
        case ParamKind::Bool: return a.*p.boolField == b.*p.boolField;
        case ParamKind::Float: return Same(a.*p.floatField, b.*p.floatField);
        case ParamKind::Tint: {
            const ColorTint &x = a.*p.tintField, &y = b.*p.tintField;
            return Same(x.r, y.r) && Same(x.g, y.g) && Same(x.b, y.b);
        }
    }
    return false;
}

}  // namespace

bool SameSettingsFor(PreviewPass pass, const ShaderSettings& a, const ShaderSettings& b) {
    for (const ParamDesc& p : ShaderParamTable())
        if (p.preview == pass && !SameValue(p, a, b)) return false;
    return true;
}

bool SamePreviewedSettings(const ShaderSettings& a, const ShaderSettings& b) {
    for (const ParamDesc& p : ShaderParamTable())
        if (p.preview != PreviewPass::None && !SameValue(p, a, b)) return false;
    return true;
}

int PreviewedSettingCount() {
    int count = 0;
    for (const ParamDesc& p : ShaderParamTable()) count += p.preview != PreviewPass::None ? 1 : 0;
    return count;
}
