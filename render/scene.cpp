// The scene's fixed GL state (depth test, one light, material, texturing) and
// its display lists: the scene's, which clears the buffers and draws the
// model, and the model's alone. Leaves out the texture loader and the
// per-frame transform.
#include "render/scene.h"
#include "render/model/model_mesh.h"
#include "render/render_state.h"
#include "resources/resource_ids.h"

namespace {
const GLfloat LightAmbient[] = {0.1f, 0.1f, 0.1f, 1.0f};
const GLfloat LightDiffuse[] = {0.6f, 0.6f, 0.6f, 1.0f};
const GLfloat LightSpecular[] = {0.5f, 0.5f, 0.5f, 1.0f};
// Positional, fixed in eye space: set while the modelview is the identity.
const GLfloat LightPosition[] = {-150.0f, 150.0f, 150.0f, 1.0f};
const GLfloat MaterialSpecular[] = {0.5f, 0.5f, 0.5f, 1.0f};
const GLint MaterialShininess = 128;
const GLfloat ModelRed = 0.5f;
const GLint LinearFilteringOn = 1;
// The scene list and, next to it, the model list it calls.
const GLsizei SceneListCount = 2;
}

void BuildScene()
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glLightfv(GL_LIGHT0, GL_AMBIENT, LightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, LightDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, LightSpecular);
    glLightfv(GL_LIGHT0, GL_POSITION, LightPosition);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glColor3f(1.0f, 1.0f, 1.0f);
    glMaterialfv(GL_FRONT, GL_SPECULAR, MaterialSpecular);
    glMateriali(GL_FRONT, GL_SHININESS, MaterialShininess);

    sceneTexture.LoadBitmapTexture(IDB_SCENE_TEXTURE);
    glBindTexture(GL_TEXTURE_2D, sceneTexture.textureName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glBindTexture(GL_TEXTURE_2D, sceneTexture.textureName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_MODULATE));

    // The model without the clear, for views that share one clear of the
    // whole child; the scene list is that clear and the model.
    renderState.sceneList = glGenLists(SceneListCount);
    renderState.modelList = renderState.sceneList + 1;
    glNewList(renderState.modelList, GL_COMPILE);
    // Chosen once, at compile time.
    const GLint filter = renderState.linearFiltering == LinearFilteringOn ? GL_LINEAR : GL_NEAREST;
    glBindTexture(GL_TEXTURE_2D, sceneTexture.textureName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glBindTexture(GL_TEXTURE_2D, sceneTexture.textureName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glColor3f(ModelRed, 0.0f, 0.0f);
    // The stored normals are not of unit length.
    glEnable(GL_NORMALIZE);
    DrawModelMesh();
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glEndList();
    glNewList(renderState.sceneList, GL_COMPILE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glCallList(renderState.modelList);
    glEndList();
}

void DeleteScene()
{
    glDeleteLists(renderState.sceneList, SceneListCount);
}
