#include "shaders/CompiledEffectCache.h"

#include <cstdint>
#include <cstdio>
#include <sstream>

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Log.h"

namespace {

// First line of a kept file: the tag, the input hash, the output's size (so
// that a file cut short is never taken for a whole one) and the compile's
// milliseconds (absent in files of version 1).
const std::string kTag = "VANTREL-COMPILED-EFFECT";

struct KeptHeader {
    std::string inputHash;
    size_t size = 0;
    long milliseconds = -1;
};

// The header of a kept file and where its output starts; false when it has none.
bool ReadHeader(const std::string& kept, KeptHeader& header, size_t& outputStart) {
    const size_t lineEnd = kept.find('\n');
    if (lineEnd == std::string::npos) return false;
    std::istringstream line(kept.substr(0, lineEnd));
    std::string tag, version;
    if (!(line >> tag >> version >> header.inputHash >> header.size) || tag != kTag ||
        (version != "1" && version != "2")) {
        return false;
    }
    if (version == "2" && !(line >> header.milliseconds)) return false;
    outputStart = lineEnd + 1;
    return true;
}

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
    KeptHeader header;
    size_t start = 0;
    if (!ReadHeader(kept, header, start) || header.inputHash != inputHash || header.size != kept.size() - start) {
        return false;
    }
    return WriteFileBytes(file, kept.substr(start));
}

void KeepEffect(const std::u16string& name, const std::string& inputHash, const std::u16string& file,
                long compileMilliseconds) {
    if (AppPaths.preferenceFolder.empty()) return;
    std::string output;
    const std::u16string kept = KeptFile(name);
    if (!ReadFileBytes(file, output) || !CreateDirectories(AppPaths.preferenceFolder + u"CompiledEffects") ||
        !WriteFileReplacingSafely(kept, kTag + " 2 " + inputHash + " " + std::to_string(output.size()) + " " +
                                            std::to_string(compileMilliseconds) + "\n" + output)) {
        Log(u"Can't keep the compiled shader in " + kept + u"; it will be compiled again next time");
    }
}

long KeptCompileMilliseconds(const std::u16string& name) {
    std::string kept;
    KeptHeader header;
    size_t start = 0;
    if (AppPaths.preferenceFolder.empty() || !ReadFileBytes(KeptFile(name), kept) ||
        !ReadHeader(kept, header, start)) {
        return -1;
    }
    return header.milliseconds;
}
