// One frame-counted step of the wobble and the spin. Each intermediate is
// stored in a variable of its stated type, so that x87 builds with
// -ffloat-store round exactly where SSE builds do.
#include "render/animation.h"
#include <math.h>

namespace {
const double PhaseStep = 0.015;
// One turn of the wobble, 2 pi. The phase is kept within it: a 32-bit float
// that only grew stopped taking the step after 16,832,417 frames (two days
// at 100 frames a second, three at 64), and the wobble froze.
const double WobblePeriod = 6.283185307179586;
const double WobbleXCentre = 8.0;
const double WobbleXAmplitude = 3.0;
const double WobbleYAmplitude = 4.0;
const float SpinStep = 2.5f;
const float SpinLimit = 360.0f;
const float SpinRestart = 0.0f;
}

void StepAnimation(FrameAnimation& animation)
{
    const double phaseSum = animation.wobblePhase + PhaseStep;
    animation.wobblePhase = static_cast<float>(phaseSum);
    if (animation.wobblePhase > WobblePeriod) {
        const double wrapped = animation.wobblePhase - WobblePeriod;
        animation.wobblePhase = static_cast<float>(wrapped);
    }

    const double phase = animation.wobblePhase;
    const double wobbleX = WobbleXAmplitude * cos(phase) + WobbleXCentre;
    animation.wobbleX = static_cast<float>(wobbleX);
    const double wobbleY = WobbleYAmplitude * sin(phase);
    animation.wobbleY = static_cast<float>(wobbleY);

    const float spin = animation.spinZ + SpinStep;
    animation.spinZ = spin;
    // Strict: 360 itself is drawn, the step after it restarts at 0.
    if (animation.spinZ > SpinLimit) {
        animation.spinZ = SpinRestart;
    }
}
