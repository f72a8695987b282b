// Pictures on Windows: the Windows Imaging Component decodes PNG, JPEG and
// BMP from memory into 32-bit BGRA, turned into RGBA here.
#include <windows.h>

#include <objbase.h>
#include <wincodec.h>

#include <utility>

#include "app/PictureDecode.h"

namespace {

// Releases a COM interface at the end of its scope.
template <typename T>
struct ComRef {
    T* p = nullptr;
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
};

// COM for the calling thread (the picture loader's, usually); a thread the
// interface already set up as single-threaded keeps its mode.
struct ComForThisThread {
    HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ComForThisThread() = default;
    ComForThisThread(const ComForThisThread&) = delete;
    ComForThisThread& operator=(const ComForThisThread&) = delete;
    ~ComForThisThread() {
        if (SUCCEEDED(result)) CoUninitialize();
    }
    bool Usable() const { return SUCCEEDED(result) || result == RPC_E_CHANGED_MODE; }
};

DecodedPicture Damaged(const char* step, HRESULT result) {
    DecodedPicture picture;
    picture.fault = PictureFault::Damaged;
    char text[96];
    wsprintfA(text, "%s failed (0x%08lX)", step, static_cast<unsigned long>(result));
    picture.detail = text;
    return picture;
}

const GUID& ContainerOf(PictureKind kind) {
    switch (kind) {
        case PictureKind::Png: return GUID_ContainerFormatPng;
        case PictureKind::Jpeg: return GUID_ContainerFormatJpeg;
        case PictureKind::Bmp: return GUID_ContainerFormatBmp;
        case PictureKind::Unknown: break;
    }
    return GUID_NULL;
}

}  // namespace

DecodedPicture PlatformDecodePicture(const std::string& fileBytes, PictureKind kind, unsigned width, unsigned height,
                                     const PictureLimits&) {
    ComForThisThread com;
    if (!com.Usable()) return Damaged("CoInitializeEx", com.result);
    ComRef<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&factory.p));
    if (FAILED(hr)) return Damaged("Creating the imaging factory", hr);
    ComRef<IWICStream> stream;
    if (FAILED(hr = factory->CreateStream(&stream.p))) return Damaged("CreateStream", hr);
    BYTE* data = reinterpret_cast<BYTE*>(const_cast<char*>(fileBytes.data()));
    if (FAILED(hr = stream->InitializeFromMemory(data, static_cast<DWORD>(fileBytes.size()))))
        return Damaged("InitializeFromMemory", hr);
    // The decoder is chosen by the kind our own header check found, not by
    // whatever else the system could decode.
    ComRef<IWICBitmapDecoder> decoder;
    if (FAILED(hr = factory->CreateDecoder(ContainerOf(kind), nullptr, &decoder.p))) return Damaged("CreateDecoder", hr);
    if (FAILED(hr = decoder->Initialize(stream.p, WICDecodeMetadataCacheOnDemand))) return Damaged("Initialize", hr);
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(hr = decoder->GetFrame(0, &frame.p))) return Damaged("GetFrame", hr);
    UINT frameWidth = 0, frameHeight = 0;
    if (FAILED(hr = frame->GetSize(&frameWidth, &frameHeight))) return Damaged("GetSize", hr);
    if (frameWidth != width || frameHeight != height) return Damaged("Frame of another size than its header", E_FAIL);
    ComRef<IWICFormatConverter> converter;
    if (FAILED(hr = factory->CreateFormatConverter(&converter.p))) return Damaged("CreateFormatConverter", hr);
    if (FAILED(hr = converter->Initialize(frame.p, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                          WICBitmapPaletteTypeCustom)))
        return Damaged("Converting to BGRA", hr);

    DecodedPicture picture;
    picture.pixels.resize(size_t(width) * height * 4);
    if (FAILED(hr = converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(picture.pixels.size()),
                                          picture.pixels.data())))
        return Damaged("CopyPixels", hr);
    for (size_t i = 0; i < picture.pixels.size(); i += 4) std::swap(picture.pixels[i], picture.pixels[i + 2]);
    picture.width = width;
    picture.height = height;
    return picture;
}
