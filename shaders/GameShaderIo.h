#pragma once
// Reads, writes and removals in the game folder, and the checks that keep
// them inside it: a game folder can come from an archive or a shared drive,
// and a link in it must never carry a write, copy or delete elsewhere. Game
// files wait out a file the game or a virus scanner holds open for a moment;
// writes go through a temporary renamed over the target, so the game never
// loads half a file.
#include <string>

#include "shaders/ChangeManifest.h"
#include "shaders/StepOutcome.h"

// The parts of the game folder the install and the restore write, relative to it.
extern const char16_t* const kGameShaderFolder;  // "dev\Shaders"
extern const char16_t* const kSkyFolder;         // "data\SilverLining"
extern const char16_t* const kProfileFolder;     // "Content"

// Fails (LinkOutOfGame, logged, naming the link) when the folder gamePath\part
// or a folder on the way to it is a link that leads out of the game folder. A
// folder that does not exist passes.
StepOutcome CheckGameFolder(const std::u16string& gamePath, const std::u16string& part);
// The same for a file whose folder passed: only a link there can lead out.
StepOutcome CheckGameFile(const std::u16string& gamePath, const std::u16string& file);

// dev\Shaders\<fileName>, checked and read.
StepOutcome ReadGameShader(const std::u16string& gamePath, const std::u16string& fileName, ShaderFileState& state);
// Writes dev\Shaders\<fileName>; a failed write leaves the old file whole.
StepOutcome WriteGameShader(const std::u16string& gamePath, const std::u16string& fileName, const std::string& bytes);
// Removes dev\Shaders\<fileName>; nothing there is no failure.
StepOutcome RemoveGameShader(const std::u16string& gamePath, const std::u16string& fileName);
// Any other file of the game folder (the sky file, the record and its
// copies), checked and written the same way; what names the file in the log.
StepOutcome WriteGameFile(const std::u16string& gamePath, const std::u16string& path, const std::string& bytes);

// Removes what interrupted writes of the program left in the folders it
// writes in the game folder: the temporaries of a crash or a kill between a
// write and its rename, and the profile's conversions in Content (the
// PlayerProfiles.xml and PlayerProfiles_Temp.xml the game never makes).
// Fails (logged) when one cannot be removed.
StepOutcome RemoveInterruptedWrites(const std::u16string& gamePath);
