#pragma once
// The stand-in converter's "binary" profile: a magic line, then the XML text
// backwards, so that nothing can read it as XML. Shared by
// tests/tools/fake_serz.cpp and the test fixtures.
#include <string>

namespace fake_serz {

inline const std::string kMagic = "VANTREL-FAKE-SERZ 1\n";

inline std::string Encode(const std::string& xml) { return kMagic + std::string(xml.rbegin(), xml.rend()); }

// False when the bytes are not in this format.
inline bool Decode(const std::string& bytes, std::string& xml) {
    if (bytes.compare(0, kMagic.size(), kMagic) != 0) return false;
    xml.assign(bytes.rbegin(), bytes.rend() - kMagic.size());
    return true;
}

}  // namespace fake_serz
