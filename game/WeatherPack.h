#pragma once
// The test for Armstrong Powerhouse's weather add-on; asks the file system on
// every call.
#include <string>

bool IsWeatherPackInstalled();
// The same test for a given game folder, for code that works on a copy of the settings.
bool IsWeatherPackInstalled(const std::u16string& gamePath);
