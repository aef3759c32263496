// One animation step per frame and one replay of the scene list per view:
// the whole child, or in full screen on several monitors each monitor's
// rectangle with its own viewport, projection and scissor. Also the viewport
// and perspective projection for the child's size. Leaves out the buffer
// clear (in the list), the swap (the caller's) and where the views come from
// (monitor_views).
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
const int SeveralViews = 2;

bool SeveralViewsInUse()
{
    return renderState.viewCount >= SeveralViews;
}

void DrawModel()
{
    const FrameAnimation& animation = renderState.animation;
    glPushMatrix();
    glTranslatef(ModelX, ModelY, ModelZ);
    glRotatef(UprightTilt, 1.0f, 0.0f, 0.0f);
    glRotatef(animation.wobbleX, 1.0f, 0.0f, 0.0f);
    glRotatef(animation.wobbleY, 0.0f, 1.0f, 0.0f);
    glRotatef(animation.spinZ, 0.0f, 0.0f, 1.0f);
    glCallList(renderState.sceneList);
    glPopMatrix();
}

void SetViewport(int x, int y, int width, int height)
{
    if (height == 0) {
        height = SmallestHeight;
    }
    glViewport(x, y, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FieldOfView, AspectRatio(width, height), NearPlane, FarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// GL counts rows from the bottom of the child, the view from its top.
void SetView(const RECT& view)
{
    const int x = view.left;
    const int y = renderState.childHeight - view.bottom;
    const int width = view.right - view.left;
    const int height = view.bottom - view.top;
    SetViewport(x, y, width, height);
    glScissor(x, y, width, height);
}
}

void DrawFrame()
{
    StepAnimation(renderState.animation);
    if (SeveralViewsInUse()) {
        for (int i = 0; i < renderState.viewCount; ++i) {
            SetView(renderState.views[i]);
            DrawModel();
        }
    } else {
        DrawModel();
    }
    glFlush();
}

void ApplyViews(int viewCountBefore)
{
    if (SeveralViewsInUse()) {
        glEnable(GL_SCISSOR_TEST);
    } else if (viewCountBefore >= SeveralViews) {
        glDisable(GL_SCISSOR_TEST);
        ResizeViewport(renderState.childWidth, renderState.childHeight);
    }
}

double AspectRatio(int width, int height)
{
    return static_cast<double>(width) / static_cast<double>(height);
}

void ResizeViewport(int width, int height)
{
    SetViewport(0, 0, width, height);
}
