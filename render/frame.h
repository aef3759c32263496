// One animation step and draw per frame, and the projection per size.
#pragma once

void DrawFrame();
void ResizeViewport(int width, int height);
// The projection's aspect ratio: the quotient of the two sizes in double
// precision, rounded once.
double AspectRatio(int width, int height);
