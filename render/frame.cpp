// One animation step per frame and the scene drawn in every view: the whole
// child with the scene list, or in full screen on several monitors one clear
// of the whole child and the model list in each monitor's rectangle, with
// its own viewport and projection. Also the viewport and the perspective
// projection for a size; a view narrower than square gets a wider vertical
// field so that the whole model still fits. Leaves out the swap (the
// caller's) and where the views come from (monitor_views).
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
// tan(FieldOfView / 2): a square view's horizontal half-field. Spinning,
// the model is at its widest about 0.26 of its distance across its middle,
// so a view narrower than square keeps this horizontal field (and the
// square view's margin) and widens its vertical one instead.
const double HalfFieldTangent = 0.41421356237309503;
const double SquareAspect = 1.0;

bool SeveralViewsInUse()
{
    return renderState.viewCount >= SeveralViews;
}

void DrawModel(GLuint list)
{
    const FrameAnimation& animation = renderState.animation;
    glPushMatrix();
    glTranslatef(ModelX, ModelY, ModelZ);
    glRotatef(UprightTilt, 1.0f, 0.0f, 0.0f);
    glRotatef(animation.wobbleX, 1.0f, 0.0f, 0.0f);
    glRotatef(animation.wobbleY, 0.0f, 1.0f, 0.0f);
    glRotatef(animation.spinZ, 0.0f, 0.0f, 1.0f);
    glCallList(list);
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
    const double aspect = AspectRatio(width, height);
    if (aspect > 0.0 && aspect < SquareAspect) {
        const double halfWidth = NearPlane * HalfFieldTangent;
        glFrustum(-halfWidth, halfWidth, -halfWidth / aspect, halfWidth / aspect, NearPlane, FarPlane);
    } else {
        gluPerspective(FieldOfView, aspect, NearPlane, FarPlane);
    }
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
}
}

void DrawFrame()
{
    StepAnimation(renderState.animation);
    if (SeveralViewsInUse()) {
        // One clear for all views: a clear after drawing costs a software
        // renderer a pass over the whole child. The viewport clips each
        // model to its monitor.
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (int i = 0; i < renderState.viewCount; ++i) {
            SetView(renderState.views[i]);
            DrawModel(renderState.modelList);
        }
    } else {
        DrawModel(renderState.sceneList);
    }
    glFlush();
}

void ApplyViews(int viewCountBefore)
{
    if (!SeveralViewsInUse() && viewCountBefore >= SeveralViews) {
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
