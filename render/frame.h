// One animation step and draw per frame, and the projection per size.
#pragma once

// Steps the animation once and draws it in every view.
void DrawFrame();
void ResizeViewport(int width, int height);
// After the views changed from viewCountBefore: several views set their own
// viewports each frame; back from several to one, the one view is the whole
// child again.
void ApplyViews(int viewCountBefore);
// The projection's aspect ratio: the quotient of the two sizes in double
// precision, rounded once.
double AspectRatio(int width, int height);
