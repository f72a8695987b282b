// Stand-in for the system's d3dcompiler_47.dll, exporting D3DCompile. It
// accepts only what the program must pass (target "fx_2_0", the flags of
// /Gec /O3, an include handler, no entry point), opens every
// `#include "x"` of the source through the handler, and returns an fx_2_0
// effect with the source's techniques and passes followed by "FAKED3DC\n" +
// the source + one line "// included x <bytes>" per include
// (tests/support/FakeCompilerOutput.h). An effect listed in FAKE_FXC_FAIL
// (comma separated) fails with a two-line error blob, as does a call that
// breaks the rules above.
#include <windows.h>

#include <d3dcompiler.h>

#include <atomic>
#include <cstdlib>
#include <sstream>
#include <string>

#include "../support/FakeCompilerOutput.h"

namespace {

// The blob the compiler hands out; COM reference counting as the caller expects.
struct Blob final : ID3D10Blob {
    std::atomic<ULONG> references{1};
    std::string bytes;

    explicit Blob(std::string content) : bytes(std::move(content)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        *object = id == IID_IUnknown || id == IID_ID3D10Blob ? this : nullptr;
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references;
        if (left == 0) delete this;
        return left;
    }
    void* STDMETHODCALLTYPE GetBufferPointer() override { return bytes.data(); }
    SIZE_T STDMETHODCALLTYPE GetBufferSize() override { return bytes.size(); }
};

HRESULT Error(ID3DBlob** errors, const std::string& text) {
    if (errors) *errors = new Blob(text);
    return E_FAIL;
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI D3DCompile(const void* data, SIZE_T size, const char* name,
                                                           const D3D_SHADER_MACRO* defines, ID3DInclude* include,
                                                           const char* entry, const char* target, UINT flags,
                                                           UINT effectFlags, ID3DBlob** code, ID3DBlob** errors) {
    if (code) *code = nullptr;
    if (errors) *errors = nullptr;
    const std::string source(static_cast<const char*>(data), size), file = name ? name : "";
    if (!target || std::string(target) != "fx_2_0" || effectFlags != 0 || entry || defines || !include || !code ||
        flags != (D3DCOMPILE_ENABLE_BACKWARDS_COMPATIBILITY | D3DCOMPILE_OPTIMIZATION_LEVEL3))
        return Error(errors, "fake_d3dcompiler: unexpected call for " + file + "\n");
    const char* failing = std::getenv("FAKE_FXC_FAIL");
    std::stringstream list(failing ? failing : "");
    for (std::string item; std::getline(list, item, ',');) {
        if (item + ".fx" == file)
            return Error(errors, file + "(3,5): error X3004: undeclared identifier 'failing'\n" + file +
                                     "(9,1): error X3000: compilation failed on request\n");
    }

    std::string output = fake_compiler::Effect("FAKED3DC\n", source);
    std::istringstream lines(source);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("#include \"", 0) != 0) continue;
        const std::string header = line.substr(10, line.find('"', 10) - 10);
        const void* text = nullptr;
        UINT bytes = 0;
        if (FAILED(include->Open(D3D_INCLUDE_LOCAL, header.c_str(), nullptr, &text, &bytes)))
            return Error(errors, file + "(1,1): error X1507: failed to open source file: '" + header + "'\n");
        output += "// included " + header + " " + std::to_string(bytes) + "\n";
        include->Close(text);
    }
    *code = new Blob(output);
    return S_OK;
}
