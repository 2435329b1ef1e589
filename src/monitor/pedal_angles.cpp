#include "monitor/pedal_angles.h"

#include <algorithm>
#include <cstdlib>

namespace PedalAngles {

std::optional<float> expression(int value, int a, int b)
{
    if (a == b)
        return std::nullopt;
    const int lo = std::min(a, b);
    const int span = std::abs(a - b);
    const float angle = (1.0f - float(value - lo) / float(span)) * expressionReleased;
    return std::clamp(angle, 0.0f, expressionReleased);
}

std::optional<float> hiHat(int value, int a, int b)
{
    if (a == b)
        return std::nullopt;
    if (value == 0)
        return hiHatRest;
    const int hi = std::max(a, b);
    const int lo = std::min(a, b);
    return 5.0f * float(hi - value) / float(hi - lo) - 5.0f;
}

float switchTarget(int value, bool hasRange, int min, int max)
{
    if (!hasRange)
        return switchPressed;
    if (value == min)
        return max < value ? switchPressed : 0.0f;
    if (value == max)
        return value < min ? 0.0f : switchPressed;
    // An empty range (min == max) has no slope: a value above it is pressed, one below
    // it released, instead of dividing by zero.
    if (min == max)
        return value > max ? switchPressed : 0.0f;
    return float(value - min) / float(max - min) * switchPressed;
}

} // namespace PedalAngles
