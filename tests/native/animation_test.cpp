// The frame-counted animation: exact 32-bit float sequence of the phase, the
// wobble angles and the spin. Also built into the Windows test tree, so the
// same checks run on the MinGW code under Wine.
#include "render/animation.h"
#include <gtest/gtest.h>
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

TEST(Animation, PhaseStopsGrowingAt2To18AfterExactFrameCount)
{
    const long LastGrowingFrame = 16832416;
    const float Limit = 262144.0f;
    FrameAnimation animation = Start();
    float previous = 0.0f;
    bool checkedCoarseStep = false;
    for (long frame = 1; frame <= LastGrowingFrame; ++frame) {
        StepAnimation(animation);
        if (!(animation.wobblePhase > previous)) {
            FAIL() << "phase stopped growing at frame " << frame;
        }
        if (!(animation.wobbleX >= 5.0f && animation.wobbleX <= 11.0f && animation.wobbleY >= -4.0f
                && animation.wobbleY <= 4.0f)) {
            FAIL() << "wobble out of bounds at frame " << frame << ": " << animation.wobbleX << ", "
                   << animation.wobbleY;
        }
        // Past 65536 the float spacing is 2^-7, so the step becomes 0.015625.
        if (previous > 65536.0f && animation.wobblePhase < 131072.0f && !checkedCoarseStep) {
            EXPECT_EQ(animation.wobblePhase - previous, 0.015625f);
            checkedCoarseStep = true;
        }
        previous = animation.wobblePhase;
    }
    EXPECT_TRUE(checkedCoarseStep);
    EXPECT_LT(animation.wobblePhase, Limit);

    StepAnimation(animation); // frame 16,832,417
    EXPECT_EQ(animation.wobblePhase, Limit);
    const FrameAnimation atLimit = animation;
    for (int frame = 0; frame < 1000; ++frame) {
        StepAnimation(animation);
        ASSERT_EQ(animation.wobblePhase, Limit);
        ASSERT_EQ(animation.wobbleX, atLimit.wobbleX);
        ASSERT_EQ(animation.wobbleY, atLimit.wobbleY);
    }
    EXPECT_NE(animation.spinZ, atLimit.spinZ); // the spin goes on
}

} // namespace
