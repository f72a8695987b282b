#include "app/win32/LogoTexture.h"

#include <d3d9.h>

#include <cstring>

#include "app/FileIo.h"
#include "app/win32/StbImage.h"

IDirect3DTexture9* LoadLogoTexture(IDirect3DDevice9* device, const std::u16string& path) {
    if (!device) return nullptr;
    std::string bytes;
    if (!ReadFileBytes(path, bytes) || bytes.empty()) return nullptr;
    DecodedImage image = DecodeImageRgba(bytes);
    if (image.pixels.empty()) return nullptr;

    IDirect3DTexture9* texture = nullptr;
    if (FAILED(device->CreateTexture(image.width, image.height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                     nullptr)) ||
        !texture) {
        return nullptr;
    }
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) {
        texture->Release();
        return nullptr;
    }
    // A8R8G8B8 is stored as B, G, R, A bytes; rows may be padded to the pitch.
    for (unsigned y = 0; y < image.height; ++y) {
        const unsigned char* from = image.pixels.data() + static_cast<size_t>(y) * image.width * 4;
        unsigned char* to = static_cast<unsigned char*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
        for (unsigned x = 0; x < image.width; ++x, from += 4, to += 4) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
            to[3] = from[3];
        }
    }
    texture->UnlockRect(0);
    return texture;
}
