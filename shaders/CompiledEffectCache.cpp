#include "shaders/CompiledEffectCache.h"

#include <cstdint>
#include <cstdio>

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Log.h"

namespace {

// First line of a kept file: the tag, the input hash and the output's size,
// so that a file cut short is never taken for a whole one.
const std::string kTag = "VANTREL-COMPILED-EFFECT 1 ";

std::u16string KeptFile(const std::u16string& name) {
    return AppPaths.preferenceFolder + u"CompiledEffects\\" + name + u".fx.o.kept";
}

struct Fnv64 {
    std::uint64_t value = 14695981039346656037ull;
    // Each part is preceded by its length, so no two splits of the same bytes
    // give the same hash.
    void Add(const std::string& part) {
        AddBytes(std::to_string(part.size()) + ":");
        AddBytes(part);
    }
    void AddBytes(const std::string& bytes) {
        for (unsigned char c : bytes) {
            value ^= c;
            value *= 1099511628211ull;
        }
    }
};

}  // namespace

std::string EffectInputHash(const std::string& compilerIdentity, const std::string& headers,
                            const std::string& sourceCrLf) {
    Fnv64 hash;
    hash.Add(compilerIdentity);
    hash.Add("/Gec /T fx_2_0 /O3");
    hash.Add(headers);
    hash.Add(sourceCrLf);
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash.value));
    return hex;
}

bool TakeKeptEffect(const std::u16string& name, const std::string& inputHash, const std::u16string& file) {
    std::string kept;
    if (AppPaths.preferenceFolder.empty() || !ReadFileBytes(KeptFile(name), kept)) return false;
    const size_t lineEnd = kept.find('\n');
    if (lineEnd == std::string::npos) return false;
    const std::string output = kept.substr(lineEnd + 1);
    if (kept.compare(0, lineEnd, kTag + inputHash + " " + std::to_string(output.size())) != 0) return false;
    return WriteFileBytes(file, output);
}

void KeepEffect(const std::u16string& name, const std::string& inputHash, const std::u16string& file) {
    if (AppPaths.preferenceFolder.empty()) return;
    std::string output;
    const std::u16string kept = KeptFile(name);
    if (!ReadFileBytes(file, output) || !CreateDirectories(AppPaths.preferenceFolder + u"CompiledEffects") ||
        !WriteFileReplacingSafely(kept, kTag + inputHash + " " + std::to_string(output.size()) + "\n" + output)) {
        Log(u"Can't keep the compiled shader in " + kept + u"; it will be compiled again next time");
    }
}
