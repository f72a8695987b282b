#pragma once
// The test for Armstrong Powerhouse's weather add-on; asks the file system on
// every call.
bool IsWeatherPackInstalled();
