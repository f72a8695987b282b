#pragma once
// The interface texts: "Data/Localization.xml" beside the program, looked up
// by key in the language of Settings::Language.
#include <string>

namespace Localization {
// Reads the catalogue (logs "Loading localization file..." and, on failure,
// "Failed to load localization file").
void Load();
// Changes with every load: texts taken from the catalogue hold while it stays.
unsigned Revision();
// Text of a key in the current language, english as the fall-back for french
// and german; empty when the key is missing or the language is unknown.
std::string Text(const char* key);
// Every text of the catalogue in every language, one after the other: what
// the interface may have to draw.
std::string AllTexts();
}  // namespace Localization
