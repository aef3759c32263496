// One animation step and one replay of the scene list per frame, and the
// viewport and perspective projection for the child's size. Leaves out the
// buffer clear (in the list) and the swap (the caller's).
#include "render/frame.h"
#include "render/render_state.h"
#include <GL/glu.h>

namespace {
const GLfloat ModelX = 0.0f;
const GLfloat ModelY = -5.0f;
const GLfloat ModelZ = -40.0f;
const GLfloat UprightTilt = -90.0f;
const double FieldOfView = 45.0;
const double NearPlane = 1.0;
const double FarPlane = 70.0;
const int SmallestHeight = 1;
}

void DrawFrame()
{
    StepAnimation(renderState.animation);
    const FrameAnimation& animation = renderState.animation;
    glPushMatrix();
    glTranslatef(ModelX, ModelY, ModelZ);
    glRotatef(UprightTilt, 1.0f, 0.0f, 0.0f);
    glRotatef(animation.wobbleX, 1.0f, 0.0f, 0.0f);
    glRotatef(animation.wobbleY, 0.0f, 1.0f, 0.0f);
    glRotatef(animation.spinZ, 0.0f, 0.0f, 1.0f);
    glCallList(renderState.sceneList);
    glPopMatrix();
    glFlush();
}

double AspectRatio(int width, int height)
{
    return static_cast<double>(width) / static_cast<double>(height);
}

void ResizeViewport(int width, int height)
{
    if (height == 0) {
        height = SmallestHeight;
    }
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FieldOfView, AspectRatio(width, height), NearPlane, FarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
