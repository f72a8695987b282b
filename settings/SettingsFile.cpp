// Reading and writing the settings file and preset files.
#include <charconv>
#include <sstream>

#include <pugixml.hpp>

#include "app/AppPaths.h"
#include "app/FileIo.h"
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
// A file that cannot be read (the reader logs why) loads as an empty
// document, so every field takes its default.
void LoadDocument(const std::u16string& path, pugi::xml_document& doc) {
    Log("Reading settings...");
    std::string bytes;
    ReadFileBytes(path, bytes);
    doc.load_buffer(bytes.data(), bytes.size());
}

// A failed write must never cost the user the file that was there before.
bool SaveDocument(const std::u16string& path, const pugi::xml_document& doc) {
    std::ostringstream text;
    doc.save(text);
    return WriteFileReplacingSafely(path, text.str());
}
}  // namespace

void Settings::LoadSettingsFile() {
    pugi::xml_document doc;
    LoadDocument(AppPaths.settingsFile, doc);
    const pugi::xml_node root = doc.child("Settings");
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
}

void Settings::LoadPreset(const std::u16string& path) {
    pugi::xml_document doc;
    LoadDocument(path, doc);
    ReadParameters(doc.child("MOXPreset").child("TSXXShaders"), Shader);
    Log("Done...");
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
