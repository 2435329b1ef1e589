#include "curve/curve_model.h"

#include <algorithm>
#include <cmath>

namespace CurveModel {

namespace {

constexpr int kFullScale = 4095;          // 12-bit pedal reading
constexpr int kFullScaleSevenBit = 4054;  // full scale of the effective range for 7-bit ranges

// The output level reached after `j` whole steps above `mi`, never beyond `ma`.
int levelAfterSteps(int mi, int ma, int j)
{
    if (mi + j > ma)
        return ma;
    return j >= 0 ? mi + j : mi;
}

// Whole steps in `counts` when `fullScale` counts are shared by the levels mi ... ma.
// With mi one above ma there are no levels to share (divisor 0) and no steps are taken;
// the same holds when the divisor is so large that a step would be under one count.
int stepsIn(int counts, int fullScale, int mi, int ma)
{
    const int divisor = ma - mi + 1;
    const int step = divisor != 0 ? fullScale / divisor : 0;
    return step != 0 ? counts / step : 0;
}

}  // namespace

double dynamic_k(double x, int c)
{
    const double a = std::abs(c);
    return 1.2 + 0.05 * a + 0.15 * a * (1 - x) * (1 - x) - 0.04 * a * std::pow(x, 1.5);
}

double dynamic_k_for_negative(double x, int c)
{
    const double a = std::abs(c);
    return 1 + 0.04 * a + 0.2 * a * x * x * (1 - x);
}

void compute(const Inputs& in, Result& out)
{
    double minValue = in.minValue;
    double maxValue = in.maxValue;
    const double rawMax = maxValue;
    if (in.pitchBendMode) {
        minValue /= kPitchBendFactor;
        maxValue /= kPitchBendFactor;
    }

    out.sampleCount = kSampleCount;
    out.xData.resize(kSampleCount);
    out.yData.resize(kSampleCount);
    double* const xs = out.xData.data();
    double* const ys = out.yData.data();
    for (int i = 0; i < kSampleCount; ++i)
        xs[i] = double(i) / (kSampleCount - 1);

    // The gain is taken in single precision.
    const double gain = static_cast<float>(in.gainValue);
    const double g = gain > 0 ? 1 + gain / 50 : 1 + gain / 100;

    // Reach point: where the gained straight line meets the maximum. The reverse reach
    // point serves inverted ranges (minimum above maximum).
    double reach = 1.0;
    double reverseReach = 1.0;
    bool reachFound = false;
    bool reverseFound = !(minValue > maxValue);
    for (int i = 0; i < kSampleCount && !(reachFound && reverseFound); ++i) {
        const double y = (minValue + (maxValue - minValue) * xs[i]) * g;
        if (!reachFound && ((minValue < maxValue && y >= maxValue) || (maxValue < minValue && y <= maxValue))) {
            reach = xs[i];
            reachFound = true;
        }
        if (!reverseFound && minValue >= y) {
            reverseReach = xs[i];
            reverseFound = true;
        }
    }
    out.reachPercent = static_cast<int>(100 * reach);

    if (maxValue > 127)
        maxValue /= kPitchBendFactor;

    const int mi = static_cast<int>(minValue);
    const int ma = static_cast<int>(maxValue);

    // Effective range. The 7-bit full scale is 4054, not 4095, so a low gain ends one
    // level below where the per-sample staircase (always 4095) ends.
    const int fullScale = rawMax > 127 ? kFullScale : kFullScaleSevenBit;
    int emin = mi;
    int emax = mi;
    if (mi != ma) {
        const int top = std::clamp(static_cast<int>(fullScale * g), 0, fullScale);
        emin = std::min(mi, ma);
        emax = levelAfterSteps(mi, ma, stepsIn(top, fullScale, mi, ma));
    }
    emin = std::clamp(emin, 0, 127);
    emax = std::clamp(emax, 0, 127);

    const int c = static_cast<int>(in.curveValue);
    for (int i = 0; i < kSampleCount; ++i) {
        const double x = xs[i];
        int level = mi;
        if (mi != ma) {
            const int reading = std::clamp(static_cast<int>(static_cast<float>(x * kFullScale * g)), 0, kFullScale);
            level = levelAfterSteps(mi, ma, stepsIn(reading, kFullScale, mi, ma));
        }

        double y;
        if (c == 0) {
            y = maxValue > minValue ? std::clamp(double(level), minValue, maxValue) : minValue;
        } else if (maxValue > minValue) {
            if (x <= reach) {
                // x_0 / 0 when the line starts beyond the maximum: NaN, repaired below.
                const double xn = x / reach;
                const double s = c > 0 ? 1 - std::pow(1 - xn, dynamic_k(xn, c))
                                       : std::pow(xn, dynamic_k_for_negative(xn, c));
                y = emin + s * (emax - emin);
                if (y > emax)
                    y = emax;
            } else {
                y = emax;
            }
        } else {
            y = x < reverseReach ? emin : std::max(double(emax), double(level));
        }
        ys[i] = y;
    }

    if (std::isnan(ys[0]))
        ys[0] = emin;
    const double end = std::isnan(ys[kSampleCount - 1]) ? emax : ys[kSampleCount - 1];

    const int mid = kSampleCount / 2;
    out.effectiveMin = emin;
    out.effectiveMax = emax;
    out.minAnchor = QPointF(xs[0], ys[0]);
    out.curveAnchor = QPointF(xs[mid], ys[mid]);
    out.maxAnchor = QPointF(1.0, std::min(maxValue, end));
    out.minValue = minValue;
    out.maxValue = maxValue;
    out.gainFactor = g;
}

Result compute(const Inputs& in)
{
    Result r;
    compute(in, r);
    return r;
}

}  // namespace CurveModel
