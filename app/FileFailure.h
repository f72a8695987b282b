#pragma once
// The file layer's one way to fail: "ERROR: Can't <verb> <path>: <why>" in the
// log, the cause in the caller's out-parameter when it gave one, and false.
#include <string>
#include <system_error>

#include "app/Log.h"
#include "app/Text.h"

struct FileFailure {
    const char* verb;  // "read", "save"
    const std::u16string& path;
    std::error_code* cause;

    bool operator()(const std::error_code& error, const char* words = nullptr) const {
        if (cause) *cause = error;
        Log(u"ERROR: Can't " + Utf8ToWide(verb) + u" " + path + u": " + Utf8ToWide(words ? words : error.message()));
        return false;
    }
};
