#include "shaders/ChangeManifest.h"

#include <pugixml.hpp>

#include <sstream>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "app/Sha256.h"
#include "app/Text.h"
#include "shaders/GameShaderIo.h"

namespace {

const char* const kRoot = "VantrelChanges";
const char16_t* const kOriginals = u"\\Originals";
// A hand-edited record may hold thousands of bad entries: the log names the
// first ones and counts the rest.
constexpr size_t kRefusalsLogged = 20;

std::u16string OriginalsFolder(const std::u16string& gamePath) {
    return gamePath + u"\\" + ChangeRecordPart() + kOriginals;
}

// Windows opens a device for these names whatever follows the first dot
// (and whatever spaces end them): "CON.fx.o" is the console.
bool IsDeviceName(std::u16string stem) {
    while (!stem.empty() && stem.back() == u' ') stem.pop_back();
    for (auto& c : stem) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    for (const char16_t* device : {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"}) {
        if (stem == device) return true;
    }
    const std::u16string_view digits = u"0123456789\u00B9\u00B2\u00B3";
    return stem.size() == 4 && (stem.starts_with(u"COM") || stem.starts_with(u"LPT")) &&
           digits.find(stem[3]) != std::u16string_view::npos;
}

bool IsHash(const std::string& text) {
    if (text.empty()) return true;
    if (text.size() != 64) return false;
    return text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

void SetAttribute(pugi::xml_node node, const char* name, const std::string& value) {
    if (!value.empty()) node.append_attribute(name).set_value(value.c_str());
}

bool IsEmptyFolder(const std::u16string& folder) {
    std::vector<DirectoryEntry> entries;
    return ListDirectory(folder, entries) && entries.empty();
}

void RemoveFolderIfEmpty(const std::u16string& folder) {
    if (IsEmptyFolder(folder)) RemoveFileIfExists(folder);
}

bool SameEntry(const ShaderChange& a, const ShaderChange& b) {
    return a.existed == b.existed && a.originalHash == b.originalHash && a.writtenHash == b.writtenHash &&
           a.pendingHash == b.pendingHash;
}

struct Refusals {
    ChangeManifest& manifest;

    void Add(const std::string& name, const char* why) {
        if (manifest.refused.size() < kRefusalsLogged) {
            Log("Ignored an entry of the record of Vantrel's changes that is not valid (" + std::string(why) +
                "): " + name);
        }
        manifest.refused.push_back(name);
    }
    ~Refusals() {
        if (manifest.refused.size() > kRefusalsLogged) {
            Log("Ignored " + std::to_string(manifest.refused.size() - kRefusalsLogged) +
                " more entries of the record of Vantrel's changes that are not valid");
        }
    }
};

const char* WhyNotValid(const ShaderChange& change) {
    if (!IsPlainShaderName(change.fileName)) return "not a plain shader file name";
    if (!IsHash(change.originalHash) || !IsHash(change.writtenHash) || !IsHash(change.pendingHash)) {
        return "a hash is malformed";
    }
    if (change.existed == change.originalHash.empty()) return "the original's hash contradicts whether it existed";
    return nullptr;
}

}  // namespace

bool ShaderChange::IsOwnOutput(const std::string& hash) const {
    return !hash.empty() && (hash == writtenHash || hash == pendingHash);
}

ShaderChange* ChangeManifest::Find(const std::u16string& fileName) {
    for (ShaderChange& change : changes) {
        if (change.fileName == fileName) return &change;
    }
    return nullptr;
}

void ChangeManifest::Remove(const std::u16string& fileName) {
    std::erase_if(changes, [&](const ShaderChange& change) { return change.fileName == fileName; });
}

std::u16string ChangeRecordPart() { return u"Vantrel"; }

std::u16string ChangeRecordFolder(const std::u16string& gamePath) { return gamePath + u"\\Vantrel\\"; }

std::u16string ChangeRecordFile(const std::u16string& gamePath) {
    return ChangeRecordFolder(gamePath) + u"Changes.xml";
}

std::u16string OriginalCopyPath(const std::u16string& gamePath, const std::u16string& fileName) {
    return OriginalsFolder(gamePath) + u"\\" + fileName;
}

std::u16string GameShaderPath(const std::u16string& gamePath, const std::u16string& fileName) {
    return gamePath + u"\\dev\\Shaders\\" + fileName;
}

// The record lives in a folder the user can edit: a name must never lead out
// of dev\Shaders, nor mean a device or another file on any system.
bool IsPlainShaderName(const std::u16string& name) {
    const std::u16string_view suffix = u".fx.o";
    if (name.size() <= suffix.size() || name.size() > 255 || !name.ends_with(suffix)) return false;
    if (name.front() == u'.' || name.front() == u' ') return false;
    for (const char16_t c : name) {
        if (c < 0x20 || c == 0x7F || std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos) {
            return false;
        }
    }
    return !IsDeviceName(name.substr(0, name.find(u'.')));
}

StepOutcome LoadChangeManifest(const std::u16string& gamePath, ChangeManifest& manifest) {
    manifest = ChangeManifest();
    const std::u16string folder = gamePath + u"\\" + ChangeRecordPart();
    const std::u16string file = ChangeRecordFile(gamePath);
    const auto unreadable = [&](const std::u16string& why) {
        return StepFailed(FailureCause::RecordUnreadable,
                          u"ERROR: Can't read the record of Vantrel's changes " + file + u": " + why, file);
    };
    StepOutcome inside = CheckGameFolder(gamePath, ChangeRecordPart());
    if (inside.ok) inside = CheckGameFile(gamePath, file);
    if (!inside.ok) return inside;
    // Something else where the record's folder belongs hides the record, if
    // there was one: nothing can be known of what the program changed.
    if (PathExists(folder) && !DirectoryExists(folder)) return unreadable(folder + u" is not a folder");
    if (!PathExists(file)) return StepOutcome();
    manifest.onDisk = true;
    std::string text;
    pugi::xml_document document;
    std::error_code cause;
    if (!ReadFileBytes(file, text, kDefaultReadLimit, &cause)) return unreadable(Utf8ToWide(cause.message()));
    if (!document.load_buffer(text.data(), text.size()) || !document.child(kRoot)) {
        return unreadable(u"it is not a record of Vantrel's changes");
    }

    Refusals refusals{manifest};
    std::unordered_map<std::u16string, size_t> seen;  // by the name as the file system compares it
    std::unordered_set<std::u16string> contradicted;
    for (pugi::xml_node node : document.child(kRoot).children("Shader")) {
        ShaderChange change;
        change.fileName = Utf8ToWide(node.attribute("name").as_string());
        change.existed = node.attribute("existed").as_bool();
        change.originalHash = node.attribute("original").as_string();
        change.writtenHash = node.attribute("written").as_string();
        change.pendingHash = node.attribute("pending").as_string();
        if (const char* why = WhyNotValid(change)) {
            refusals.Add(node.attribute("name").as_string(), why);
            continue;
        }
        const std::u16string key = PathCaseKey(change.fileName);
        const auto [at, added] = seen.emplace(key, manifest.changes.size());
        if (added) {
            manifest.changes.push_back(change);
        } else if (!SameEntry(manifest.changes[at->second], change)) {
            // Which one holds is unknown: neither is acted on.
            contradicted.insert(key);
        }
    }
    if (!contradicted.empty()) {
        std::erase_if(manifest.changes, [&](const ShaderChange& change) {
            if (!contradicted.count(PathCaseKey(change.fileName))) return false;
            refusals.Add(WideToUtf8(change.fileName), "given twice, differently");
            return true;
        });
    }
    return StepOutcome();
}

StepOutcome SaveChangeManifest(const std::u16string& gamePath, const ChangeManifest& manifest) {
    const std::u16string folder = ChangeRecordFolder(gamePath);
    const std::u16string file = ChangeRecordFile(gamePath);
    StepOutcome inside = CheckGameFolder(gamePath, ChangeRecordPart());
    if (!inside.ok) return inside;
    std::error_code cause;
    if (manifest.changes.empty()) {
        if (!RemoveFileIfExists(file, &cause)) {
            return FileStepFailed(file, cause, u"ERROR: Can't remove the record of Vantrel's changes " + file);
        }
        RemoveFolderIfEmpty(OriginalsFolder(gamePath));
        RemoveFolderIfEmpty(folder);
        return StepOutcome();
    }
    pugi::xml_document document;
    pugi::xml_node root = document.append_child(kRoot);
    root.append_attribute("version").set_value(1);
    for (const ShaderChange& change : manifest.changes) {
        pugi::xml_node node = root.append_child("Shader");
        node.append_attribute("name").set_value(WideToUtf8(change.fileName).c_str());
        node.append_attribute("existed").set_value(change.existed);
        SetAttribute(node, "original", change.originalHash);
        SetAttribute(node, "written", change.writtenHash);
        SetAttribute(node, "pending", change.pendingHash);
    }
    std::ostringstream text;
    document.save(text);
    if (!CreateDirectories(folder, &cause)) {
        return FileStepFailed(folder, cause, u"ERROR: Can't write the record of Vantrel's changes " + file);
    }
    return WriteGameFile(gamePath, file, text.str());
}

bool ReadShaderFileState(const std::u16string& path, ShaderFileState& state, std::error_code* cause) {
    state = ShaderFileState();
    if (!PathExists(path)) return true;
    state.exists = true;
    if (!ReadFileBytes(path, state.bytes, kDefaultReadLimit, cause)) return false;
    state.hash = Sha256Hex(state.bytes);
    return true;
}

StepOutcome SaveOriginalCopy(const std::u16string& gamePath, const std::u16string& fileName, const std::string& bytes) {
    const std::u16string folder = OriginalsFolder(gamePath);
    StepOutcome saved = CheckGameFolder(gamePath, ChangeRecordPart() + kOriginals);
    std::error_code cause;
    if (saved.ok && !CreateDirectories(folder, &cause)) {
        saved = FileStepFailed(folder, cause, u"ERROR: Can't make the folder " + folder);
    }
    if (saved.ok) saved = WriteGameFile(gamePath, OriginalCopyPath(gamePath, fileName), bytes);
    if (!saved.ok) Log(u"ERROR: Can't keep a copy of the game's " + fileName + u" in " + folder);
    return saved;
}

bool ReadOriginalCopy(const std::u16string& gamePath, const ShaderChange& change, std::string& bytes) {
    const std::u16string copy = OriginalCopyPath(gamePath, change.fileName);
    if (CheckGameFile(gamePath, copy).ok && ReadFileBytes(copy, bytes) && Sha256Hex(bytes) == change.originalHash) {
        return true;
    }
    Log(u"ERROR: The copy of the game's " + change.fileName + u" in " + OriginalsFolder(gamePath) +
        u" is missing or damaged");
    return false;
}

StepOutcome RemoveOriginalCopy(const std::u16string& gamePath, const std::u16string& fileName) {
    const std::u16string copy = OriginalCopyPath(gamePath, fileName);
    if (!PathExists(copy)) return StepOutcome();
    StepOutcome removed = CheckGameFolder(gamePath, ChangeRecordPart() + kOriginals);
    if (!removed.ok) return removed;
    std::error_code cause;
    if (RemoveFileIfExists(copy, &cause)) return StepOutcome();
    return FileStepFailed(copy, cause, u"ERROR: Can't remove the copy " + copy);
}

void RemoveUnrecordedCopies(const std::u16string& gamePath, const ChangeManifest& manifest) {
    std::vector<DirectoryEntry> copies;
    if (!CheckGameFolder(gamePath, ChangeRecordPart() + kOriginals).ok ||
        !ListDirectory(OriginalsFolder(gamePath), copies)) {
        return;
    }
    std::unordered_set<std::u16string> recorded;
    for (const ShaderChange& change : manifest.changes) recorded.insert(PathCaseKey(change.fileName));
    for (const DirectoryEntry& copy : copies) {
        if (copy.isDirectory || !IsPlainShaderName(copy.name) || recorded.count(PathCaseKey(copy.name))) continue;
        const std::u16string path = OriginalCopyPath(gamePath, copy.name);
        std::string bytes;
        ShaderFileState game;
        if (CheckGameFile(gamePath, path).ok && ReadFileBytes(path, bytes) &&
            ReadGameShader(gamePath, copy.name, game).ok && game.exists && game.bytes == bytes) {
            if (RemoveOriginalCopy(gamePath, copy.name).ok) {
                Log(u"Removed the copy " + path + u": the record no longer names it and the game's file is the same");
            }
        } else {
            Log(u"Kept the copy " + path + u": the record does not name it and the game's file differs from it");
        }
    }
}
