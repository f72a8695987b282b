#include "shaders/ChangeManifest.h"

#include <pugixml.hpp>

#include <sstream>

#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Sha256.h"
#include "app/Text.h"

namespace {

const char* const kRoot = "VantrelChanges";

std::u16string OriginalsFolder(const std::u16string& gamePath) { return ChangeRecordFolder(gamePath) + u"Originals\\"; }

// The record lives in a folder the user can edit: a name must never lead out
// of dev\Shaders.
bool IsPlainShaderName(const std::u16string& name) {
    if (name.size() <= 5 || name.compare(name.size() - 5, 5, u".fx.o") != 0 || name.front() == u'.') return false;
    return name.find_first_of(u"\\/:") == std::u16string::npos;
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

std::u16string ChangeRecordFolder(const std::u16string& gamePath) { return gamePath + u"\\Vantrel\\"; }

std::u16string ChangeRecordFile(const std::u16string& gamePath) {
    return ChangeRecordFolder(gamePath) + u"Changes.xml";
}

std::u16string GameShaderPath(const std::u16string& gamePath, const std::u16string& fileName) {
    return gamePath + u"\\dev\\Shaders\\" + fileName;
}

bool LoadChangeManifest(const std::u16string& gamePath, ChangeManifest& manifest) {
    manifest = ChangeManifest();
    const std::u16string file = ChangeRecordFile(gamePath);
    if (!PathExists(file)) return true;
    std::string text;
    pugi::xml_document document;
    if (!ReadFileBytes(file, text) || !document.load_buffer(text.data(), text.size()) || !document.child(kRoot)) {
        Log(u"ERROR: Can't read the record of Vantrel's changes " + file);
        return false;
    }
    for (pugi::xml_node node : document.child(kRoot).children("Shader")) {
        ShaderChange change;
        change.fileName = Utf8ToWide(node.attribute("name").as_string());
        change.existed = node.attribute("existed").as_bool();
        change.originalHash = node.attribute("original").as_string();
        change.writtenHash = node.attribute("written").as_string();
        change.pendingHash = node.attribute("pending").as_string();
        const bool valid = IsPlainShaderName(change.fileName) && IsHash(change.originalHash) &&
                           IsHash(change.writtenHash) && IsHash(change.pendingHash) &&
                           change.existed == !change.originalHash.empty() && !manifest.Find(change.fileName);
        if (!valid) {
            Log("Ignored an entry of the record of Vantrel's changes that is not valid: " +
                std::string(node.attribute("name").as_string()));
            continue;
        }
        manifest.changes.push_back(change);
    }
    return true;
}

bool SaveChangeManifest(const std::u16string& gamePath, const ChangeManifest& manifest) {
    const std::u16string folder = ChangeRecordFolder(gamePath);
    const std::u16string file = ChangeRecordFile(gamePath);
    if (manifest.changes.empty()) {
        const bool removed = RemoveFileIfExists(file);
        RemoveFolderIfEmpty(OriginalsFolder(gamePath));
        RemoveFolderIfEmpty(folder);
        return removed;
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
    if (CreateDirectories(folder) && WriteFileReplacingSafely(file, text.str())) return true;
    Log(u"ERROR: Can't write the record of Vantrel's changes " + file);
    return false;
}

bool ReadShaderFileState(const std::u16string& path, ShaderFileState& state) {
    state = ShaderFileState();
    if (!PathExists(path)) return true;
    state.exists = true;
    if (!ReadFileBytes(path, state.bytes)) return false;
    state.hash = Sha256Hex(state.bytes);
    return true;
}

bool SaveOriginalCopy(const std::u16string& gamePath, const std::u16string& fileName, const std::string& bytes) {
    const std::u16string folder = OriginalsFolder(gamePath);
    if (CreateDirectories(folder) && WriteFileReplacingSafely(folder + fileName, bytes)) return true;
    Log(u"ERROR: Can't keep a copy of the game's " + fileName + u" in " + folder);
    return false;
}

bool ReadOriginalCopy(const std::u16string& gamePath, const ShaderChange& change, std::string& bytes) {
    const std::u16string copy = OriginalsFolder(gamePath) + change.fileName;
    if (ReadFileBytes(copy, bytes) && Sha256Hex(bytes) == change.originalHash) return true;
    Log(u"ERROR: The copy of the game's " + change.fileName + u" in " + OriginalsFolder(gamePath) +
        u" is missing or damaged");
    return false;
}

void RemoveOriginalCopy(const std::u16string& gamePath, const std::u16string& fileName) {
    RemoveFileIfExists(OriginalsFolder(gamePath) + fileName);
}
