// The frame-counted animation: wobble phase and angles, one step per frame.
// Pure arithmetic, no GL, so that it runs in the native tests as well.
#pragma once

struct FrameAnimation {
    float wobblePhase; // radians, grows by 0.015 a frame, 2 pi off once past 2 pi
    float wobbleX;     // degrees, 8 + 3 cos(phase)
    float wobbleY;     // degrees, 4 sin(phase)
    float spinZ;       // degrees, grows by 2.5, back to 0 once above 360
};

// Advances the animation by exactly one frame.
void StepAnimation(FrameAnimation& animation);
