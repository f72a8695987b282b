// Reading and writing the settings file and preset files.
#include <charconv>
#include <sstream>

#include <pugixml.hpp>

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Text.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"

namespace {
// "%.9g" without depending on the process locale.
std::string FormatSettingFloat(float value) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                std::chars_format::general, 9);
    return std::string(buffer, result.ptr);
}

pugi::xml_attribute ValueOf(const pugi::xml_node& group, const char* name) {
    return group.child(name).attribute("value");
}

void ReadParameters(const pugi::xml_node& group, ShaderSettings& shader) {
    const ShaderSettings defaults;
    for (const ParamDesc& param : ShaderParamTable()) {
        const pugi::xml_node element = group.child(param.name);
        switch (param.kind) {
            case ParamKind::Bool:
                shader.*param.boolField = element.attribute("value").as_bool(param.defaultBool);
                break;
            case ParamKind::Float:
                shader.*param.floatField = element.attribute("value").as_float(param.defaultFloat);
                break;
            case ParamKind::Tint: {
                const ColorTint fallback = defaults.*param.tintField;
                ColorTint& tint = shader.*param.tintField;
                tint.r = element.attribute("r").as_float(fallback.r);
                tint.g = element.attribute("g").as_float(fallback.g);
                tint.b = element.attribute("b").as_float(fallback.b);
                break;
            }
        }
    }
}

void AddValue(pugi::xml_node& group, const char* name, const char* text) {
    group.append_child(name).append_attribute("value") = text;
}

void AddBool(pugi::xml_node& group, const char* name, bool value) {
    AddValue(group, name, value ? "true" : "false");
}

void AddFloat(pugi::xml_node& group, const char* name, float value) {
    AddValue(group, name, FormatSettingFloat(value).c_str());
}

void WriteParameters(pugi::xml_node& group, const ShaderSettings& shader) {
    for (const ParamDesc& param : ShaderParamTable()) {
        switch (param.kind) {
            case ParamKind::Bool: AddBool(group, param.name, shader.*param.boolField); break;
            case ParamKind::Float: AddFloat(group, param.name, shader.*param.floatField); break;
            case ParamKind::Tint: {
                const ColorTint& tint = shader.*param.tintField;
                pugi::xml_node element = group.append_child(param.name);
                element.append_attribute("r") = FormatSettingFloat(tint.r).c_str();
                element.append_attribute("g") = FormatSettingFloat(tint.g).c_str();
                element.append_attribute("b") = FormatSettingFloat(tint.b).c_str();
                break;
            }
        }
    }
}
}  // namespace

namespace {
enum class DocumentState { Parsed, Missing, Unreadable, NotXml };

// A file that cannot be read (the reader logs why) loads as an empty
// document; a malformed one as what was parsed before the fault.
DocumentState LoadDocument(const std::u16string& path, pugi::xml_document& doc) {
    Log("Reading settings...");
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return PathExists(path) ? DocumentState::Unreadable : DocumentState::Missing;
    return doc.load_buffer(bytes.data(), bytes.size()) ? DocumentState::Parsed : DocumentState::NotXml;
}

// A failed write must never cost the user the file that was there before.
bool SaveDocument(const std::u16string& path, const pugi::xml_document& doc) {
    std::ostringstream text;
    doc.save(text);
    return WriteFileReplacingSafely(path, text.str());
}

// The file beside itself as "<name>.unreadable.xml" (or "-2" ... when that
// is taken): copied where it can be, else renamed (a file whose bytes cannot
// be read can still be renamed). Empty when neither worked.
std::u16string KeepBeside(const std::u16string& path) {
    const bool xml = path.size() > 4 && path.compare(path.size() - 4, 4, u".xml") == 0;
    const std::u16string stem = xml ? path.substr(0, path.size() - 4) : path;
    for (int n = 1; n < 100; ++n) {
        // Appended piece by piece: mingw's GCC 12 warns falsely on a chain of + here.
        std::u16string kept = stem;
        kept += u".unreadable";
        if (n > 1) {
            kept += u'-';
            kept += Utf8ToWide(std::to_string(n));
        }
        kept += u".xml";
        if (PathExists(kept)) continue;
        return CopyFileReplacing(path, kept) || MoveFileReplacing(path, kept) ? kept : std::u16string();
    }
    return std::u16string();
}

bool HasParameter(const pugi::xml_node& group) {
    for (const ParamDesc& param : ShaderParamTable()) {
        if (group.child(param.name)) return true;
    }
    return false;
}
}  // namespace

SettingsFileLoad Settings::LoadSettingsFile() {
    pugi::xml_document doc;
    const DocumentState state = LoadDocument(AppPaths.settingsFile, doc);
    const pugi::xml_node root = doc.child("Settings");
    SettingsFileLoad load;
    // Whatever cannot be read would be replaced by the next save: it is kept first.
    load.unreadable = state == DocumentState::Unreadable || state == DocumentState::NotXml ||
                      (state == DocumentState::Parsed && !root);
    if (load.unreadable) {
        load.keptAs = KeepBeside(AppPaths.settingsFile);
        const char* what = state == DocumentState::Unreadable ? "cannot be read"
                           : state == DocumentState::NotXml   ? "is not a whole XML document"
                                                              : "holds no settings";
        Log(u"ERROR: The settings file " + AppPaths.settingsFile + u" " + Utf8ToWide(what) +
            (load.keptAs.empty() ? u"; it could not be kept aside either"
                                 : u"; it was kept as " + load.keptAs) +
            u". Settings it does not give start from their defaults.");
    }
    const pugi::xml_node global = root.child("Global");
    const pugi::xml_node tsxx = root.child("TSXX");
    const Settings defaults;
    // Read as a wide integer, so that what Save writes for any value
    // ("4294967295" for a -1 read before) reads back to the same value;
    // an int reader would clamp it to 2147483647.
    Language = static_cast<uint32_t>(ValueOf(global, "Language").as_llong(defaults.Language));
    HelpIcons = ValueOf(global, "HelpIcons").as_bool(defaults.HelpIcons);
    ShadersVersion = Utf8ToWide(ValueOf(tsxx, "ShadersVersion").as_string());
    NeedShadersUpdate = ValueOf(tsxx, "NeedShadersUpdate").as_bool(defaults.NeedShadersUpdate);
    ShadersInstallOK = ValueOf(tsxx, "ShadersInstallOK").as_bool(defaults.ShadersInstallOK);
    TSPath = Utf8ToWide(ValueOf(tsxx, "TSPath").as_string());
    ReadParameters(root.child("TSXXShaders"), Shader);
    Log("Done...");
    return load;
}

ShaderSettings ShaderSettingsOnFile() {
    pugi::xml_document doc;
    LoadDocument(AppPaths.settingsFile, doc);
    ShaderSettings shader;
    ReadParameters(doc.child("Settings").child("TSXXShaders"), shader);
    return shader;
}

PresetProblem Settings::LoadPreset(const std::u16string& path) {
    pugi::xml_document doc;
    const DocumentState state = LoadDocument(path, doc);
    const pugi::xml_node group = doc.child("MOXPreset").child("TSXXShaders");
    PresetProblem problem = PresetProblem::None;
    const char* why = "";
    if (state == DocumentState::Missing || state == DocumentState::Unreadable) {
        problem = PresetProblem::Unreadable;
        why = "it cannot be read";
    } else if (state == DocumentState::NotXml) {
        problem = PresetProblem::NotXml;
        why = "it is not a whole XML document";
    } else if (!doc.child("MOXPreset")) {
        problem = PresetProblem::NotAPreset;
        why = "it has no MOXPreset element";
    } else if (!HasParameter(group)) {
        problem = PresetProblem::NoParameters;
        why = "it holds no parameter";
    }
    if (problem != PresetProblem::None) {
        Log(u"Preset not imported, nothing changed: " + path + u": " + Utf8ToWide(why));
        return problem;
    }
    ReadParameters(group, Shader);
    Log("Done...");
    return problem;
}

bool Settings::SaveSettingsFile() const {
    Log("Saving settings...");
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("Settings");
    pugi::xml_node global = root.append_child("Global");
    pugi::xml_node tsxx = root.append_child("TSXX");
    pugi::xml_node shaders = root.append_child("TSXXShaders");
    global.append_child("Language").append_attribute("value").set_value(static_cast<unsigned int>(Language));
    AddBool(global, "HelpIcons", HelpIcons);
    AddValue(tsxx, "ShadersVersion", WideToUtf8(ShadersVersion).c_str());
    AddBool(tsxx, "NeedShadersUpdate", NeedShadersUpdate);
    AddBool(tsxx, "ShadersInstallOK", ShadersInstallOK);
    AddValue(tsxx, "TSPath", WideToUtf8(TSPath).c_str());
    WriteParameters(shaders, Shader);
    const bool ok = SaveDocument(AppPaths.settingsFile, doc);
    Log(ok ? "Settings saved" : "Failed to save settings");
    return ok;
}

bool Settings::SavePreset(const std::u16string& path) const {
    Log("Saving settings...");
    pugi::xml_document doc;
    pugi::xml_node shaders = doc.append_child("MOXPreset").append_child("TSXXShaders");
    WriteParameters(shaders, Shader);
    const bool ok = SaveDocument(path, doc);
    Log(ok ? "Preset file saved" : "Failed to save preset file");
    return ok;
}
