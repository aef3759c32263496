// The frame-counted animation: exact 32-bit float sequence of the phase, the
// wobble angles and the spin. Also built into the Windows test tree, so the
// same checks run on the MinGW code under Wine.
#include "render/animation.h"
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>
#include <stdint.h>

namespace {

uint32_t Bits(float value)
{
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    return bits;
}

FrameAnimation Start()
{
    FrameAnimation animation = {};
    return animation;
}

TEST(Animation, FirstFramesAccumulateInFloat)
{
    FrameAnimation animation = Start();
    StepAnimation(animation);
    EXPECT_EQ(Bits(animation.wobblePhase), Bits(0.0149999997f));
    EXPECT_NEAR(animation.wobbleX, 10.99966f, 0.000005f);
    EXPECT_EQ(Bits(animation.wobbleY), Bits(0.05999775f));
    EXPECT_EQ(animation.spinZ, 2.5f);

    StepAnimation(animation);
    EXPECT_EQ(Bits(animation.wobblePhase), Bits(0.0299999993f));
    EXPECT_EQ(animation.spinZ, 5.0f);

    StepAnimation(animation);
    EXPECT_EQ(Bits(animation.wobblePhase), Bits(0.0449999981f));
    EXPECT_NE(Bits(animation.wobblePhase), Bits(0.045f));
    EXPECT_EQ(animation.spinZ, 7.5f);
}

TEST(Animation, SpinWrapsStrictlyAbove360WithCycleOf145)
{
    FrameAnimation animation = Start();
    for (int frame = 1; frame <= 143; ++frame) {
        StepAnimation(animation);
        ASSERT_EQ(animation.spinZ, 2.5f * frame) << "frame " << frame;
    }
    StepAnimation(animation);
    EXPECT_EQ(animation.spinZ, 360.0f); // frame 144
    StepAnimation(animation);
    EXPECT_EQ(animation.spinZ, 0.0f); // frame 145
    StepAnimation(animation);
    EXPECT_EQ(animation.spinZ, 2.5f); // frame 146

    // Every later cycle repeats the first one.
    for (int frame = 147; frame <= 145 * 3 + 1; ++frame) {
        StepAnimation(animation);
        const int inCycle = (frame - 1) % 145 + 1;
        ASSERT_EQ(animation.spinZ, inCycle == 145 ? 0.0f : 2.5f * inCycle) << "frame " << frame;
    }
}

// The phase within one turn of the wobble, the angles within their bounds.
bool WithinBounds(const FrameAnimation& animation)
{
    const double TwoPi = 6.283185307179586;
    return animation.wobblePhase >= 0.0f && animation.wobblePhase <= TwoPi && animation.wobbleX >= 5.0f
        && animation.wobbleX <= 11.0f && animation.wobbleY >= -4.0f && animation.wobbleY <= 4.0f;
}

// A phase that only grew stopped taking the step at frame 16,832,417 and the
// wobble froze. One run a turn past it: the phase moves every frame, all
// stays within bounds, and that last turn sweeps both angles end to end.
TEST(Animation, WobbleKeepsTurningPastFrame16832417)
{
    const long FrozeAtFrame = 16832417;
    const long OneTurn = 419; // 2 pi / 0.015, rounded up
    FrameAnimation animation = Start();
    float lowX = 11.0f, highX = 5.0f, lowY = 4.0f, highY = -4.0f;
    for (long frame = 1; frame <= FrozeAtFrame + OneTurn; ++frame) {
        const float before = animation.wobblePhase;
        StepAnimation(animation);
        if (animation.wobblePhase == before || !WithinBounds(animation)) {
            FAIL() << "frame " << frame << ": phase " << animation.wobblePhase << ", wobble "
                   << animation.wobbleX << ", " << animation.wobbleY;
        }
        if (frame > FrozeAtFrame) {
            lowX = fminf(lowX, animation.wobbleX);
            highX = fmaxf(highX, animation.wobbleX);
            lowY = fminf(lowY, animation.wobbleY);
            highY = fmaxf(highY, animation.wobbleY);
        }
    }
    EXPECT_LT(lowX, 5.001f);
    EXPECT_GT(highX, 10.999f);
    EXPECT_LT(lowY, -3.999f);
    EXPECT_GT(highY, 3.999f);
}

} // namespace
