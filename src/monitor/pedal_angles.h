#pragma once

#include <optional>

// Angles of the pedal pictures of the live monitor, in degrees, from the value of a
// live frame and the value range the editor shows. Single precision, as drawn.
namespace PedalAngles {

constexpr float expressionReleased = 15.0f; // lower end of the range
constexpr float hiHatRest = 3.0f;           // value 0: the hi-hat stands open
constexpr float switchPressed = 8.0f;
constexpr int switchTravelMs = 150;         // to a position, in the value-following mode
constexpr int switchTapMs = 400;            // a tap: pressed, then back to rest

// Expression pedal: 15 at the lower end of the range a..b (either order), 0 at the
// upper end, limited to 0..15. No angle when a == b.
std::optional<float> expression(int value, int a, int b);

// Hi-hat pedal: 3 at rest (value 0), otherwise 0 at the lower end of the range and
// -5 at the upper end, not limited. No angle when a == b.
std::optional<float> hiHat(int value, int a, int b);

// Switch pedal in the value-following trigger mode: the target angle for a value in
// the range min..max; 8 when there is no range.
float switchTarget(int value, bool hasRange, int min, int max);

} // namespace PedalAngles
