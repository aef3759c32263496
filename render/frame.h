// One animation step and draw per frame, and the projection per size.
#pragma once

void DrawFrame();
void ResizeViewport(int width, int height);
