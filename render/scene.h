// The scene's fixed GL state, its texture and its display lists.
#pragma once
#include <windows.h>
#include <GL/gl.h>
#include <stdint.h>

class TextureImage {
public:
    TextureImage();
    ~TextureImage();
    int LoadBitmapTexture(UINT resourceId);

    const uint8_t* pixels;
    int32_t loaded;
    GLuint textureName;
    int32_t width;
    int32_t height;
};

extern TextureImage sceneTexture;

void BuildScene();
void DeleteScene();
