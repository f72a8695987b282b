// d3dcompiler_47.dll, loaded from the system folder alone (never beside the
// program, where a planted DLL would run with administrator rights) and
// reached through GetProcAddress, so the program has no import of it.
#include <windows.h>

#include <d3dcompiler.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/FileIo.h"
#include "app/SystemEffectCompiler.h"
#include "app/Text.h"

namespace {

struct LoadedCompiler {
    pD3DCompile compile = nullptr;
    bool wines = false;  // Wine's built-in DLL
    std::u16string location;
    std::u16string problem;
};

// Wine marks the DLLs it builds itself in the DOS stub of their image, where
// Microsoft's DLLs hold their "This program cannot be run in DOS mode".
bool IsWineBuiltIn(HMODULE module) {
    static const char kMark[] = "Wine builtin DLL";
    return std::memcmp(reinterpret_cast<const char*>(module) + 0x40, kMark, sizeof kMark - 1) == 0;
}

LoadedCompiler Load() {
    LoadedCompiler loaded;
    HMODULE module = LoadLibraryExW(L"d3dcompiler_47.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) {
        loaded.problem = u"d3dcompiler_47.dll could not be loaded from the Windows system folder (error " +
                         Utf8ToWide(std::to_string(GetLastError())) + u")";
        return loaded;
    }
    wchar_t path[MAX_PATH] = L"";
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    loaded.location.assign(reinterpret_cast<const char16_t*>(path), length);
    loaded.wines = IsWineBuiltIn(module);
    loaded.compile = reinterpret_cast<pD3DCompile>(reinterpret_cast<void*>(GetProcAddress(module, "D3DCompile")));
    if (!loaded.compile) loaded.problem = u"d3dcompiler_47.dll has no D3DCompile: " + loaded.location;
    // Kept loaded for the rest of the run (a failed lookup too: it costs nothing).
    return loaded;
}

// Loaded by whichever thread asks first; a failed load is tried again at the
// next install, so a repaired system needs no restart.
LoadedCompiler Compiler() {
    static std::mutex lock;
    static LoadedCompiler loaded;
    std::lock_guard<std::mutex> hold(lock);
    if (!loaded.compile) loaded = Load();
    return loaded;
}

// The compiler asks for each #include through this interface of its own
// (a platform interface, implemented here because D3DCompile requires it):
// the file is read from the work folder and held until the compiler closes it.
struct WorkFolderIncludes final : ID3DInclude {
    std::u16string folder;
    std::vector<std::unique_ptr<std::string>> open;

    HRESULT STDMETHODCALLTYPE Open(D3D_INCLUDE_TYPE, const char* name, const void*, const void** data,
                                   UINT* bytes) override {
        auto text = std::make_unique<std::string>();
        const std::u16string file = Utf8ToWide(name ? name : "");
        if (file.empty() || !ReadFileBytes(folder + file, *text)) return E_FAIL;
        *data = text->data();
        *bytes = static_cast<UINT>(text->size());
        open.push_back(std::move(text));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Close(const void* data) override {
        for (auto it = open.begin(); it != open.end(); ++it) {
            if ((*it)->data() == data) {
                open.erase(it);
                break;
            }
        }
        return S_OK;
    }
};

std::string BlobText(ID3DBlob* blob) {
    if (!blob) return std::string();
    const char* text = static_cast<const char*>(blob->GetBufferPointer());
    std::string copy(text, blob->GetBufferSize());
    while (!copy.empty() && copy.back() == '\0') copy.pop_back();
    return copy;
}

}  // namespace

bool FindSystemEffectCompiler(std::u16string& location, std::u16string& problem) {
    const LoadedCompiler compiler = Compiler();
    location = compiler.location;
    problem = compiler.problem;
    return compiler.compile != nullptr;
}

bool CompileWithSystemEffectCompiler(const std::string& source, const std::string& sourceName,
                                     const std::u16string& includeFolder, const std::u16string& outputFile,
                                     std::string& messages) {
    const LoadedCompiler compiler = Compiler();
    if (!compiler.compile) {
        messages = WideToUtf8(compiler.problem);
        return false;
    }
    WorkFolderIncludes includes;
    includes.folder = includeFolder;
    ID3DBlob* code = nullptr;
    ID3DBlob* errors = nullptr;
    const HRESULT result = compiler.compile(source.data(), source.size(), sourceName.c_str(), nullptr, &includes,
                                           nullptr, "fx_2_0",
                                           D3DCOMPILE_ENABLE_BACKWARDS_COMPATIBILITY | D3DCOMPILE_OPTIMIZATION_LEVEL3,
                                           0, &code, &errors);
    messages = BlobText(errors);
    bool ok = SUCCEEDED(result) && code;
    if (ok && !WriteFileBytes(outputFile, std::string(static_cast<const char*>(code->GetBufferPointer()),
                                                      code->GetBufferSize()))) {
        messages += "Can't write the compiled effect to " + WideToUtf8(outputFile) + "\n";
        ok = false;
    }
    if (!SUCCEEDED(result) && messages.empty()) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08lx", static_cast<unsigned long>(result));
        messages = std::string("D3DCompile failed with ") + hex;
    }
    if (code) code->Release();
    if (errors) errors->Release();
    return ok;
}

bool SystemEffectCompilerIsWines() { return Compiler().wines; }

std::string WineVersion() {
    using GetVersion = const char*(CDECL*)();
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto get =
        ntdll ? reinterpret_cast<GetVersion>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")))
              : nullptr;
    const char* version = get ? get() : nullptr;
    return version ? std::string(version) : std::string();
}

std::u16string CompilerCodePageToWide(std::string_view bytes) {
    if (bytes.empty()) return std::u16string();
    const int size = static_cast<int>(std::min<size_t>(bytes.size(), 1u << 30));
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::u16string wide(static_cast<size_t>(std::max(length, 0)), u'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(wide.data()), length);
    return wide;
}

std::u16string EffectCompilerAdvice(const std::u16string& programFolder) {
    const std::u16string fxc = u"fxc.exe from the Windows SDK beside Vantrel (" + programFolder + u") or on the PATH";
    if (WineVersion().empty()) return u"What works instead: " + fxc + u".";
    return u"What works instead: Microsoft's d3dcompiler_47.dll in the game's Wine prefix (for Steam's Proton: "
           u"protontricks 24010 d3dcompiler_47), or " +
           fxc + u".";
}
