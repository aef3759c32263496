// The scene's fixed GL state, the compiled list and what one replay of it
// draws and leaves behind, on Mesa. This executable carries no bitmap 156,
// as the saver does not.
#include "render/model/model_mesh.h"
#include "render/render_state.h"
#include "render/scene.h"
#include "resources/resource_ids.h"
#include "tests/win/render/gl_test_window.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

const int ValuesPerFeedbackVertex = 3 + 4 + 4; // GL_3D_COLOR_TEXTURE in RGBA mode

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override { ResetRenderRecords(); }
    void TearDown() override { ResetRenderRecords(); }
};

void ExpectVector(GLfloat* actual, GLfloat r, GLfloat g, GLfloat b, GLfloat a)
{
    EXPECT_FLOAT_EQ(actual[0], r);
    EXPECT_FLOAT_EQ(actual[1], g);
    EXPECT_FLOAT_EQ(actual[2], b);
    EXPECT_FLOAT_EQ(actual[3], a);
}

GLint TextureParameter(GLenum name)
{
    GLint value = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

TEST_F(SceneTest, BuildSetsFixedStateAndCompilesWithoutDrawing)
{
    GLTestWindow test;
    BuildScene();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    // Only recorded so far: the list's own state is not yet in force.
    EXPECT_FALSE(glIsEnabled(GL_NORMALIZE));

    GLfloat value[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, value);
    ExpectVector(value, 0, 0, 0, 1);
    glGetFloatv(GL_CURRENT_COLOR, value);
    ExpectVector(value, 1, 1, 1, 1);
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, value);
    ExpectVector(value, 0.1f, 0.1f, 0.1f, 1);
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, value);
    ExpectVector(value, 0.6f, 0.6f, 0.6f, 1);
    glGetLightfv(GL_LIGHT0, GL_SPECULAR, value);
    ExpectVector(value, 0.5f, 0.5f, 0.5f, 1);
    glGetLightfv(GL_LIGHT0, GL_POSITION, value); // eye space, set under the identity
    ExpectVector(value, -150, 150, 150, 1);
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, value);
    ExpectVector(value, 0.5f, 0.5f, 0.5f, 1);
    GLint shininess = 0;
    glGetMaterialiv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_EQ(shininess, 128);
    GLint integer = 0;
    glGetIntegerv(GL_COLOR_MATERIAL_FACE, &integer);
    EXPECT_EQ(integer, GL_FRONT);
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &integer);
    EXPECT_EQ(integer, GL_AMBIENT_AND_DIFFUSE);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &integer);
    EXPECT_EQ(integer, GL_MODULATE);
    glGetIntegerv(GL_MATRIX_MODE, &integer);
    EXPECT_EQ(integer, GL_MODELVIEW);

    // No bitmap 156 here: no texture, the default texture 0 gets the wraps.
    EXPECT_EQ(sceneTexture.loaded, 0);
    EXPECT_EQ(sceneTexture.textureName, 0u);
    EXPECT_EQ(sceneTexture.pixels, nullptr);
    EXPECT_EQ(sceneTexture.width, 0);
    EXPECT_EQ(sceneTexture.height, 0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &integer);
    EXPECT_EQ(integer, 0);
    EXPECT_EQ(TextureParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(TextureParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);

    EXPECT_NE(renderState.sceneList, 0u);
    EXPECT_TRUE(glIsList(renderState.sceneList));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SceneTest, ReplayLeavesModelviewDarkRedAndNormalize)
{
    GLTestWindow test;
    BuildScene();
    glMatrixMode(GL_PROJECTION); // the list must end in GL_MODELVIEW whatever was current
    glCallList(renderState.sceneList);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    ExpectVector(colour, 0.5f, 0, 0, 1);
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    GLint depth = -1;
    glGetIntegerv(GL_TEXTURE_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Compiles the list with the given flag, spoils the filters, replays.
void ExpectCompiledFilter(int flag, GLint expected)
{
    renderState.linearFiltering = flag;
    BuildScene();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, expected == GL_LINEAR ? GL_NEAREST : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    renderState.linearFiltering = flag == 1 ? 0 : 1; // too late to matter
    glCallList(renderState.sceneList);
    EXPECT_EQ(TextureParameter(GL_TEXTURE_MAG_FILTER), expected) << "flag " << flag;
    EXPECT_EQ(TextureParameter(GL_TEXTURE_MIN_FILTER), expected) << "flag " << flag;
    DeleteScene();
}

TEST_F(SceneTest, FilteringFlagChoosesFiltersAtCompileTime)
{
    GLTestWindow test;
    ExpectCompiledFilter(0, GL_NEAREST);
    ExpectCompiledFilter(1, GL_LINEAR);
    ExpectCompiledFilter(2, GL_NEAREST);
    ExpectCompiledFilter(-1, GL_NEAREST);
}

TEST_F(SceneTest, OneReplayDraws276TexturedTriangles)
{
    GLTestWindow test;
    BuildScene();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-20, 20, -20, 20, -20, 20); // the whole model, unclipped
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    std::vector<GLfloat> feedback(ModelTriangleCount * (2 + 3 * ValuesPerFeedbackVertex) + 64);
    glFeedbackBuffer(static_cast<GLsizei>(feedback.size()), GL_3D_COLOR_TEXTURE, feedback.data());
    glRenderMode(GL_FEEDBACK);
    glCallList(renderState.sceneList);
    const GLint used = glRenderMode(GL_RENDER);
    ASSERT_GT(used, 0);

    const GLfloat expectedTexture[3][2] = {{0, 0}, {1, 0}, {1, 1}};
    int triangles = 0;
    int position = 0;
    while (position < used) {
        ASSERT_EQ(feedback[position], static_cast<GLfloat>(GL_POLYGON_TOKEN)) << "at " << position;
        ASSERT_EQ(feedback[position + 1], 3.0f) << "triangle " << triangles;
        position += 2;
        for (int corner = 0; corner < 3; ++corner) {
            const GLfloat* vertex = &feedback[position];
            EXPECT_EQ(vertex[7], expectedTexture[corner][0]) << "triangle " << triangles;
            EXPECT_EQ(vertex[8], expectedTexture[corner][1]) << "triangle " << triangles;
            EXPECT_EQ(vertex[9], 0.0f);
            EXPECT_EQ(vertex[10], 1.0f);
            position += ValuesPerFeedbackVertex;
        }
        ++triangles;
    }
    EXPECT_EQ(position, used);
    EXPECT_EQ(triangles, ModelTriangleCount);
}

TEST_F(SceneTest, DeleteSceneDeletesTheList)
{
    GLTestWindow test;
    BuildScene();
    const GLuint list = renderState.sceneList;
    ASSERT_TRUE(glIsList(list));
    DeleteScene();
    EXPECT_FALSE(glIsList(list));
    EXPECT_EQ(renderState.sceneList, list);
}

} // namespace
