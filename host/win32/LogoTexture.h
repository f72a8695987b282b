#pragma once
// Direct3D 9 textures from RGBA pixels: the header's logo, decoded with
// stb_image so that no D3DX runtime is needed, and the pictures the UI host
// uploads for the interface.
#include <string>

struct IDirect3DDevice9;
struct IDirect3DTexture9;

// A managed-pool texture (it survives device resets) filled from a PNG file;
// null when the file is missing or cannot be decoded or uploaded.
IDirect3DTexture9* LoadLogoTexture(IDirect3DDevice9* device, const std::u16string& path);
// A managed-pool A8R8G8B8 texture of the given size; null on failure.
IDirect3DTexture9* CreateRgbaTexture(IDirect3DDevice9* device, unsigned width, unsigned height);
// Copies R G B A rows (top first) into the texture's top level.
bool FillRgbaTexture(IDirect3DTexture9* texture, const unsigned char* rgba, unsigned width, unsigned height);
