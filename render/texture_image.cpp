// The scene's texture object: loads a 24-bit bitmap resource into a GL
// texture. Leaves out filtering and wrapping, which the scene sets.
#include "render/bitmap_texels.h"
#include "render/scene.h"

namespace {
const GLint TextureComponents = 3;
const GLint BaseLevel = 0;
const GLint NoBorder = 0;
// Bitmap rows are padded to four bytes; the upload reads them so.
const GLint BitmapRowAlignment = 4;
const WORD BitmapResourceType = 2; // RT_BITMAP, spelt out for the ANSI call
}

TextureImage sceneTexture;

TextureImage::TextureImage() : pixels(nullptr), loaded(0), textureName(0), width(0), height(0)
{
}

TextureImage::~TextureImage()
{
    if (textureName != 0) {
        glDeleteTextures(1, &textureName);
    }
}

int TextureImage::LoadBitmapTexture(UINT resourceId)
{
    loaded = 0;
    HMODULE module = GetModuleHandleA(nullptr);
    LPCSTR name = MAKEINTRESOURCEA(LOWORD(resourceId));
    HBITMAP bitmap = LoadBitmapA(module, name);
    if (bitmap == nullptr) {
        return 0;
    }
    BITMAP description = {};
    GetObjectA(bitmap, sizeof description, &description);
    DeleteObject(bitmap);

    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(BitmapResourceType));
    HGLOBAL resource = found ? LoadResource(module, found) : nullptr;
    if (resource == nullptr) {
        return 0;
    }
    const void* data = LockResource(resource);
    BitmapTexels texels;
    // Only data whose rows the upload can read in full, of the size the
    // bitmap was loaded with, becomes a texture.
    if (!FindBitmapTexels(data, SizeofResource(module, found), &texels) || texels.width != description.bmWidth
        || texels.height != description.bmHeight) {
        return 0;
    }
    pixels = static_cast<const uint8_t*>(data);
    width = texels.width;
    height = texels.height;

    glGenTextures(1, &textureName);
    glBindTexture(GL_TEXTURE_2D, textureName);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, BitmapRowAlignment);
    glTexImage2D(GL_TEXTURE_2D, BaseLevel, TextureComponents, width, height, NoBorder, GL_BGR_EXT,
        GL_UNSIGNED_BYTE, texels.texels);
    loaded = 1;
    return 1;
}
