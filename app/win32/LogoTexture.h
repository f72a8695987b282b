#pragma once
// The header's logo as a Direct3D 9 texture, decoded with stb_image so that
// no D3DX runtime is needed.
#include <string>

struct IDirect3DDevice9;
struct IDirect3DTexture9;

// A managed-pool texture (it survives device resets) filled from a PNG file;
// null when the file is missing or cannot be decoded or uploaded.
IDirect3DTexture9* LoadLogoTexture(IDirect3DDevice9* device, const std::u16string& path);
