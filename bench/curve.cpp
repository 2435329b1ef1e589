// Speed of the response curve: the model alone, one drag step of the editor, and the
// rebuild the window does on every value change. Runs on the offscreen platform unless
// another one is chosen.
#include "curve/curve_model.h"
#include "curve/mycustomplot.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

int met = 0;
int total = 0;

void report(const char* metric, double value, const char* unit, double limit)
{
    ++total;
    if (value <= limit)
        ++met;
    std::printf("%s: %.2f %s (target <= %g %s)\n", metric, value, unit, limit, unit);
}

// Inputs as a drag and the pages produce them: fractional curve values, all gains,
// 7-bit and 14-bit ranges.
std::vector<CurveModel::Inputs> sampleInputs()
{
    std::vector<CurveModel::Inputs> list;
    for (int k = 0; k < 64; ++k) {
        CurveModel::Inputs in;
        in.pitchBendMode = k % 4 == 3;
        const double scale = in.pitchBendMode ? 129 : 1;
        in.minValue = (k % 5) * 7 * scale;
        in.maxValue = (127 - (k % 3) * 11) * scale;
        in.gainValue = (k * 13) % 101 - 50;
        in.curveValue = (k * 37 % 1000) / 10.0 - 50;
        list.push_back(in);
    }
    return list;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QElapsedTimer clock;

    // The model alone.
    {
        const std::vector<CurveModel::Inputs> inputs = sampleInputs();
        CurveModel::Result result;
        std::vector<double> us;
        double sink = 0;
        for (int run = 0; run < 20000; ++run) {
            const CurveModel::Inputs& in = inputs[run % inputs.size()];
            clock.start();
            CurveModel::compute(in, result);
            const qint64 ns = clock.nsecsElapsed();
            sink += result.yData[250];
            if (run >= 1000)  // warm-up
                us.push_back(ns / 1000.0);
        }
        report("curve model median", median(us), "us", 50);
        if (sink == 42)  // keeps the computation from being optimised away
            std::puts("");
    }

    // An editor as large as in the main window.
    QWidget container;
    container.setFixedSize(300, 230);
    container.show();
    for (int i = 0; i < 100 && !(container.windowHandle() && container.windowHandle()->isExposed()); ++i)
        settle();
    MyCustomPlot* plot = MyCustomPlot::rebuildIn(&container, 0, 127, 0, 0);
    settle();

    // One drag step as the issue counts it: recompute, then replot.
    {
        std::vector<double> ms;
        for (int step = 0; step < 600; ++step) {
            plot->curveValue = (step % 200) / 2.0 - 50;
            plot->minValue = 0;
            plot->maxValue = 127;
            clock.start();
            plot->updateGraphData();
            plot->replot();
            ms.push_back(clock.nsecsElapsed() / 1e6);
            settle();  // the queued replot requested by updateGraphData, outside the timing
        }
        report("drag step median (updateGraphData + replot, 300x230)", median(ms), "ms", 4);
    }

    // The whole mouse move of a Curve drag: handler, signals, its replot, then the queued
    // replot and the paint that follow in the event loop.
    {
        std::vector<double> ms;
        const int x = qRound(plot->xAxis->coordToPixel(0.5));
        for (int step = 0; step < 600; ++step) {
            plot->draggingCurve = true;
            const int row = qRound(plot->yAxis->coordToPixel((step * 7) % 128));
            QMouseEvent move(QEvent::MouseMove, QPointF(x, row), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            clock.start();
            QApplication::sendEvent(plot, &move);
            settle();
            ms.push_back(clock.nsecsElapsed() / 1e6);
        }
        plot->draggingCurve = false;
        report("drag step median (mouse move with queued replot and paint)", median(ms), "ms", 4);
    }

    // The window rebuilds the editor on every value change; this is not done while dragging.
    {
        std::vector<double> ms;
        for (int run = 0; run < 150; ++run) {
            clock.start();
            plot = MyCustomPlot::rebuildIn(&container, run % 20, 127, run % 101 - 50, 0);
            settle();
            ms.push_back(clock.nsecsElapsed() / 1e6);
        }
        report("editor rebuild median (delete, build, draw, lay out, paint)", median(ms), "ms", 16);
    }

    std::printf("bench curve: %d of %d targets met\n", met, total);
    return 0;
}
