#include "host/win32/LogoTexture.h"

#include <d3d9.h>

#include <cstring>

#include "app/FileIo.h"
#include "app/ImageDecode.h"

IDirect3DTexture9* CreateRgbaTexture(IDirect3DDevice9* device, unsigned width, unsigned height) {
    IDirect3DTexture9* texture = nullptr;
    if (!device || width == 0 || height == 0 ||
        FAILED(device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr))) {
        return nullptr;
    }
    return texture;
}

bool FillRgbaTexture(IDirect3DTexture9* texture, const unsigned char* rgba, unsigned width, unsigned height) {
    D3DLOCKED_RECT locked{};
    if (!texture || FAILED(texture->LockRect(0, &locked, nullptr, 0))) return false;
    // A8R8G8B8 is stored as B, G, R, A bytes; rows may be padded to the pitch.
    for (unsigned y = 0; y < height; ++y) {
        const unsigned char* from = rgba + static_cast<size_t>(y) * width * 4;
        unsigned char* to = static_cast<unsigned char*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
        for (unsigned x = 0; x < width; ++x, from += 4, to += 4) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
            to[3] = from[3];
        }
    }
    texture->UnlockRect(0);
    return true;
}

IDirect3DTexture9* LoadLogoTexture(IDirect3DDevice9* device, const std::u16string& path) {
    if (!device) return nullptr;
    std::string bytes;
    if (!ReadFileBytes(path, bytes) || bytes.empty()) return nullptr;
    DecodedImage image = DecodeImageRgba(bytes);
    if (image.pixels.empty()) return nullptr;
    IDirect3DTexture9* texture = CreateRgbaTexture(device, image.width, image.height);
    if (texture && !FillRgbaTexture(texture, image.pixels.data(), image.width, image.height)) {
        texture->Release();
        return nullptr;
    }
    return texture;
}
