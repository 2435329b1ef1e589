// The response curve computed from minimum, maximum, gain and curve, against the
// reference values the editor's users see.
#include "curve/curve_model.h"

#include <QTest>

#include <cmath>

using CurveModel::Inputs;
using CurveModel::Result;

namespace {

Inputs inputs(double min, double max, double gain, double curve, bool pitchBend = false)
{
    Inputs in;
    in.minValue = min;
    in.maxValue = max;
    in.gainValue = gain;
    in.curveValue = curve;
    in.pitchBendMode = pitchBend;
    return in;
}

// Equal to the four decimals the reference values are given with.
bool sameTo4(double actual, double expected)
{
    return std::abs(actual - expected) <= 0.5e-4;
}

const int sampleIndexes[] = {0, 100, 250, 400, 499};

}  // namespace

class TestCurveModel : public QObject
{
    Q_OBJECT

private slots:
    void exponents_data();
    void exponents();
    void referenceCurves_data();
    void referenceCurves();
    void reachPercentFollowsGain_data();
    void reachPercentFollowsGain();
    void staircaseLevels();
    void rewritesInputsToSevenBit_data();
    void rewritesInputsToSevenBit();
    void degenerateRangesStayFinite_data();
    void degenerateRangesStayFinite();
    void minimumOneAboveMaximum();
};

void TestCurveModel::exponents_data()
{
    QTest::addColumn<bool>("negative");
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("c");
    QTest::addColumn<double>("expected");

    QTest::newRow("k(0, 50)") << false << 0.0 << 50 << 11.2;
    QTest::newRow("k(0.5, 50)") << false << 0.5 << 50 << 4.867893218813452;
    QTest::newRow("k(1, 50)") << false << 1.0 << 50 << 1.7;
    QTest::newRow("k(0.3, -50) uses |c|") << false << 0.3 << -50 << 1.2 + 2.5 + 7.5 * 0.49 - 2.0 * std::pow(0.3, 1.5);
    QTest::newRow("k(x, 0)") << false << 0.37 << 0 << 1.2;
    QTest::newRow("kneg(0.5, -50)") << true << 0.5 << -50 << 4.25;
    QTest::newRow("kneg(0.5, 50) uses |c|") << true << 0.5 << 50 << 4.25;
    QTest::newRow("kneg(x, 0)") << true << 0.81 << 0 << 1.0;
}

void TestCurveModel::exponents()
{
    QFETCH(bool, negative);
    QFETCH(double, x);
    QFETCH(int, c);
    QFETCH(double, expected);
    const double k = negative ? CurveModel::dynamic_k_for_negative(x, c) : CurveModel::dynamic_k(x, c);
    QVERIFY2(std::abs(k - expected) < 1e-9, qPrintable(QString::number(k, 'g', 12)));
}

void TestCurveModel::referenceCurves_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("gain");
    QTest::addColumn<double>("curve");
    QTest::addColumn<bool>("pitchBend");
    QTest::addColumn<QVector<double>>("samples");  // x_0, x_100, x_250, x_400, x_499
    QTest::addColumn<int>("reach");
    QTest::addColumn<int>("emin");
    QTest::addColumn<int>("emax");
    QTest::addColumn<double>("maxAnchor");

    using V = QVector<double>;
    QTest::newRow("0..127 straight") << 0.0 << 127.0 << 0.0 << 0.0 << false << V{0, 26, 66, 105, 127} << 100 << 0
                                     << 127 << 127.0;
    QTest::newRow("0..127 curve +50") << 0.0 << 127.0 << 0.0 << 50.0 << false
                                      << V{0, 107.2252, 122.6640, 124.9788, 127} << 100 << 0 << 127 << 127.0;
    QTest::newRow("0..127 curve -50") << 0.0 << 127.0 << 0.0 << -50.0 << false
                                      << V{0, 0.6100, 6.7200, 49.3454, 127} << 100 << 0 << 127 << 127.0;
    QTest::newRow("0..127 curve +1") << 0.0 << 127.0 << 0.0 << 1.0 << false
                                     << V{0, 32.9351, 74.5877, 109.5522, 127} << 100 << 0 << 127 << 127.0;
    QTest::newRow("0..127 curve -1") << 0.0 << 127.0 << 0.0 << -1.0 << false
                                     << V{0, 23.6209, 60.8300, 100.3397, 127} << 100 << 0 << 127 << 127.0;
    QTest::newRow("fractional curve truncates") << 0.0 << 127.0 << 0.0 << 1.9 << false
                                                << V{0, 32.9351, 74.5877, 109.5522, 127} << 100 << 0 << 127 << 127.0;
    QTest::newRow("0..127 gain +50") << 0.0 << 127.0 << 50.0 << 0.0 << false << V{0, 52, 127, 127, 127} << 50 << 0
                                     << 127 << 127.0;
    // The staircase ends at 66 (4095-count reading), the label at 65 (4054 counts).
    QTest::newRow("0..127 gain -50") << 0.0 << 127.0 << -50.0 << 0.0 << false << V{0, 13, 33, 52, 66} << 100 << 0
                                     << 65 << 66.0;
    QTest::newRow("0..127 gain -50 curve +50") << 0.0 << 127.0 << -50.0 << 50.0 << false
                                               << V{0, 54.8790, 62.7808, 63.9655, 65} << 100 << 0 << 65 << 65.0;
    QTest::newRow("0..127 gain -25 curve -20") << 0.0 << 127.0 << -25.0 << -20.0 << false
                                               << V{0, 4.4154, 19.9782, 58.8002, 98} << 100 << 0 << 98 << 98.0;
    QTest::newRow("20..100 gain +25 curve +10") << 20.0 << 100.0 << 25.0 << 10.0 << false
                                                << V{20, 69.0926, 94.8455, 100, 100} << 58 << 20 << 100 << 100.0;
    // The gained line starts beyond the maximum: R = 0, sample 0 is 0/0 and repaired.
    QTest::newRow("100..110 gain +50 curve +10") << 100.0 << 110.0 << 50.0 << 10.0 << false
                                                 << V{100, 110, 110, 110, 110} << 0 << 100 << 110 << 110.0;
    QTest::newRow("100..110 gain +50 curve -10") << 100.0 << 110.0 << 50.0 << -10.0 << false
                                                 << V{100, 110, 110, 110, 110} << 0 << 100 << 110 << 110.0;
    QTest::newRow("64..64 plain") << 64.0 << 64.0 << 0.0 << 0.0 << false << V{64, 64, 64, 64, 64} << 100 << 64 << 64
                                  << 64.0;
    QTest::newRow("64..64 gain +50 curve -50") << 64.0 << 64.0 << 50.0 << -50.0 << false << V{64, 64, 64, 64, 64}
                                               << 100 << 64 << 64 << 64.0;
    QTest::newRow("64..64 gain -50 curve +30") << 64.0 << 64.0 << -50.0 << 30.0 << false << V{64, 64, 64, 64, 64}
                                               << 100 << 64 << 64 << 64.0;
    QTest::newRow("pitch bend 0..16383") << 0.0 << 16383.0 << 0.0 << 0.0 << true << V{0, 26, 66, 105, 127} << 100
                                         << 0 << 127 << 127.0;
    QTest::newRow("pitch bend 0..16383 curve +50") << 0.0 << 16383.0 << 0.0 << 50.0 << true
                                                   << V{0, 107.2252, 122.6640, 124.9788, 127} << 100 << 0 << 127
                                                   << 127.0;
    // 14-bit ranges use the full 4095 counts for the effective maximum as well.
    QTest::newRow("pitch bend 0..16383 gain -50") << 0.0 << 16383.0 << -50.0 << 0.0 << true << V{0, 13, 33, 52, 66}
                                                  << 100 << 0 << 66 << 66.0;
}

void TestCurveModel::referenceCurves()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, gain);
    QFETCH(double, curve);
    QFETCH(bool, pitchBend);
    QFETCH(QVector<double>, samples);
    QFETCH(int, reach);
    QFETCH(int, emin);
    QFETCH(int, emax);
    QFETCH(double, maxAnchor);

    const Result r = CurveModel::compute(inputs(min, max, gain, curve, pitchBend));

    QCOMPARE(r.sampleCount, 500);
    QCOMPARE(r.xData.size(), 500);
    QCOMPARE(r.yData.size(), 500);
    for (int k = 0; k < 5; ++k) {
        const int i = sampleIndexes[k];
        QCOMPARE(r.xData[i], i / 499.0);
        QVERIFY2(sameTo4(r.yData[i], samples[k]),
                 qPrintable(QStringLiteral("y_%1 = %2, expected %3").arg(i).arg(r.yData[i], 0, 'f', 6).arg(samples[k])));
    }
    for (int i = 0; i < 500; ++i)
        QVERIFY2(std::isfinite(r.yData[i]), qPrintable(QStringLiteral("y_%1 not finite").arg(i)));

    QCOMPARE(r.reachPercent, reach);
    QCOMPARE(r.effectiveMin, emin);
    QCOMPARE(r.effectiveMax, emax);

    QCOMPARE(r.minAnchor, QPointF(0.0, r.yData[0]));
    QCOMPARE(r.curveAnchor, QPointF(250 / 499.0, r.yData[250]));
    QCOMPARE(r.maxAnchor.x(), 1.0);
    QVERIFY(sameTo4(r.maxAnchor.y(), maxAnchor));
}

void TestCurveModel::reachPercentFollowsGain_data()
{
    QTest::addColumn<double>("gain");
    QTest::addColumn<int>("reach");

    QTest::newRow("+50") << 50.0 << 50;
    QTest::newRow("+10") << 10.0 << 83;
    QTest::newRow("+1") << 1.0 << 98;
    QTest::newRow("0") << 0.0 << 100;
    QTest::newRow("-1") << -1.0 << 100;
    QTest::newRow("-50") << -50.0 << 100;
}

void TestCurveModel::reachPercentFollowsGain()
{
    QFETCH(double, gain);
    QFETCH(int, reach);
    QCOMPARE(CurveModel::compute(inputs(0, 127, gain, 0)).reachPercent, reach);
    // The curve bends the rise but does not move the reach point.
    QCOMPARE(CurveModel::compute(inputs(0, 127, gain, -30)).reachPercent, reach);
}

// Each level of the straight 0 ... 127 curve spans 31 counts of the 4095-count reading,
// so 127 is first reached at sample 480.
void TestCurveModel::staircaseLevels()
{
    const Result r = CurveModel::compute(inputs(0, 127, 0, 0));
    QCOMPARE(r.yData[479], 126.0);
    QCOMPARE(r.yData[480], 127.0);
    QVERIFY(sameTo4(r.xData[480], 0.96192));
    for (int i = 0; i < 500; ++i) {
        QCOMPARE(r.yData[i], std::floor(r.yData[i]));
        if (i > 0)
            QVERIFY(r.yData[i] >= r.yData[i - 1]);
    }
}

void TestCurveModel::rewritesInputsToSevenBit_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<bool>("pitchBend");
    QTest::addColumn<double>("minAfter");
    QTest::addColumn<double>("maxAfter");

    QTest::newRow("7-bit unchanged") << 10.0 << 90.0 << false << 10.0 << 90.0;
    QTest::newRow("pitch bend both") << 1290.0 << 12977.4 << true << 10.0 << 100.6;
    QTest::newRow("maximum above 127 outside pitch bend") << 10.0 << 12900.0 << false << 10.0 << 100.0;
}

void TestCurveModel::rewritesInputsToSevenBit()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(bool, pitchBend);
    QFETCH(double, minAfter);
    QFETCH(double, maxAfter);
    const Result r = CurveModel::compute(inputs(min, max, 0, 0, pitchBend));
    QVERIFY(std::abs(r.minValue - minAfter) < 1e-9);
    QVERIFY(std::abs(r.maxValue - maxAfter) < 1e-9);
}

// Ranges the editor never drags to but that loaded values can hold.
void TestCurveModel::degenerateRangesStayFinite_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<bool>("pitchBend");

    QTest::newRow("minimum one above maximum") << 65.0 << 64.0 << false;
    QTest::newRow("1 above 0") << 1.0 << 0.0 << false;
    QTest::newRow("127 above 126") << 127.0 << 126.0 << false;
    QTest::newRow("pitch bend, one 7-bit level apart") << 8385.0 << 8256.0 << true;
    QTest::newRow("inverted range") << 100.0 << 20.0 << false;
    QTest::newRow("inverted full range") << 127.0 << 0.0 << false;
    // A 14-bit minimum outside pitch-bend mode makes the step shorter than a count.
    QTest::newRow("14-bit minimum, 7-bit mode") << 16383.0 << 127.0 << false;
}

void TestCurveModel::degenerateRangesStayFinite()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(bool, pitchBend);
    for (double gain : {-50.0, -7.0, 0.0, 13.0, 50.0}) {
        for (double curve : {-50.0, -1.0, 0.0, 1.0, 50.0}) {
            const Result r = CurveModel::compute(inputs(min, max, gain, curve, pitchBend));
            const QByteArray where = QStringLiteral("gain %1 curve %2").arg(gain).arg(curve).toLatin1();
            QCOMPARE(r.sampleCount, 500);
            for (double y : r.yData)
                QVERIFY2(std::isfinite(y), where.constData());
            QVERIFY2(std::isfinite(r.maxAnchor.y()) && std::isfinite(r.curveAnchor.y()), where.constData());
            QVERIFY2(r.effectiveMin >= 0 && r.effectiveMin <= 127, where.constData());
            QVERIFY2(r.effectiveMax >= 0 && r.effectiveMax <= 127, where.constData());
            QVERIFY2(r.reachPercent >= 0 && r.reachPercent <= 100, where.constData());
        }
    }
}

// One level apart the other way round there are no steps to share the reading: the
// levels stay at the maximum, and a straight curve is the flat line at the minimum.
void TestCurveModel::minimumOneAboveMaximum()
{
    const Result straight = CurveModel::compute(inputs(65, 64, 0, 0));
    QCOMPARE(straight.effectiveMin, 64);
    QCOMPARE(straight.effectiveMax, 64);
    for (double y : straight.yData)
        QCOMPARE(y, 65.0);

    const Result bent = CurveModel::compute(inputs(65, 64, 0, 20));
    for (double y : bent.yData)
        QCOMPARE(y, 64.0);
}

QTEST_APPLESS_MAIN(TestCurveModel)
#include "tst_curve_model.moc"
