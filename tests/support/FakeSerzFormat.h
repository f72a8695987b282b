#pragma once
// The stand-in converter's "binary" profile, shared by tests/tools/fake_serz.cpp
// and the fixtures: a magic line, then the XML text backwards, so that nothing
// can read it as XML.
#include <string>

namespace fake_serz {

inline const std::string kMagic = "VANTREL-FAKE-SERZ 1\n";

inline std::string Encode(const std::string& xml) { return kMagic + std::string(xml.rbegin(), xml.rend()); }

inline bool Decode(const std::string& bytes, std::string& xml) {  // false: not in this format
    if (!bytes.starts_with(kMagic)) return false;
    xml.assign(bytes.rbegin(), bytes.rend() - kMagic.size());
    return true;
}

}  // namespace fake_serz
