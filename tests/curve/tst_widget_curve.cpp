// The main window's side of the curve editors: building them from the page controls,
// writing dragged values back into those controls, and keeping page handlers from
// rebuilding an editor while its handle is dragged.
#include "app/widget.h"
#include "curve/mycustomplot.h"
#include "support/fake_device_enumerator.h"
#include "support/modal_watcher.h"
#include "support/window_fixture.h"

#include <QComboBox>
#include <QLayout>
#include <QLoggingCategory>
#include <QPointer>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTest>
#include <QWindow>

#include <memory>

namespace {

QStringList numbers(int from, int to)
{
    QStringList list;
    list.reserve(to - from + 1);
    for (int v = from; v <= to; ++v)
        list << QString::number(v);
    return list;
}

// One event's curve controls, by object name.
struct Controls
{
    const char* min;
    const char* max;
    const char* gain;
    const char* curve;
};

const Controls expressionControls[] = {
    {"expression_cc_comboBox_valmin", "expression_cc_comboBox_valmax", "expression_cc_comboBox_gain",
     "expression_cc_comboBox_ql"},
    {"expression_note_comboBox_valmin", "expression_note_comboBox_valmax", "expression_note_comboBox_gain",
     "expression_note_comboBox_ql"},
    {"expression_pitch_comboBox_valmin", "expression_pitch_comboBox_valmax", "expression_pitch_comboBox_gain",
     "expression_pitch_comboBox_ql"},
    {"expression_ch_comboBox_val1", "expression_ch_comboBox_val2", "expression_ch_comboBox_gain",
     "expression_ch_comboBox_ql"},
};
const Controls hatControls[] = {
    {"hat_cc_comboBox_valmin", "hat_cc_comboBox_valmax", "hat_cc_comboBox_gain", "hat_cc_comboBox_ql"},
    {"hat_note_comboBox_valmin", "hat_note_comboBox_valmax", "hat_note_comboBox_gain", "hat_note_comboBox_ql"},
};

const Controls& controlsOf(bool hat, int event)
{
    return hat ? hatControls[event] : expressionControls[event];
}

}  // namespace

class TestWidgetCurve : public QObject
{
    Q_OBJECT

private:
    FakeDeviceEnumerator devices;  // no real USB bus or serial ports
    std::unique_ptr<Widget> window;

    QComboBox* combo(const char* name) { return window->findChild<QComboBox*>(QString::fromLatin1(name)); }

    // Gives a list the entries the editor pages will hold; signals stay blocked so that
    // filling triggers no page handler.
    void fill(const char* name, const QStringList& items, int index)
    {
        QComboBox* box = combo(name);
        QVERIFY2(box, name);
        const QSignalBlocker blocker(box);
        if (box->count() != items.size()) {
            box->clear();
            box->addItems(items);
        }
        box->setCurrentIndex(index);
    }

    void setValues(const Controls& c, int min, int max, int gain, int curve)
    {
        QComboBox* boxes[] = {combo(c.min), combo(c.max), combo(c.gain), combo(c.curve)};
        const int values[] = {min, max, gain + 50, curve + 50};
        for (int i = 0; i < 4; ++i) {
            const QSignalBlocker blocker(boxes[i]);
            boxes[i]->setCurrentIndex(values[i]);
        }
    }

    void selectEvent(bool hat, int event)
    {
        QComboBox* box = combo(hat ? "hat_comboBox0" : "expression_comboBox0");
        const QSignalBlocker blocker(box);
        box->setCurrentIndex(event);
    }

    void showPedalPage(int type)
    {
        auto* stack = window->findChild<QStackedWidget*>(QStringLiteral("pedal_type_stack"));
        stack->setCurrentIndex(type);
        QComboBox* selector = combo("pendal_type_comboBox0");
        const QSignalBlocker blocker(selector);
        selector->setCurrentIndex(type);
    }

    MyCustomPlot* build(bool hat)
    {
        if (hat)
            window->curve_draw_hat();
        else
            window->curve_draw();
        return hat ? window->hatPlot : window->expressionPlot;
    }

    // Brings the editor into the scroll area's view and lays it out.
    void reveal(MyCustomPlot* plot)
    {
        window->findChild<QScrollArea*>(QStringLiteral("scrollArea"))->ensureWidgetVisible(plot, 0, 0);
        QCoreApplication::processEvents();
        plot->replot();
    }

    QPoint inWindow(MyCustomPlot* plot, QPointF p) { return plot->mapTo(window.get(), p.toPoint()); }
    void press(MyCustomPlot* plot, QPointF p)
    {
        QTest::mousePress(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, inWindow(plot, p));
    }
    void move(MyCustomPlot* plot, QPointF p) { QTest::mouseMove(window->windowHandle(), inWindow(plot, p)); }
    void release(MyCustomPlot* plot, QPointF p)
    {
        QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, inWindow(plot, p));
    }
    static QPointF centreOf(const QCPItemRect* h)
    {
        return (h->topLeft->pixelPosition() + h->bottomRight->pixelPosition()) / 2;
    }

    // Drags `handle` to `value` (7-bit) and returns the value the editor read there.
    double drag(MyCustomPlot* plot, QCPItemRect* handle, double value)
    {
        const QPointF start = centreOf(handle);
        const QPointF end(start.x(), qRound(plot->yAxis->coordToPixel(value)));
        press(plot, start);
        move(plot, end);
        release(plot, end);
        return qBound(0.0, plot->yAxis->pixelToCoord(end.y()), 127.0);
    }

private slots:
    void initTestCase()
    {
        applyApplicationLook();
    }

    void init()
    {
        window = std::make_unique<Widget>();
        window->setAdvancedControlsVisible(true);
        fill("pendal_type_comboBox0", {"Expression", "Switch", "Hi-Hat"}, 0);
        fill("expression_comboBox0", {"Continuous Controllers (CC)", "NOTE", "Pitch Bend", "Channel Pressure"}, 0);
        fill("hat_comboBox0", {"Continuous Controllers (CC)", "NOTE"}, 0);
        const QStringList values = numbers(0, 127);
        const QStringList signedValues = numbers(-50, 50);
        const QStringList pitchValues = numbers(0, 16383);
        for (bool hat : {false, true}) {
            for (int event = 0; event < (hat ? 2 : 4); ++event) {
                const Controls& c = controlsOf(hat, event);
                const bool pitch = !hat && event == 2;
                fill(c.min, pitch ? pitchValues : values, 0);
                fill(c.max, pitch ? pitchValues : values, pitch ? 16383 : 127);
                fill(c.gain, signedValues, 50);
                fill(c.curve, signedValues, 50);
            }
        }
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup() { window.reset(); }

    void buildReadsThePageControls_data()
    {
        QTest::addColumn<bool>("hat");
        QTest::addColumn<int>("event");
        QTest::addColumn<QVector<int>>("indexes");  // min, max, gain, curve as set in the controls
        QTest::addColumn<QVector<double>>("stored");  // min, max (7-bit), gain, curve in the editor
        QTest::addColumn<bool>("pitchBend");

        using I = QVector<int>;
        using D = QVector<double>;
        QTest::newRow("expression CC") << false << 0 << I{10, 100, 20, -5} << D{10, 100, 20, -5} << false;
        QTest::newRow("expression NOTE") << false << 1 << I{3, 90, -10, 7} << D{3, 90, -10, 7} << false;
        QTest::newRow("expression pitch bend") << false << 2 << I{1290, 12900, 0, 33} << D{10, 100, 0, 33} << true;
        QTest::newRow("expression channel pressure") << false << 3 << I{0, 64, 50, -50} << D{0, 64, 50, -50} << false;
        QTest::newRow("hi-hat CC") << true << 0 << I{12, 80, -50, 50} << D{12, 80, -50, 50} << false;
        QTest::newRow("hi-hat NOTE") << true << 1 << I{1, 2, 1, 1} << D{1, 2, 1, 1} << false;
    }

    void buildReadsThePageControls()
    {
        QFETCH(bool, hat);
        QFETCH(int, event);
        QFETCH(QVector<int>, indexes);
        QFETCH(QVector<double>, stored);
        QFETCH(bool, pitchBend);

        selectEvent(hat, event);
        setValues(controlsOf(hat, event), indexes[0], indexes[1], indexes[2], indexes[3]);
        MyCustomPlot* plot = build(hat);
        QVERIFY(plot);
        QWidget* container = window->findChild<QWidget*>(QString::fromLatin1(hat ? "widget_14" : "widget_13"));
        QCOMPARE(plot->parentWidget(), container);
        QCOMPARE(container->layout()->count(), 1);
        QCOMPARE(container->layout()->itemAt(0)->widget(), plot);

        QCOMPARE(plot->minValue, stored[0]);
        QCOMPARE(plot->maxValue, stored[1]);
        QCOMPARE(plot->gainValue, stored[2]);
        QCOMPARE(plot->curveValue, stored[3]);
        QCOMPARE(plot->pitchBendMode, pitchBend);
        QCOMPARE(plot->sampleCount, 500);
        QVERIFY(plot->minHandle && plot->maxHandle && plot->curveHandle);
        QCOMPARE(plot->axisRect()->margins(), QMargins());
        QVERIFY(plot->hasMouseTracking());
        QCOMPARE(plot->focusPolicy(), Qt::StrongFocus);
    }

    // Without an event to read the expression editor shows a fresh page.
    void buildWithoutEvent()
    {
        selectEvent(false, -1);
        MyCustomPlot* plot = build(false);
        QCOMPARE(plot->minValue, 0.0);
        QCOMPARE(plot->maxValue, 127.0);
        QCOMPARE(plot->gainValue, 0.0);
        QCOMPARE(plot->curveValue, 0.0);
        QVERIFY(!plot->pitchBendMode);
    }

    void rebuildReplacesTheEditor_data()
    {
        QTest::addColumn<bool>("hat");
        QTest::newRow("expression") << false;
        QTest::newRow("hi-hat") << true;
    }

    void rebuildReplacesTheEditor()
    {
        QFETCH(bool, hat);
        QPointer<MyCustomPlot> first = build(hat);
        QVERIFY(first);
        MyCustomPlot* second = build(hat);
        QVERIFY(!first);  // deleted with the old layout
        QWidget* container = second->parentWidget();
        QCOMPARE(container->findChildren<MyCustomPlot*>().size(), 1);
        QCOMPARE(container->layout()->count(), 1);
        QCOMPARE(container->layout()->contentsMargins(), QMargins());
    }

    void dragWritesIntoPageControls_data()
    {
        QTest::addColumn<bool>("hat");
        QTest::addColumn<int>("event");

        QTest::newRow("expression CC") << false << 0;
        QTest::newRow("expression NOTE") << false << 1;
        QTest::newRow("expression pitch bend") << false << 2;
        QTest::newRow("expression channel pressure") << false << 3;
        QTest::newRow("hi-hat CC") << true << 0;
        QTest::newRow("hi-hat NOTE") << true << 1;
    }

    void dragWritesIntoPageControls()
    {
        QFETCH(bool, hat);
        QFETCH(int, event);
        const bool pitch = !hat && event == 2;
        const int scale = pitch ? 129 : 1;
        const Controls& c = controlsOf(hat, event);

        showPedalPage(hat ? 2 : 0);
        selectEvent(hat, event);
        setValues(c, 10 * scale, 120 * scale, 0, 0);
        MyCustomPlot* plot = build(hat);
        if (pitch) {
            // The page handlers load the 14-bit values into the pitch-bend editor.
            plot->minValue = 10 * scale;
            plot->maxValue = 120 * scale;
            plot->updateGraphData();
        }
        reveal(plot);
        QVERIFY(plot->isVisible());
        ModalWatcher warnings(QStringLiteral("OK"));  // page rules must not object to a drag

        const double max = drag(plot, plot->maxHandle, 100);
        QCOMPARE(combo(c.max)->currentIndex(), int(max) * scale);
        QCOMPARE(combo(c.min)->currentIndex(), 10 * scale);
        QCOMPARE(combo(c.curve)->currentIndex(), 50);

        const double min = drag(plot, plot->minHandle, 30);
        QCOMPARE(combo(c.min)->currentIndex(), int(min) * scale);
        QCOMPARE(combo(c.max)->currentIndex(), int(max) * scale);

        drag(plot, plot->curveHandle, 140);  // above the top: curve +50
        QCOMPARE(combo(c.curve)->currentIndex(), 100);
        QCOMPARE(combo(c.gain)->currentIndex(), 50);  // the gain is never written
        QVERIFY(!window->handleMoving);
        QVERIFY2(!warnings.seen(), qPrintable(warnings.text()));
    }

    // A page handler rebuilds the editor on every change of its controls unless a handle
    // is being dragged. While the editor writes the dragged values, handleMoving is
    // already set, so the editor under the mouse survives; after release, changes
    // rebuild it again.
    void handleMovingHoldsOffRebuilds()
    {
        const Controls& c = controlsOf(false, 0);
        MyCustomPlot* plot = build(false);
        reveal(plot);

        QVector<bool> movingAtChange;
        int rebuilds = 0;
        for (const char* name : {c.min, c.max, c.curve}) {
            connect(combo(name), QOverload<int>::of(&QComboBox::currentIndexChanged), window.get(), [&](int) {
                movingAtChange << window->handleMoving;
                if (window->handleMoving)
                    return;
                window->curve_draw();
                ++rebuilds;
            });
        }

        QPointer<MyCustomPlot> dragged = plot;
        const QPointF start = centreOf(plot->maxHandle);
        press(plot, start);
        QVERIFY(!window->handleMoving);  // a press alone moves nothing
        for (double value : {110.0, 90.0, 70.0}) {
            move(plot, QPointF(start.x(), qRound(plot->yAxis->coordToPixel(value))));
            QVERIFY(dragged);
            QVERIFY(window->handleMoving);
        }
        QCOMPARE(movingAtChange.size(), 3);
        QVERIFY(!movingAtChange.contains(false));
        QCOMPARE(rebuilds, 0);
        QCOMPARE(window->expressionPlot, plot);

        release(plot, start);
        QVERIFY(!window->handleMoving);
        QVERIFY(dragged);

        ModalWatcher warnings(QStringLiteral("OK"));
        combo(c.max)->setCurrentIndex(100);
        QVERIFY2(!warnings.seen(), qPrintable(warnings.text()));
        QCOMPARE(rebuilds, 1);
        QVERIFY(!dragged);
        QVERIFY(window->expressionPlot);
    }

    void updateCustomPlotDataLoadsTheShownPage_data()
    {
        QTest::addColumn<bool>("built");
        QTest::addColumn<int>("pedalType");
        QTest::addColumn<int>("event");
        QTest::addColumn<bool>("expressionChanges");
        QTest::addColumn<bool>("hatChanges");

        QTest::newRow("not built yet") << false << 0 << 0 << false << false;
        QTest::newRow("expression CC") << true << 0 << 0 << true << false;
        QTest::newRow("expression pitch bend") << true << 0 << 2 << true << false;
        QTest::newRow("switch pedal") << true << 1 << 0 << false << false;
        QTest::newRow("hi-hat NOTE") << true << 2 << 1 << false << true;
    }

    void updateCustomPlotDataLoadsTheShownPage()
    {
        QFETCH(bool, built);
        QFETCH(int, pedalType);
        QFETCH(int, event);
        QFETCH(bool, expressionChanges);
        QFETCH(bool, hatChanges);

        const bool hat = pedalType == 2;
        selectEvent(hat, event);
        MyCustomPlot* expression = build(false);
        MyCustomPlot* hatPlot = build(true);
        const double expressionMaxBefore = expression->maxValue;
        const double hatMaxBefore = hatPlot->maxValue;

        const int scale = !hat && event == 2 ? 129 : 1;
        setValues(controlsOf(hat, event), 20 * scale, 90 * scale, 25, -40);
        showPedalPage(pedalType);
        window->expressionPlotBuilt = built;
        window->updateCustomPlotData();

        MyCustomPlot* changed = hat ? hatPlot : expression;
        if (expressionChanges || hatChanges) {
            QCOMPARE(changed->minValue, 20.0);
            QCOMPARE(changed->maxValue, 90.0);
            QCOMPARE(changed->gainValue, 25.0);
            QCOMPARE(changed->curveValue, -40.0);
        }
        if (!expressionChanges)
            QCOMPARE(expression->maxValue, expressionMaxBefore);
        if (!hatChanges)
            QCOMPARE(hatPlot->maxValue, hatMaxBefore);
    }

    // While a handle of the expression editor is held, the editor is not reloaded.
    void updateCustomPlotDataWaitsForTheDrag()
    {
        MyCustomPlot* plot = build(false);
        window->expressionPlotBuilt = true;
        setValues(controlsOf(false, 0), 20, 90, 0, 0);
        plot->draggingCurve = true;
        window->updateCustomPlotData();
        QCOMPARE(plot->maxValue, 127.0);
        plot->draggingCurve = false;
        window->updateCustomPlotData();
        QCOMPARE(plot->maxValue, 90.0);
    }

    void receivedValuesOutsideTheLists_data()
    {
        QTest::addColumn<bool>("hat");
        QTest::addColumn<int>("event");
        QTest::addColumn<QVector<int>>("signal");    // max, min, gain, cgain
        QTest::addColumn<QVector<int>>("expected");  // min, max, curve index afterwards

        using I = QVector<int>;
        // The lists start at min 10, max 120, curve index 50.
        QTest::newRow("expression in range") << false << 0 << I{100, 20, 0, 10} << I{20, 100, 60};
        QTest::newRow("expression curve beyond +50") << false << 0 << I{100, 20, 0, 51} << I{20, 100, 50};
        QTest::newRow("expression out-of-range marker") << false << 0 << I{-1, -1, -1, -51} << I{10, 120, 50};
        QTest::newRow("expression 14-bit values") << false << 2 << I{16383, 129, 0, 0} << I{129, 16383, 50};
        QTest::newRow("expression 128 on a 7-bit list") << false << 3 << I{128, 5, 0, 0} << I{5, 120, 50};
        QTest::newRow("hi-hat in range") << true << 1 << I{127, 0, 0, -50} << I{0, 127, 0};
        QTest::newRow("hi-hat above 127") << true << 0 << I{128, 200, 0, 60} << I{10, 120, 50};
        QTest::newRow("hi-hat below 0") << true << 0 << I{-1, -1, 0, -51} << I{10, 120, 50};
    }

    void receivedValuesOutsideTheLists()
    {
        QFETCH(bool, hat);
        QFETCH(int, event);
        QFETCH(QVector<int>, signal);
        QFETCH(QVector<int>, expected);
        const Controls& c = controlsOf(hat, event);
        selectEvent(hat, event);
        setValues(c, 10, 120, 0, 0);
        ModalWatcher warnings(QStringLiteral("OK"));

        if (hat)
            window->rec_max_min_gain_hat(signal[0], signal[1], signal[2], signal[3]);
        else
            window->rec_max_min_gain(signal[0], signal[1], signal[2], signal[3]);
        QCOMPARE(combo(c.min)->currentIndex(), expected[0]);
        QCOMPARE(combo(c.max)->currentIndex(), expected[1]);
        QCOMPARE(combo(c.curve)->currentIndex(), expected[2]);
        QVERIFY2(!warnings.seen(), qPrintable(warnings.text()));
    }

    // The corner positions only lead to a repaint of the curve area; with the area
    // hidden a diagnostic says so.
    void circleCornersNeedTheCurveArea()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("quillmar.editor.debug=true"));
        window->setAdvancedControlsVisible(false);
        QTest::ignoreMessage(QtDebugMsg, "widget_8 is not available or not visible.");
        window->drawCirclesOnWidget(QPoint(1, 2), QPoint(3, 4));

        window->setAdvancedControlsVisible(true);
        static QStringList logged;
        logged.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext&, const QString& text) { logged << text; });
        window->drawCirclesOnWidget(QPoint(1, 2), QPoint(3, 4));
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
        QCOMPARE(logged, QStringList());
    }
};

QTEST_MAIN(TestWidgetCurve)
#include "tst_widget_curve.moc"
