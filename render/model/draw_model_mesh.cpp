// Issues the model table to OpenGL, one GL_TRIANGLES primitive per record,
// for recording into the scene's display list. Sets no colour, material or
// other state: the caller owns all of that.
#include <windows.h>
#include <GL/gl.h>

#include "render/model/model_mesh.h"

namespace {
// Texture coordinates are fixed by the corner's slot, the same for every
// triangle.
const GLfloat SlotTexCoords[3][2] = {
    {0.0f, 0.0f},
    {1.0f, 0.0f},
    {1.0f, 1.0f},
};
const int CornersPerTriangle = 3;
}

void DrawModelMesh()
{
    for (int i = 0; i < ModelTriangleCount; ++i) {
        const ModelTriangle& triangle = ModelMesh[i];
        glBegin(GL_TRIANGLES);
        glNormal3f(triangle.normal[0], triangle.normal[1], triangle.normal[2]);
        for (int slot = 0; slot < CornersPerTriangle; ++slot) {
            glTexCoord2f(SlotTexCoords[slot][0], SlotTexCoords[slot][1]);
            glVertex3f(triangle.corner[slot][0], triangle.corner[slot][1], triangle.corner[slot][2]);
        }
        glEnd();
    }
}
