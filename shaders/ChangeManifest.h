#pragma once
// The record, kept inside the game folder, of each game shader file the
// program replaced: whether the game had one, a copy of it with its hash, and
// the hashes of what the program wrote over it. Kept in the game folder so
// that it follows the game, whatever path spelling or user account reaches it.
//
// Layout: gamePath\Vantrel\Changes.xml, and the copies of the game's own files
// in gamePath\Vantrel\Originals\<file name>.
#include <string>
#include <vector>

#include "shaders/StepOutcome.h"

struct ShaderChange {
    std::u16string fileName;   // "Rain.fx.o", in dev\Shaders
    bool existed = false;      // the game had a file there before the program wrote it
    std::string originalHash;  // SHA-256 of that file; its copy is under Originals
    // What the program wrote there: the last write it finished, and the one it
    // was about to make (empty once made). Either may be what the file holds.
    std::string writtenHash;
    std::string pendingHash;
    // True when the hash is one of the program's own outputs for this file.
    bool IsOwnOutput(const std::string& hash) const;
};

struct ChangeManifest {
    std::vector<ShaderChange> changes;
    // As loaded: whether Changes.xml was there, and the entries that were
    // refused (their names as written), each logged with why.
    bool onDisk = false;
    std::vector<std::string> refused;

    ShaderChange* Find(const std::u16string& fileName);
    void Remove(const std::u16string& fileName);
};

// "Vantrel", the record's folder relative to the game folder.
std::u16string ChangeRecordPart();
std::u16string ChangeRecordFolder(const std::u16string& gamePath);
std::u16string ChangeRecordFile(const std::u16string& gamePath);
std::u16string OriginalCopyPath(const std::u16string& gamePath, const std::u16string& fileName);
std::u16string GameShaderPath(const std::u16string& gamePath, const std::u16string& fileName);

// True for a name the record may hold: a plain "<name>.fx.o" in dev\Shaders,
// which no system reads as a path elsewhere, a device or another name.
bool IsPlainShaderName(const std::u16string& name);

// A missing record reads as empty. Fails (RecordUnreadable) when it, or the
// record's folder, exists but cannot be read as the record. Entries that name
// anything but a plain shader file, carry malformed hashes or contradict each
// other are refused (logged, listed in refused); an entry given twice alike
// counts once. Linear in the number of entries.
StepOutcome LoadChangeManifest(const std::u16string& gamePath, ChangeManifest& manifest);
// Written atomically. An empty record removes the file, and the folders when
// nothing else is left in them.
StepOutcome SaveChangeManifest(const std::u16string& gamePath, const ChangeManifest& manifest);

// The content of a file as the record sees it.
struct ShaderFileState {
    bool exists = false;
    std::string bytes;
    std::string hash;  // empty when the file does not exist
};
// False when something exists at the path but cannot be read; the cause goes
// to cause when given.
bool ReadShaderFileState(const std::u16string& path, ShaderFileState& state, std::error_code* cause = nullptr);

// The copy of the game's own file: written atomically; read back only when it
// still has the recorded hash.
StepOutcome SaveOriginalCopy(const std::u16string& gamePath, const std::u16string& fileName, const std::string& bytes);
bool ReadOriginalCopy(const std::u16string& gamePath, const ShaderChange& change, std::string& bytes);
StepOutcome RemoveOriginalCopy(const std::u16string& gamePath, const std::u16string& fileName);
// Removes the copies the record does not name (an install or restore cut off
// between a copy and the record's save leaves one), but only those the game
// file holds anyway: a copy of anything else is kept and logged.
void RemoveUnrecordedCopies(const std::u16string& gamePath, const ChangeManifest& manifest);
