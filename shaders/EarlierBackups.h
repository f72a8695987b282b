#pragma once
// Backups of the game's shader files that earlier releases kept under the
// preference folder, one folder per spelling of the game folder's path. They
// are never written any more: the first install or restore that meets one
// moves it into the game folder's change record as that file's original.
#include <string>
#include <vector>

#include "shaders/ChangeManifest.h"

// preference folder + "Backups\" + a stable hash of the game folder + "\".
std::u16string EarlierBackupFolder(const std::u16string& gamePath);

// The *.fx.o files held there; empty when there is no such folder.
std::vector<std::u16string> ListEarlierBackups(const std::u16string& gamePath);

// When the record has no entry for fileName, the game file exists and an
// earlier backup of it exists: records that backup as the original and the
// current file as the program's own output (which is what the earlier release
// left there), saves the record and deletes the earlier backup. Succeeds
// when nothing needed doing or it was done; a failure is logged.
StepOutcome AdoptEarlierBackup(const std::u16string& gamePath, const std::u16string& fileName,
                               const ShaderFileState& current, ChangeManifest& manifest);
