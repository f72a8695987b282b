#pragma once
// The record, kept inside the game folder, of each game shader file the
// program replaced: whether the game had one, a copy of it with its hash, and
// the hash of what the program wrote over it. Kept in the game folder so that
// it follows the game, whatever path spelling or user account reaches it.
//
// Layout: gamePath\Vantrel\Changes.xml, and the copies of the game's own files
// in gamePath\Vantrel\Originals\<file name>.
#include <string>
#include <vector>

struct ShaderChange {
    std::u16string fileName;   // "Rain.fx.o", in dev\Shaders
    bool existed = false;      // the game had a file there before the program wrote it
    std::string originalHash;  // SHA-256 of that file; its copy is under Originals
    std::string writtenHash;   // what the program last finished writing there
    std::string pendingHash;   // what it was about to write; empty once written
    // True when the hash is one of the program's own outputs for this file.
    bool IsOwnOutput(const std::string& hash) const;
};

struct ChangeManifest {
    std::vector<ShaderChange> changes;
    ShaderChange* Find(const std::u16string& fileName);
    void Remove(const std::u16string& fileName);
};

std::u16string ChangeRecordFolder(const std::u16string& gamePath);
std::u16string ChangeRecordFile(const std::u16string& gamePath);
std::u16string GameShaderPath(const std::u16string& gamePath, const std::u16string& fileName);

// A missing record reads as empty. False (logged) when it exists but cannot be
// read; entries naming anything but a plain *.fx.o file are dropped (logged).
bool LoadChangeManifest(const std::u16string& gamePath, ChangeManifest& manifest);
// Written atomically. An empty record removes the file, and the folder when
// nothing else is left in it.
bool SaveChangeManifest(const std::u16string& gamePath, const ChangeManifest& manifest);

// The content of a file as the record sees it.
struct ShaderFileState {
    bool exists = false;
    std::string bytes;
    std::string hash;  // empty when the file does not exist
};
// False when something exists at the path but cannot be read.
bool ReadShaderFileState(const std::u16string& path, ShaderFileState& state);

// The copy of the game's own file: written atomically; read back only when it
// still has the recorded hash.
bool SaveOriginalCopy(const std::u16string& gamePath, const std::u16string& fileName, const std::string& bytes);
bool ReadOriginalCopy(const std::u16string& gamePath, const ShaderChange& change, std::string& bytes);
void RemoveOriginalCopy(const std::u16string& gamePath, const std::u16string& fileName);
