#pragma once

#include <QPointF>
#include <QVector>

// The response curve of an expression-type message: pedal travel 0 (released) to 1
// (fully pressed) against output value 0 ... 127, computed from a simulated 12-bit
// pedal reading. No widgets; MyCustomPlot draws what this returns.
namespace CurveModel {

constexpr int kSampleCount = 500;
constexpr double kPitchBendFactor = 129.0;  // 14-bit pitch bend <-> 7-bit (16383 / 129 = 127)

// Exponent of the bend for positive curve values.
double dynamic_k(double x, int c);
// Exponent of the bend for negative curve values.
double dynamic_k_for_negative(double x, int c);

struct Inputs
{
    double minValue = 0;  // 14-bit on entry in pitch-bend mode, else 0 ... 127
    double maxValue = 0;
    double gainValue = 0;   // -50 ... +50
    double curveValue = 0;  // -50 ... +50, fractional while the Curve handle is dragged
    bool pitchBendMode = false;
};

struct Result
{
    int sampleCount = 0;
    QVector<double> xData;
    QVector<double> yData;
    int effectiveMin = 0;  // Emin, shown on the MIN handle
    int effectiveMax = 0;  // Emax, shown on the MAX handle
    QPointF minAnchor;
    QPointF curveAnchor;
    QPointF maxAnchor;
    int reachPercent = 0;  // travel in percent at which the gained line reaches the maximum
    // The inputs as the computation leaves them: minimum and maximum in 7-bit units.
    double minValue = 0;
    double maxValue = 0;
    double gainFactor = 1;
};

// Fills `out`, reusing its vectors, so a drag does not allocate on every step.
void compute(const Inputs& in, Result& out);
Result compute(const Inputs& in);

}  // namespace CurveModel
