// The curve editor driven with real mouse events on the offscreen platform: which
// handle a press grabs, what a drag changes, what it refuses, and the signals in order.
#include "curve/mycustomplot.h"

#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <cmath>
#include <memory>

namespace {

// Records the editor's signals and QCustomPlot's own mouse signals (emitted by the
// base handlers) in the order they arrive.
class Recorder : public QObject
{
public:
    explicit Recorder(MyCustomPlot* plot)
    {
        connect(plot, &MyCustomPlot::circleCoordinatesUpdated, this,
                [this](QPoint, QPoint) { log << QStringLiteral("corners"); });
        connect(plot, &MyCustomPlot::crical_is_move, this,
                [this](bool f) { log << (f ? QStringLiteral("moving") : QStringLiteral("still")); });
        connect(plot, &MyCustomPlot::update_max_min_gain, this, [this](int max, int min, int gain, int cgain) {
            log << QStringLiteral("update");
            updates << QVector<int>{max, min, gain, cgain};
        });
        connect(plot, &QCustomPlot::mousePress, this, [this](QMouseEvent*) { log << QStringLiteral("base press"); });
        // Hover moves (no button) are not part of a drag; Qt also sends one before a
        // press at a new position.
        connect(plot, &QCustomPlot::mouseMove, this, [this](QMouseEvent* e) {
            if (e->buttons() != Qt::NoButton)
                log << QStringLiteral("base move");
        });
        connect(plot, &QCustomPlot::mouseRelease, this,
                [this](QMouseEvent*) { log << QStringLiteral("base release"); });
    }
    void clear()
    {
        log.clear();
        updates.clear();
    }
    QStringList log;
    QVector<QVector<int>> updates;  // max, min, gain, cgain
};

// An editor set up as the window sets it up, placed inside a larger top-level window so
// that a drag can leave the plot. With a plot `height` of 302 pixels one pixel row is
// half a unit of the 0 ... 151 vertical range.
struct Editor
{
    std::unique_ptr<QWidget> host;
    MyCustomPlot* plot = nullptr;

    bool open(double min, double max, double gain, double curve, bool pitchBend = false, QSize size = {400, 302})
    {
        host.reset(new QWidget);
        host->resize(size.width() + 100, size.height() + 100);
        plot = new MyCustomPlot(host.get());
        if (pitchBend)
            plot->drawLineGraph(min / 129, max / 129, gain, curve);
        else
            plot->drawLineGraph(min, max, gain, curve);
        plot->applyEditorAppearance();
        plot->setGeometry(QRect(QPoint(50, 50), size));
        if (pitchBend) {
            // As the page handlers do: 14-bit values and pitch-bend mode.
            plot->pitchBendMode = true;
            plot->minValue = min;
            plot->maxValue = max;
            plot->updateGraphData();
        }
        host->show();
        if (!QTest::qWaitForWindowExposed(host.get()))
            return false;
        plot->replot();  // lays the axis rect out on the plot's final size
        return plot->axisRect()->height() == size.height();
    }

    QWindow* window() const { return host->windowHandle(); }
    QPoint toWindow(QPoint p) const { return plot->mapTo(host.get(), p); }

    int rowOf(double value) const { return qRound(plot->yAxis->coordToPixel(value)); }
    double valueAt(int row) const { return plot->yAxis->pixelToCoord(row); }

    static QPointF centreOf(const QCPItemRect* h)
    {
        return (h->topLeft->pixelPosition() + h->bottomRight->pixelPosition()) / 2;
    }
    static double centreValueOf(const QCPItemRect* h)
    {
        return (h->topLeft->coords().y() + h->bottomRight->coords().y()) / 2;
    }

    void press(QPoint p) { QTest::mousePress(window(), Qt::LeftButton, Qt::NoModifier, toWindow(p)); }
    void move(QPoint p) { QTest::mouseMove(window(), toWindow(p)); }
    void release(QPoint p) { QTest::mouseRelease(window(), Qt::LeftButton, Qt::NoModifier, toWindow(p)); }

    // Press on the handle's centre, move to `row` in the handle's column.
    QPoint grabAndMove(const QCPItemRect* handle, int row)
    {
        const QPoint start = centreOf(handle).toPoint();
        press(start);
        const QPoint end(start.x(), row);
        move(end);
        return end;
    }

    QStringList labels() const
    {
        QStringList texts;
        for (int i = 0; i < plot->itemCount(); ++i) {
            if (auto* t = qobject_cast<QCPItemText*>(plot->item(i)))
                texts << t->text();
        }
        return texts;
    }
};

}  // namespace

class TestCurveEditor : public QObject
{
    Q_OBJECT

private slots:
    void drawnEditor();
    void containerShowsThrough();
    void valueLabels_data();
    void valueLabels();
    void curveHandleFollowsHeight_data();
    void curveHandleFollowsHeight();
    void minimumOntoMaximumIsAccepted();
    void crossingDragsAreRefused_data();
    void crossingDragsAreRefused();
    void pressAwayFromHandlesStartsNoDrag();
    void pressNearMinAndMaxGrabsMin();
    void signalsOfADrag();
    void pitchBendMaxDrag();
};

// What the window relies on after drawLineGraph: 500 samples on graph 0, three handles
// on the curve, the six labels, the 0 ... 151 vertical range.
void TestCurveEditor::drawnEditor()
{
    MyCustomPlot fresh;
    QVERIFY(!fresh.minHandle && !fresh.maxHandle && !fresh.curveHandle);
    QCOMPARE(fresh.sampleCount, 0);
    QVERIFY(!fresh.pitchBendMode);

    Editor e;
    QVERIFY(e.open(0, 127, 0, 50));
    MyCustomPlot* p = e.plot;
    QCOMPARE(p->graphCount(), 1);
    QCOMPARE(p->graph(0)->dataCount(), 500);
    QCOMPARE(p->sampleCount, 500);
    QCOMPARE(p->yAxis->range(), QCPRange(0, 151));
    QCOMPARE(p->xAxis->range(), QCPRange(0, 1));
    QVERIFY(!p->yAxis->grid()->visible());
    QVERIFY(p->xAxis->grid()->visible());

    // Each box stands on its anchor point of the curve.
    QCOMPARE(p->maxHandle->topLeft->coords(), QPointF(1.0, 127));
    QCOMPARE(p->maxHandle->bottomRight->coords(), QPointF(0.8, 127 + 12.7));
    QCOMPARE(p->minHandle->topLeft->coords(), QPointF(0, 0));
    QCOMPARE(p->minHandle->bottomRight->coords(), QPointF(0.2, 12.7));
    const QPointF mid(250 / 499.0, p->yData[250]);
    QCOMPARE(p->curveHandle->topLeft->coords(), QPointF(mid.x() - 0.1, mid.y()));
    QCOMPARE(p->curveHandle->bottomRight->coords(), QPointF(mid.x() + 0.1, mid.y() + 12.7));

    // Redrawing replaces the labels rather than adding to them.
    p->updateGraphData();
    p->updateGraphData();
    QCOMPARE(e.labels(), (QStringList{"MAX", "127", "MIN", "0", "Curve", "50"}));
    QCOMPARE(p->itemCount(), 3 + 6);
}

// The plot is transparent: where it draws nothing, its container's background shows.
void TestCurveEditor::containerShowsThrough()
{
    QWidget host;
    host.resize(320, 250);
    host.setAutoFillBackground(true);
    QPalette palette = host.palette();
    palette.setColor(QPalette::Window, Qt::white);
    host.setPalette(palette);
    auto* container = new QWidget(&host);
    container->setGeometry(10, 10, 300, 230);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));

    MyCustomPlot* plot = MyCustomPlot::rebuildIn(container, 0, 127, 0, 0);
    QCOMPARE(plot->parentWidget(), container);
    QCoreApplication::processEvents();
    plot->replot();
    const QImage image = host.grab().toImage();
    // Upper left: above the curve, away from handles, captions and grid lines.
    const QPoint blank = container->mapTo(&host, QPointF(plot->xAxis->coordToPixel(0.3),
                                                         plot->yAxis->coordToPixel(140)).toPoint());
    QCOMPARE(image.pixelColor(blank), QColor(Qt::white));
}

void TestCurveEditor::valueLabels_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("gain");
    QTest::addColumn<double>("curve");
    QTest::addColumn<bool>("pitchBend");
    QTest::addColumn<QStringList>("labels");

    QTest::newRow("7-bit") << 5.0 << 120.0 << 0.0 << -12.0 << false
                           << QStringList{"MAX", "120", "MIN", "5", "Curve", "-12"};
    QTest::newRow("low gain shows the effective maximum")
        << 0.0 << 127.0 << -50.0 << 0.0 << false << QStringList{"MAX", "65", "MIN", "0", "Curve", "0"};
    QTest::newRow("pitch bend full range")
        << 0.0 << 16383.0 << 0.0 << 0.0 << true << QStringList{"MAX", "16383", "MIN", "0", "Curve", "0"};
    // Only the maximum is shown in 14-bit units; the minimum stays 7-bit.
    QTest::newRow("pitch bend partial range")
        << 1290.0 << 12900.0 << 0.0 << 7.0 << true << QStringList{"MAX", "12900", "MIN", "10", "Curve", "7"};
}

void TestCurveEditor::valueLabels()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, gain);
    QFETCH(double, curve);
    QFETCH(bool, pitchBend);
    QFETCH(QStringList, labels);
    Editor e;
    QVERIFY(e.open(min, max, gain, curve, pitchBend));
    QCOMPARE(e.labels(), labels);
}

void TestCurveEditor::curveHandleFollowsHeight_data()
{
    QTest::addColumn<double>("target");  // value of the row the mouse is moved to
    QTest::addColumn<double>("curve");
    QTest::addColumn<int>("cgain");

    QTest::newRow("top of the curve range") << 127.0 << 50.0 << 50;
    QTest::newRow("above the range") << 145.0 << 50.0 << 50;
    QTest::newRow("below the plot") << -20.0 << -50.0 << -50;
    QTest::newRow("bottom") << 0.0 << -50.0 << -50;
    QTest::newRow("middle") << 63.5 << 0.0 << 0;
    QTest::newRow("a quarter up") << 31.5 << 31.5 * 100 / 127 - 50 << -25;
}

void TestCurveEditor::curveHandleFollowsHeight()
{
    QFETCH(double, target);
    QFETCH(double, curve);
    QFETCH(int, cgain);

    Editor e;
    QVERIFY(e.open(10, 120, 0, 0));
    Recorder rec(e.plot);
    const int row = e.rowOf(target);
    if (target >= 0 && target <= 127)
        QCOMPARE(e.valueAt(row), target);

    e.grabAndMove(e.plot->curveHandle, row);
    QVERIFY(e.plot->draggingCurve);
    QVERIFY2(std::abs(e.plot->curveValue - curve) < 1e-9, qPrintable(QString::number(e.plot->curveValue, 'g', 17)));
    QCOMPARE(rec.updates.size(), 1);
    QCOMPARE(rec.updates.first(), (QVector<int>{120, 10, 0, cgain}));
    QCOMPARE(e.labels().last(), QString::number(cgain));
    // Minimum and maximum are untouched by the Curve handle.
    QCOMPARE(e.plot->minValue, 10.0);
    QCOMPARE(e.plot->maxValue, 120.0);
}

// MIN dragged exactly onto the maximum is accepted and flattens the curve.
void TestCurveEditor::minimumOntoMaximumIsAccepted()
{
    Editor e;
    QVERIFY(e.open(0, 100, 0, 0));
    // The maximum is what the mouse handler reads at that row, to the last bit.
    const int row = e.rowOf(100);
    const double top = e.valueAt(row);
    e.plot->maxValue = top;
    e.plot->updateGraphData();

    Recorder rec(e.plot);
    e.grabAndMove(e.plot->minHandle, row);
    QCOMPARE(rec.updates.size(), 1);
    QVERIFY(e.plot->minValue == top);
    QCOMPARE(rec.updates.first(), (QVector<int>{100, 100, 0, 0}));
    for (double y : qAsConst(e.plot->yData))
        QVERIFY(y == top);

    // One row higher is above the maximum.
    e.move(QPoint(Editor::centreOf(e.plot->minHandle).toPoint().x(), row - 1));
    QCOMPARE(rec.updates.size(), 1);
    QVERIFY(e.plot->minValue == top);
    e.release(QPoint(0, row));
}

void TestCurveEditor::crossingDragsAreRefused_data()
{
    QTest::addColumn<bool>("dragMin");
    QTest::addColumn<double>("target");

    QTest::newRow("MIN half a unit above the maximum") << true << 80.5;
    QTest::newRow("MIN to the top") << true << 127.0;
    QTest::newRow("MAX half a unit below the minimum") << false << 39.5;
    QTest::newRow("MAX to the bottom") << false << 0.0;
}

// A drag past the other end is refused silently: the box follows the mouse, values,
// curve, labels and signals stay as they were.
void TestCurveEditor::crossingDragsAreRefused()
{
    QFETCH(bool, dragMin);
    QFETCH(double, target);

    Editor e;
    QVERIFY(e.open(40, 80, 10, 20));
    QCPItemRect* handle = dragMin ? e.plot->minHandle : e.plot->maxHandle;
    const QVector<double> before = e.plot->yData;
    const QStringList labelsBefore = e.labels();

    Recorder rec(e.plot);
    e.grabAndMove(handle, e.rowOf(target));

    QVERIFY(dragMin ? e.plot->draggingMin : e.plot->draggingMax);
    QCOMPARE(rec.log, QStringList{"base press"});  // neither signals nor the base move handler
    QCOMPARE(e.plot->minValue, 40.0);
    QCOMPARE(e.plot->maxValue, 80.0);
    QCOMPARE(e.plot->yData, before);
    QCOMPARE(e.labels(), labelsBefore);
    QVERIFY(std::abs(Editor::centreValueOf(handle) - target) < 1e-9);

    // The next acceptable position is taken again.
    const double back = dragMin ? 60.0 : 60.5;
    e.move(QPoint(Editor::centreOf(handle).toPoint().x(), e.rowOf(back)));
    QCOMPARE(dragMin ? e.plot->minValue : e.plot->maxValue, back);
    QCOMPARE(rec.updates.size(), 1);
}

void TestCurveEditor::pressAwayFromHandlesStartsNoDrag()
{
    Editor e;
    QVERIFY(e.open(0, 127, 0, 0));
    // Low in the right half: far from MIN (left), MAX (top right) and Curve (middle).
    const QPoint away(qRound(e.plot->xAxis->coordToPixel(0.7)), e.rowOf(5));
    for (const QCPItemRect* h : {e.plot->minHandle, e.plot->maxHandle, e.plot->curveHandle})
        QVERIFY(h->selectTest(away, false) > 10);
    // Exactly 10 pixels off is not near enough either: right of the MIN box's edge.
    const QPointF minRight = e.plot->minHandle->bottomRight->pixelPosition();
    const QPoint tenOff(qRound(minRight.x()) + 10, qRound(e.plot->minHandle->topLeft->pixelPosition().y()) - 5);

    for (const QPoint& at : {away, tenOff}) {
        Recorder rec(e.plot);
        e.press(at);
        QVERIFY(!e.plot->draggingMin && !e.plot->draggingMax && !e.plot->draggingCurve);
        e.move(at + QPoint(0, -60));
        e.move(at + QPoint(0, -120));
        e.release(at + QPoint(0, -120));
        QCOMPARE(rec.log, (QStringList{"base press", "base move", "base move", "base release", "still"}));
        QCOMPARE(e.plot->minValue, 0.0);
        QCOMPARE(e.plot->maxValue, 127.0);
        QCOMPARE(e.plot->curveValue, 0.0);
    }
}

// On a plot too narrow to tell them apart a press reaches MIN and MAX at once: MIN wins.
void TestCurveEditor::pressNearMinAndMaxGrabsMin()
{
    Editor e;
    QVERIFY(e.open(60, 70, 0, 0, false, QSize(30, 302)));
    const QPoint between(15, e.rowOf(71));  // level with both boxes
    const double toMin = e.plot->minHandle->selectTest(between, false);
    const double toMax = e.plot->maxHandle->selectTest(between, false);
    QVERIFY2(toMin < 10 && toMax < 10, qPrintable(QStringLiteral("%1 %2").arg(toMin).arg(toMax)));

    e.press(between);
    QVERIFY(e.plot->draggingMin);
    QVERIFY(!e.plot->draggingMax);
    QVERIFY(!e.plot->draggingCurve);
    e.move(QPoint(15, e.rowOf(50)));
    QCOMPARE(e.plot->minValue, 50.0);
    QCOMPARE(e.plot->maxValue, 70.0);
    e.release(QPoint(15, e.rowOf(50)));
}

// Per accepted move: corners, moving, values, moving again, then the base handler.
// After release the flags are clear and "still" comes after the base release handler.
void TestCurveEditor::signalsOfADrag()
{
    Editor e;
    QVERIFY(e.open(0, 127, 0, 0));
    QSignalSpy corners(e.plot, &MyCustomPlot::circleCoordinatesUpdated);
    Recorder rec(e.plot);

    const QPoint start = Editor::centreOf(e.plot->maxHandle).toPoint();
    e.press(start);
    QVERIFY(e.plot->draggingMax);
    e.move(QPoint(start.x(), e.rowOf(100)));
    e.move(QPoint(start.x(), e.rowOf(90)));
    e.release(QPoint(start.x(), e.rowOf(90)));

    const QStringList step{"corners", "moving", "update", "moving", "base move"};
    QCOMPARE(rec.log, (QStringList{"base press"} + step + step + QStringList{"base release", "still"}));
    QCOMPARE(rec.updates, (QVector<QVector<int>>{{100, 0, 0, 0}, {90, 0, 0, 0}}));
    QVERIFY(!e.plot->draggingMin && !e.plot->draggingMax && !e.plot->draggingCurve);

    // The corners are the pixel positions of the MIN and MAX boxes' top-left corners.
    const QList<QVariant> last = corners.last();
    QCOMPARE(last.at(0).toPoint(), e.plot->minHandle->topLeft->pixelPosition().toPoint());
    const QPointF maxCorner = e.plot->maxHandle->topLeft->pixelPosition();
    QCOMPARE(last.at(1).toPoint(), QPoint(int(maxCorner.x()), int(maxCorner.y())));
}

// In pitch-bend mode the drag works in 7-bit units and reports 14-bit values, cut to
// whole 7-bit levels: 100.6 leaves as 100 x 129.
void TestCurveEditor::pitchBendMaxDrag()
{
    Editor e;
    // 755 pixels: one row is a fifth of a unit.
    QVERIFY(e.open(1290, 16383, 0, 0, true, QSize(400, 755)));
    QCOMPARE(e.plot->minValue, 10.0);
    QCOMPARE(e.plot->maxValue, 127.0);
    const int row = e.rowOf(100.6);
    QVERIFY(std::abs(e.valueAt(row) - 100.6) < 1e-9);

    Recorder rec(e.plot);
    e.grabAndMove(e.plot->maxHandle, row);
    QVERIFY(std::abs(e.plot->maxValue - 100.6) < 1e-9);
    QCOMPARE(e.plot->minValue, 10.0);
    QCOMPARE(rec.updates, (QVector<QVector<int>>{{12900, 1290, 0, 0}}));
    QCOMPARE(e.labels().at(1), QStringLiteral("12900"));

    // The Curve handle keeps the range in 14-bit units as well.
    e.release(QPoint(0, row));
    rec.clear();
    e.grabAndMove(e.plot->curveHandle, e.rowOf(127));
    QCOMPARE(rec.updates, (QVector<QVector<int>>{{12900, 1290, 0, 50}}));
    QVERIFY(std::abs(e.plot->maxValue - 100.6) < 1e-9);
    e.release(QPoint(0, e.rowOf(127)));
}

QTEST_MAIN(TestCurveEditor)
#include "tst_curve_editor.moc"
