// The texture loader on real bitmap resources of this executable: the good
// 24-bit bitmap under the scene's id is uploaded texel for texel, bound by
// the list and modulates the lit colour; other kinds of bitmap are refused
// without creating a texture.
#include "render/bitmap_texels.h"
#include "render/frame.h"
#include "render/render_state.h"
#include "render/scene.h"
#include "tests/win/render/gl_test_window.h"
#include "tests/win/render/texture_test_ids.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

const int Side = TestWindowSide;
const int GoodSide = 16;
const int MaxTextureNameChecked = 64;

class TextureTest : public ::testing::Test {
protected:
    void SetUp() override { ResetRenderRecords(); }
    void TearDown() override { ResetRenderRecords(); }
};

// The texels make_test_bitmaps.py writes: blue, green, red of (x, y).
void ExpectTexelsOf(int width, int height)
{
    GLint textureWidth = 0, textureHeight = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &textureWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &textureHeight);
    ASSERT_EQ(textureWidth, width);
    ASSERT_EQ(textureHeight, height);
    std::vector<unsigned char> texels(width * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGR_EXT, GL_UNSIGNED_BYTE, texels.data());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned char* texel = &texels[(y * width + x) * 3];
            ASSERT_EQ(texel[0], (x * 16) & 0xFF) << x << "," << y;
            ASSERT_EQ(texel[1], (y * 16) & 0xFF) << x << "," << y;
            ASSERT_EQ(texel[2], 128) << x << "," << y;
        }
    }
}

long RedTotal()
{
    std::vector<unsigned char> pixels(Side * Side * 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, Side, Side, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    long total = 0;
    for (int i = 0; i < Side * Side; ++i) {
        total += pixels[i * 4];
    }
    return total;
}

TEST_F(TextureTest, SceneBitmapIsUploadedBoundAndModulates)
{
    GLTestWindow test;
    BuildScene();
    ASSERT_EQ(sceneTexture.loaded, 1);
    ASSERT_NE(sceneTexture.textureName, 0u);
    EXPECT_TRUE(glIsTexture(sceneTexture.textureName));
    EXPECT_EQ(sceneTexture.width, GoodSide);
    EXPECT_EQ(sceneTexture.height, GoodSide);
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDB_SCENE_TEXTURE), MAKEINTRESOURCEA(2));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(sceneTexture.pixels, LockResource(LoadResource(module, found)));

    ResizeViewport(Side, Side);
    glBindTexture(GL_TEXTURE_2D, 0);
    glCallList(renderState.sceneList);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), sceneTexture.textureName);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_REPEAT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
    EXPECT_EQ(value, GL_REPEAT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, renderState.linearFiltering == 1 ? GL_LINEAR : GL_NEAREST);
    ExpectTexelsOf(GoodSide, GoodSide);

    // Every texel's red is 128, so the textured model shows about half the
    // red of the same frame drawn untextured.
    const FrameAnimation start = renderState.animation;
    DrawFrame();
    const long textured = RedTotal();
    glDisable(GL_TEXTURE_2D);
    renderState.animation = start;
    DrawFrame();
    const long untextured = RedTotal();
    ASSERT_GT(untextured, 0);
    const double ratio = static_cast<double>(textured) / untextured;
    EXPECT_GT(ratio, 0.4);
    EXPECT_LT(ratio, 0.6);
    DeleteScene();
}

TEST_F(TextureTest, RowsWithPaddingAreReadAsPadded)
{
    GLTestWindow test;
    TextureImage image;
    ASSERT_EQ(image.LoadBitmapTexture(IDB_TEST_GOOD_SMALL), 1);
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 2);
    ExpectTexelsOf(2, 2);
}

TEST_F(TextureTest, OnlyTheLowSixteenBitsOfTheIdCount)
{
    GLTestWindow test;
    TextureImage image;
    EXPECT_EQ(image.LoadBitmapTexture(0x10000u | IDB_TEST_GOOD_SMALL), 1);
}

TEST_F(TextureTest, DestructorDeletesTheTexture)
{
    GLTestWindow test;
    GLuint name = 0;
    {
        TextureImage image;
        ASSERT_EQ(image.LoadBitmapTexture(IDB_SCENE_TEXTURE), 1);
        name = image.textureName;
        ASSERT_TRUE(glIsTexture(name));
    }
    EXPECT_FALSE(glIsTexture(name));
}

TEST_F(TextureTest, OtherBitmapsAndMissingIdsAreRefusedWithoutTexture)
{
    GLTestWindow test;
    HMODULE module = GetModuleHandleA(nullptr);
    const UINT refused[] = {IDB_TEST_FOUR_BIT, IDB_TEST_RLE8, IDB_TEST_TOP_DOWN, IDB_TEST_TRUNCATED,
        IDB_TEST_THIRTY_TWO_BIT, 999};
    int loadableAsBitmap = 0;
    for (UINT id : refused) {
        HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(id));
        if (bitmap != nullptr) {
            ++loadableAsBitmap; // so the refusal came from the texel check
            DeleteObject(bitmap);
        }
        TextureImage image;
        image.loaded = 7; // set to 0 by the load
        EXPECT_EQ(image.LoadBitmapTexture(id), 0) << "id " << id;
        EXPECT_EQ(image.loaded, 0) << "id " << id;
        EXPECT_EQ(image.textureName, 0u) << "id " << id;
        EXPECT_EQ(image.pixels, nullptr) << "id " << id;
        EXPECT_EQ(image.width, 0) << "id " << id;
        EXPECT_EQ(image.height, 0) << "id " << id;
    }
    EXPECT_GE(loadableAsBitmap, 3);
    for (GLuint name = 1; name <= MaxTextureNameChecked; ++name) {
        EXPECT_FALSE(glIsTexture(name)) << "texture " << name;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
