// The pedal pictures of the live monitor: how they are built, the angles the play
// operations give for a value and the editor's range, the switch animations, and
// fitting the scenes into their views on show, resize and page change.
#include "app/widget.h"
#include "support/fake_device_enumerator.h"
#include "upgrade/download_server.h"
#include "support/window_fixture.h"

#include "monitor_probe.h"

#include <QComboBox>
#include <QPointer>
#include <QPropertyAnimation>
#include <QSignalBlocker>
#include <QStandardItem>
#include <QTest>
#include <QVector3D>

#include <cmath>
#include <memory>

using namespace MonitorProbe;

using Indexes = QList<QPair<QString, int>>; // (combo box, index), set without notifying
Q_DECLARE_METATYPE(Indexes)

namespace {

constexpr double unchanged = 1000; // expected angle: the play call changes nothing
constexpr double sentinel = 42;

bool near(double actual, double expected)
{
    return std::abs(actual - expected) < 1e-3;
}

} // namespace

class TestPedalViews : public QObject
{
    Q_OBJECT

private:
    FakeDeviceEnumerator bus;
    std::unique_ptr<Widget> window;
    QString windowFor; // the test function the window was made for

    QComboBox* box(const QString& name) { return window->findChild<QComboBox*>(name); }

    void setQuietly(const Indexes& indexes)
    {
        for (const auto& entry : indexes) {
            QComboBox* b = box(entry.first);
            QVERIFY2(b, qPrintable(entry.first));
            const QSignalBlocker quiet(b);
            b->setCurrentIndex(entry.second);
            QCOMPARE(b->currentIndex(), entry.second);
        }
    }

    QPropertyAnimation* runningSwitchAnimation()
    {
        QPropertyAnimation* found = nullptr;
        const QList<QPropertyAnimation*> all = switchRotation(window.get())->findChildren<QPropertyAnimation*>();
        for (QPropertyAnimation* a : all) {
            if (a->state() == QAbstractAnimation::Running) {
                if (found)
                    return nullptr; // more than one
                found = a;
            }
        }
        return found;
    }

    // The scene rectangle drawn inside the viewport, filling it in one direction.
    static bool fits(QGraphicsView* view)
    {
        const QRectF shown = view->mapFromScene(view->sceneRect()).boundingRect();
        const QRect port = view->viewport()->rect();
        if (port.width() < 10 || port.height() < 10)
            return false;
        const double fill = std::max(shown.width() / port.width(), shown.height() / port.height());
        return fill > 0.97 && fill < 1.01 && shown.left() >= -1 && shown.right() <= port.width() + 1
               && shown.top() >= -1 && shown.bottom() <= port.height() + 1;
    }

private slots:
    void initTestCase()
    {
        applyApplicationLook();
        // Update and firmware checks go nowhere: nothing on this port answers.
        DownloadServer::setBaseAddressForTesting(QStringLiteral("https://127.0.0.1:9"));
    }

    // A fresh window per test function; the rows of a data-driven test share it and
    // each row sets every control it depends on.
    void init()
    {
        if (window && windowFor == QLatin1String(QTest::currentTestFunction()))
            return;
        window = std::make_unique<Widget>();
        windowFor = QLatin1String(QTest::currentTestFunction());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup()
    {
        if (QTest::currentTestFailed())
            window.reset();
    }

    void cleanupTestCase() { window.reset(); }

    void scenesAreBuilt_data()
    {
        QTest::addColumn<QString>("container");
        QTest::addColumn<double>("top");
        QTest::addColumn<QSizeF>("pedalSize");
        QTest::addColumn<QPointF>("pedalPos");
        QTest::addColumn<double>("angle");
        QTest::newRow("expression") << "widget_4" << -48.9 << QSizeF(328, 130) << QPointF(-164, -25) << 0.0;
        QTest::newRow("switch") << "widget_5" << -35.86 << QSizeF(217, 68) << QPointF(-63.5, -20) << 0.0;
        QTest::newRow("hi-hat") << "widget_7" << -32.6 << QSizeF(360, 138) << QPointF(-180, -33) << 3.0;
    }
    void scenesAreBuilt()
    {
        QFETCH(QString, container);
        QFETCH(double, top);
        QFETCH(QSizeF, pedalSize);
        QFETCH(QPointF, pedalPos);
        QFETCH(double, angle);

        QGraphicsView* v = view(window.get(), qPrintable(container));
        QVERIFY(v);
        QCOMPARE(v->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(v->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(near(v->sceneRect().top(), top));
        QCOMPARE(v->sceneRect().left(), -205.0);
        QCOMPARE(v->sceneRect().size(), QSizeF(410, 163));
        QCOMPARE(v->scene()->backgroundBrush().color(), QColor(190, 190, 190, 128));

        // The base (a plain pixmap item, 328 x 130, centred) is drawn over the pedal.
        QGraphicsPixmapItem* base = nullptr;
        MyPixmapItem* moving = pedal(window.get(), qPrintable(container));
        const QList<QGraphicsItem*> items = v->scene()->items();
        for (QGraphicsItem* item : items) {
            auto* pixmapItem = dynamic_cast<QGraphicsPixmapItem*>(item);
            if (pixmapItem && pixmapItem != moving)
                base = pixmapItem;
        }
        QVERIFY(base && moving);
        QCOMPARE(items.size(), 2);
        QCOMPARE(base->pixmap().size(), QSize(328, 130));
        QCOMPARE(base->pos(), QPointF(-164, 0));
        QVERIFY(base->zValue() > moving->zValue());
        QCOMPARE(QSizeF(moving->pixmap().size()), pedalSize);
        QCOMPARE(moving->pos(), pedalPos);
        QCOMPARE(moving->rotation(), angle);
    }

    // The switch plate turns about its centre: the centre stays where it is at any angle.
    void switchHingesAtItsCentre()
    {
        MyPixmapItem* plate = switchPedal(window.get());
        QGraphicsRotation* rotation = switchRotation(window.get());
        QCOMPARE(rotation->axis(), QVector3D(0, 0, 1));
        const QPointF centre = plate->mapToScene(plate->boundingRect().center());
        const QPointF corner = plate->mapToScene(plate->boundingRect().topLeft());
        rotation->setAngle(8);
        QVERIFY(near(plate->mapToScene(plate->boundingRect().center()).x(), centre.x()));
        QVERIFY(near(plate->mapToScene(plate->boundingRect().center()).y(), centre.y()));
        QVERIFY(!near(plate->mapToScene(plate->boundingRect().topLeft()).y(), corner.y()));
    }

    void expressionAngles_data()
    {
        QTest::addColumn<int>("event");
        QTest::addColumn<Indexes>("ranges");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("angle");

        const Indexes cc = {{"expression_cc_comboBox_valmin", 0}, {"expression_cc_comboBox_valmax", 127}};
        QTest::newRow("CC 0 released") << 0 << cc << "0" << 15.0;
        QTest::newRow("CC 127 pressed") << 0 << cc << "127" << 0.0;
        QTest::newRow("CC 64") << 0 << cc << "64" << 7.44094;
        QTest::newRow("above the range") << 0 << cc << "300" << 0.0;
        QTest::newRow("below a raised range")
            << 0 << Indexes{{"expression_cc_comboBox_valmin", 20}, {"expression_cc_comboBox_valmax", 100}} << "5"
            << 15.0;
        QTest::newRow("inside a raised range")
            << 0 << Indexes{{"expression_cc_comboBox_valmin", 20}, {"expression_cc_comboBox_valmax", 100}} << "60"
            << 7.5;
        QTest::newRow("range given upside down")
            << 0 << Indexes{{"expression_cc_comboBox_valmin", 100}, {"expression_cc_comboBox_valmax", 20}} << "40"
            << 11.25;
        QTest::newRow("placeholder counts as 0") << 0 << cc << "--" << 15.0;
        QTest::newRow("note and name count as 0") << 0 << cc << "60/C3" << 15.0;
        QTest::newRow("equal bounds change nothing")
            << 0 << Indexes{{"expression_cc_comboBox_valmin", 50}, {"expression_cc_comboBox_valmax", 50}} << "10"
            << unchanged;
        QTest::newRow("NOTE reads its own range")
            << 1 << Indexes{{"expression_note_comboBox_valmin", 0}, {"expression_note_comboBox_valmax", 100},
                            {"expression_cc_comboBox_valmin", 50}, {"expression_cc_comboBox_valmax", 50}}
            << "25" << 11.25;
        QTest::newRow("Pitch Bend centre")
            << 2 << Indexes{{"expression_pitch_comboBox_valmin", 0}, {"expression_pitch_comboBox_valmax", 16383}}
            << "8192" << 7.49954;
        QTest::newRow("Channel Pressure")
            << 3 << Indexes{{"expression_ch_comboBox_val1", 0}, {"expression_ch_comboBox_val2", 80}} << "20"
            << 11.25;
        QTest::newRow("Channel Pressure, equal bounds")
            << 3 << Indexes{{"expression_ch_comboBox_val1", 30}, {"expression_ch_comboBox_val2", 30}} << "20"
            << unchanged;
    }
    void expressionAngles()
    {
        QFETCH(int, event);
        QFETCH(Indexes, ranges);
        QFETCH(QString, text);
        QFETCH(double, angle);

        box("expression_comboBox0")->setCurrentIndex(event);
        setQuietly(ranges);
        MyPixmapItem* item = expressionPedal(window.get());
        item->setRotation(sentinel);
        QStandardItem value(text);
        window->pedal_play_ex(&value);
        QVERIFY2(near(item->rotation(), angle == unchanged ? sentinel : angle),
                 qPrintable(QString::number(item->rotation(), 'f', 5)));
        if (angle != unchanged) {
            const QRectF b = item->boundingRect();
            QCOMPARE(item->transformOriginPoint(), QPointF(0.65 * b.width(), 0.5 * b.height()));
        }
        window->pedal_play_ex(nullptr); // ignored
    }

    void hiHatAngles_data()
    {
        QTest::addColumn<int>("event");
        QTest::addColumn<Indexes>("ranges");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("angle");

        const Indexes cc = {{"hat_cc_comboBox_valmin", 0}, {"hat_cc_comboBox_valmax", 127}};
        QTest::newRow("rest at 0") << 0 << cc << "0" << 3.0;
        QTest::newRow("placeholder rests") << 0 << cc << "--" << 3.0;
        QTest::newRow("1") << 0 << cc << "1" << -0.03937;
        QTest::newRow("127 closed") << 0 << cc << "127" << -5.0;
        QTest::newRow("inside a raised range")
            << 0 << Indexes{{"hat_cc_comboBox_valmin", 20}, {"hat_cc_comboBox_valmax", 100}} << "60" << -2.5;
        QTest::newRow("above a range is not limited")
            << 0 << Indexes{{"hat_cc_comboBox_valmin", 20}, {"hat_cc_comboBox_valmax", 100}} << "120" << -6.25;
        QTest::newRow("equal bounds change nothing")
            << 0 << Indexes{{"hat_cc_comboBox_valmin", 40}, {"hat_cc_comboBox_valmax", 40}} << "0" << unchanged;
        QTest::newRow("NOTE reads its own range")
            << 1 << Indexes{{"hat_note_comboBox_valmin", 0}, {"hat_note_comboBox_valmax", 100},
                            {"hat_cc_comboBox_valmin", 40}, {"hat_cc_comboBox_valmax", 40}}
            << "50" << -2.5;
    }
    void hiHatAngles()
    {
        QFETCH(int, event);
        QFETCH(Indexes, ranges);
        QFETCH(QString, text);
        QFETCH(double, angle);

        box("hat_comboBox0")->setCurrentIndex(event);
        setQuietly(ranges);
        MyPixmapItem* item = hiHatPedal(window.get());
        item->setRotation(sentinel);
        QStandardItem value(text);
        window->pedal_play_ht(&value);
        QVERIFY2(near(item->rotation(), angle == unchanged ? sentinel : angle),
                 qPrintable(QString::number(item->rotation(), 'f', 5)));
        const QRectF b = item->boundingRect();
        QCOMPARE(item->transformOriginPoint(), QPointF(0.88 * b.width(), 0.8 * b.height()));
    }

    void switchAnimations_data()
    {
        QTest::addColumn<int>("event");
        QTest::addColumn<int>("mode");
        QTest::addColumn<Indexes>("ranges");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<int>("duration");

        const Indexes cc = {{"switch_cc_comboBox_valmin", 0}, {"switch_cc_comboBox_valmax", 127}};
        // Mode index 2 follows the value; from = the angle the rotation has before.
        QTest::newRow("mode 2, 127") << 0 << 2 << cc << "127" << 3.0 << 8.0 << 150;
        QTest::newRow("mode 2, 0") << 0 << 2 << cc << "0" << 3.0 << 0.0 << 150;
        QTest::newRow("mode 2, 64") << 0 << 2 << cc << "64" << 3.0 << 4.03150 << 150;
        QTest::newRow("mode 2, above the range, not limited")
            << 0 << 2 << Indexes{{"switch_cc_comboBox_valmin", 0}, {"switch_cc_comboBox_valmax", 64}} << "96" << 3.0
            << 12.0 << 150;
        QTest::newRow("mode 2, value at a minimum above the maximum")
            << 0 << 2 << Indexes{{"switch_cc_comboBox_valmin", 100}, {"switch_cc_comboBox_valmax", 20}} << "100"
            << 3.0 << 8.0 << 150;
        QTest::newRow("mode 2, value at a maximum below the minimum")
            << 0 << 2 << Indexes{{"switch_cc_comboBox_valmin", 100}, {"switch_cc_comboBox_valmax", 20}} << "20"
            << 3.0 << 0.0 << 150;
        QTest::newRow("mode 2, empty range, above")
            << 0 << 2 << Indexes{{"switch_cc_comboBox_valmin", 50}, {"switch_cc_comboBox_valmax", 50}} << "60"
            << 3.0 << 8.0 << 150;
        QTest::newRow("mode 2, empty range, below")
            << 0 << 2 << Indexes{{"switch_cc_comboBox_valmin", 50}, {"switch_cc_comboBox_valmax", 50}} << "40"
            << 3.0 << 0.0 << 150;
        QTest::newRow("mode 2, PC reads its own range")
            << 1 << 2 << Indexes{{"switch_pc_comboBox_valmin", 0}, {"switch_pc_comboBox_valmax", 32}} << "16"
            << 3.0 << 4.0 << 150;
        QTest::newRow("mode 2, NOTE reads its own range")
            << 2 << 2 << Indexes{{"switch_note_comboBox_valmin", 10}, {"switch_note_comboBox_valmax", 20}} << "15"
            << 3.0 << 4.0 << 150;
        QTest::newRow("mode 2, Stop has no range") << 3 << 2 << Indexes() << "0" << 3.0 << 8.0 << 150;
        QTest::newRow("Single taps") << 0 << 0 << cc << "64" << 8.0 << 0.0 << 400;
        QTest::newRow("Toggle taps") << 0 << 1 << cc << "127" << 8.0 << 0.0 << 400;
        QTest::newRow("Increase taps") << 0 << 3 << cc << "0" << 8.0 << 0.0 << 400;
    }
    void switchAnimations()
    {
        QFETCH(int, event);
        QFETCH(int, mode);
        QFETCH(Indexes, ranges);
        QFETCH(QString, text);
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(int, duration);

        box("switch_comboBox0")->setCurrentIndex(event);
        box("switch_cc_comboBox_mode")->setCurrentIndex(mode);
        QCOMPARE(box("switch_cc_comboBox_mode")->currentIndex(), mode);
        setQuietly(ranges);
        QGraphicsRotation* rotation = switchRotation(window.get());
        rotation->setAngle(3);

        QStandardItem value(text);
        window->pedal_play_sw(&value);
        QPropertyAnimation* animation = runningSwitchAnimation();
        QVERIFY(animation);
        QCOMPARE(animation->targetObject(), rotation);
        QCOMPARE(animation->propertyName(), QByteArray("angle"));
        QCOMPARE(animation->duration(), duration);
        QCOMPARE(animation->easingCurve().type(), QEasingCurve::InOutQuad);
        QVERIFY(near(animation->startValue().toDouble(), from));
        QVERIFY2(near(animation->endValue().toDouble(), to), qPrintable(animation->endValue().toString()));

        QPointer<QPropertyAnimation> done(animation);
        QTRY_VERIFY_WITH_TIMEOUT(done.isNull(), 2000); // deletes itself
        QVERIFY(near(rotation->angle(), to));
    }

    // A new value takes over a movement under way instead of fighting it.
    void switchValueTakesOver()
    {
        QStandardItem tap("0");
        window->pedal_play_sw(&tap);
        box("switch_cc_comboBox_mode")->setCurrentIndex(2);
        QStandardItem full("127");
        window->pedal_play_sw(&full);
        QVERIFY(runningSwitchAnimation()); // exactly one
        QTRY_VERIFY(!runningSwitchAnimation());
        QTest::qWait(450);
        QVERIFY(near(switchRotation(window.get())->angle(), 8));
    }

    // Every page's picture fits its view after the window is shown, resized or the
    // page changes, with the layout settled.
    void scenesFitTheirViews_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("container");
        QTest::newRow("expression") << 0 << "widget_4";
        QTest::newRow("switch") << 1 << "widget_5";
        QTest::newRow("hi-hat") << 2 << "widget_7";
    }
    void scenesFitTheirViews()
    {
        QFETCH(int, page);
        QFETCH(QString, container);
        QGraphicsView* v = view(window.get(), qPrintable(container));

        window->resize(1400, 1000);
        box("pendal_type_comboBox0")->setCurrentIndex(page);
        QTRY_VERIFY(fits(v));
        const double wide = v->transform().m11();

        window->resize(820, 600);
        QTRY_VERIFY(fits(v));
        QVERIFY(v->transform().m11() != wide);

        // The smallest window still shows the whole picture.
        window->resize(window->minimumSize());
        QTRY_VERIFY(fits(v));
        QCOMPARE(v->alignment(), Qt::AlignCenter);
    }
};

QTEST_MAIN(TestPedalViews)
#include "tst_pedal_views.moc"
