// The model: 276 flat triangles in three closed pieces, and its drawing.
#pragma once

struct ModelTriangle {
    float normal[3];
    float corner[3][3];
};

const int ModelTriangleCount = 276;

extern const ModelTriangle ModelMesh[ModelTriangleCount];

// Issues every triangle as its own GL_TRIANGLES primitive; meant to be
// recorded into a display list.
void DrawModelMesh();
