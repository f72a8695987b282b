#pragma once
// The stand-in converter's serialised profile: a magic line, then the XML text
// as hexadecimal digits. Shared by tests/tools/fake_serz.cpp and the fixtures.
#include <string>

namespace fake_serz {

inline const std::string kMagic = "VANTREL-FAKE-SERZ 1\n";

inline std::string Encode(const std::string& xml) {
    static const char digits[] = "0123456789abcdef";
    std::string out = kMagic;
    for (unsigned char c : xml) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    out += '\n';
    return out;
}

inline int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// False when the bytes are not in this format.
inline bool Decode(const std::string& bytes, std::string& xml) {
    if (bytes.compare(0, kMagic.size(), kMagic) != 0) return false;
    std::string hex = bytes.substr(kMagic.size());
    if (!hex.empty() && hex.back() == '\n') hex.pop_back();
    if (hex.size() % 2 != 0) return false;
    xml.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        int high = HexValue(hex[i]);
        int low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        xml += static_cast<char>(high * 16 + low);
    }
    return true;
}

}  // namespace fake_serz
