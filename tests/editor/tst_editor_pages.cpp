// Which page the editor shows for which selection, how the selector copies stay
// equal, and what a change of event resets — on the real window.
#include "app/widget.h"
#include "curve/mycustomplot.h"
#include "support/fake_device_enumerator.h"
#include "support/modal_watcher.h"
#include "support/window_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QStackedWidget>
#include <QTest>

#include <memory>

using Indexes = QList<QPair<QString, int>>;
Q_DECLARE_METATYPE(Indexes)

class TestEditorPages : public QObject
{
    Q_OBJECT

private:
    FakeDeviceEnumerator bus;
    std::unique_ptr<Widget> window;

    QComboBox* box(const QString& name) { return window->findChild<QComboBox*>(name); }
    QStackedWidget* stack(const QString& name) { return window->findChild<QStackedWidget*>(name); }
    QList<int> indexesOf(const QStringList& names)
    {
        QList<int> list;
        for (const QString& name : names)
            list << box(name)->currentIndex();
        return list;
    }

private slots:
    void initTestCase() { applyApplicationLook(); }
    void init() { window = std::make_unique<Widget>(); }
    void cleanup() { window.reset(); }

    void startUpState()
    {
        for (const char* name : {"pedal_type_stack", "expression_stackedWidget", "switch_stackedWidget",
                                 "hat_stackedWidget"})
            QCOMPARE(stack(name)->currentIndex(), 0);
        QCOMPARE(box("pendal_type_comboBox0")->count(), 3);
        QCOMPARE(box("expression_comboBox3")->itemText(3), QString("Channel Pressure"));
        QCOMPARE(box("switch_comboBox6")->count(), 6); // no Tempo without a device
        QCOMPARE(box("expression_trigger_level")->count(), 128);
        QCOMPARE(box("expression_trigger_level")->itemText(0), QString("OFF"));
        QCOMPARE(box("expression_pitch_comboBox_valmax")->count(), 16384);
        QCOMPARE(box("expression_pitch_comboBox_valmax")->currentIndex(), 16383);
        QCOMPARE(box("expression_cc_comboBox_gain")->currentText(), QString("0"));
        QCOMPARE(box("expression_cc_comboBox_gain")->itemText(0), QString("-50"));
        QCOMPARE(box("expression_cc_comboBox_valmax")->currentIndex(), 127);
        QCOMPARE(box("hat_cc_comboBox_chl")->currentText(), QString("1"));
        QVERIFY(!box("expression_press_note")->isEnabled());
        QVERIFY(!box("expression_release_note")->isEnabled());
        QCOMPARE(window->getPendalTypeComboBoxIndex(), 1);
        QVERIFY(!window->findChild<MyCustomPlot*>()); // no curve editor before the first event switch
    }

    void pedalTypeMirrored_data()
    {
        QTest::addColumn<QString>("selector");
        QTest::addColumn<int>("index");
        QTest::newRow("Switch from the expression page") << "pendal_type_comboBox0" << 1;
        QTest::newRow("Hi-Hat from the switch page") << "pendal_type_comboBox1" << 2;
        QTest::newRow("Switch from the hi-hat page") << "pendal_type_comboBox2" << 1;
    }
    void pedalTypeMirrored()
    {
        QFETCH(QString, selector);
        QFETCH(int, index);
        box(selector)->setCurrentIndex(index);
        QCOMPARE(stack("pedal_type_stack")->currentIndex(), index);
        QCOMPARE(indexesOf({"pendal_type_comboBox0", "pendal_type_comboBox1", "pendal_type_comboBox2"}),
                 (QList<int>{index, index, index}));
        QCOMPARE(window->getPendalTypeComboBoxIndex(), index + 1);
    }

    // The switch list order differs from the page order for NOTE and PC.
    void eventPages_data()
    {
        QTest::addColumn<QString>("selector");
        QTest::addColumn<QStringList>("copies");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("stackName");
        QTest::addColumn<int>("page");
        const QStringList ex = {"expression_comboBox0", "expression_comboBox1", "expression_comboBox2",
                                "expression_comboBox3"};
        const QStringList sw = {"switch_comboBox0", "switch_comboBox1", "switch_comboBox2", "switch_comboBox3",
                                "switch_comboBox4", "switch_comboBox5", "switch_comboBox6"};
        const QStringList ht = {"hat_comboBox0", "hat_comboBox1"};
        QTest::newRow("expression NOTE") << "expression_comboBox0" << ex << 1 << "expression_stackedWidget" << 1;
        QTest::newRow("expression Pitch Bend") << "expression_comboBox1" << ex << 2 << "expression_stackedWidget" << 2;
        QTest::newRow("expression Channel Pressure") << "expression_comboBox3" << ex << 3 << "expression_stackedWidget"
                                                     << 3;
        QTest::newRow("switch PC") << "switch_comboBox0" << sw << 1 << "switch_stackedWidget" << 2;
        QTest::newRow("switch NOTE") << "switch_comboBox2" << sw << 2 << "switch_stackedWidget" << 1;
        QTest::newRow("switch Stop") << "switch_comboBox1" << sw << 3 << "switch_stackedWidget" << 3;
        QTest::newRow("switch Continue") << "switch_comboBox5" << sw << 4 << "switch_stackedWidget" << 4;
        QTest::newRow("switch Start") << "switch_comboBox4" << sw << 5 << "switch_stackedWidget" << 5;
        QTest::newRow("hi-hat NOTE") << "hat_comboBox1" << ht << 1 << "hat_stackedWidget" << 1;
    }
    void eventPages()
    {
        QFETCH(QString, selector);
        QFETCH(QStringList, copies);
        QFETCH(int, entry);
        QFETCH(QString, stackName);
        QFETCH(int, page);
        box(selector)->setCurrentIndex(entry);
        QCOMPARE(stack(stackName)->currentIndex(), page);
        for (const QString& copy : copies)
            QCOMPARE(box(copy)->currentIndex(), entry);
        box(selector)->setCurrentIndex(0);
        QCOMPARE(stack(stackName)->currentIndex(), 0);
    }

    void expressionEventSwitchRebuildsTriggerGroup_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("levels");
        QTest::addColumn<QString>("last");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("NOTE") << 1 << 128 << "127" << false;
        QTest::newRow("Pitch Bend") << 2 << 16384 << "16383" << true;
        QTest::newRow("Channel Pressure") << 3 << 128 << "127" << true;
    }
    void expressionEventSwitchRebuildsTriggerGroup()
    {
        QFETCH(int, entry);
        QFETCH(int, levels);
        QFETCH(QString, last);
        QFETCH(bool, enabled);
        box("expression_trigger_level")->setCurrentIndex(5);
        box("expression_press_note")->setCurrentIndex(40);
        box("expression_comboBox0")->setCurrentIndex(entry);
        QCOMPARE(box("expression_trigger_level")->count(), levels);
        QCOMPARE(box("expression_trigger_level")->itemText(levels - 1), last);
        for (const char* name : {"expression_trigger_level", "expression_press_note", "expression_release_note"}) {
            QCOMPARE(box(name)->currentIndex(), 0);
            QCOMPARE(box(name)->isEnabled(), enabled);
        }
    }

    // The other event pages of the type return to their defaults; the page shown keeps its values.
    void hiddenPagesReset_data()
    {
        QTest::addColumn<QString>("selector");
        QTest::addColumn<int>("entry");
        QTest::addColumn<Indexes>("changed");
        QTest::addColumn<Indexes>("after");
        QTest::newRow("expression NOTE resets CC, Pitch Bend and Channel Pressure")
            << "expression_comboBox0" << 1
            << Indexes{{"expression_cc_comboBox_valmax", 100}, {"expression_cc_comboBox_gain", 60},
                       {"expression_cc_comboBox_chl", 4}, {"expression_pitch_comboBox_valmin", 30},
                       {"expression_ch_comboBox_ql", 10}, {"expression_note_comboBox_valmax", 99}}
            << Indexes{{"expression_cc_comboBox_valmax", 127}, {"expression_cc_comboBox_gain", 50},
                       {"expression_cc_comboBox_chl", 0}, {"expression_pitch_comboBox_valmin", 0},
                       {"expression_ch_comboBox_ql", 50}, {"expression_note_comboBox_valmax", 99}};
        QTest::newRow("expression Channel Pressure keeps its own values")
            << "expression_comboBox2" << 3
            << Indexes{{"expression_ch_comboBox_val2", 90}, {"expression_ch_comboBox_chl", 9},
                       {"expression_note_comboBox_ctl", 60}}
            << Indexes{{"expression_ch_comboBox_val2", 90}, {"expression_ch_comboBox_chl", 9},
                       {"expression_note_comboBox_ctl", 0}};
        QTest::newRow("hi-hat NOTE resets the CC page")
            << "hat_comboBox0" << 1
            << Indexes{{"hat_cc_comboBox_valmax", 100}, {"hat_cc_comboBox_ctl", 4}, {"hat_note_comboBox_chl", 3},
                       {"hat_trigger_level", 9}}
            << Indexes{{"hat_cc_comboBox_valmax", 127}, {"hat_cc_comboBox_ctl", 0}, {"hat_note_comboBox_chl", 3},
                       {"hat_trigger_level", 0}};
    }
    void hiddenPagesReset()
    {
        QFETCH(QString, selector);
        QFETCH(int, entry);
        QFETCH(Indexes, changed);
        QFETCH(Indexes, after);
        for (const auto& c : changed)
            box(c.first)->setCurrentIndex(c.second);
        box(selector)->setCurrentIndex(entry);
        for (const auto& a : after)
            QVERIFY2(box(a.first)->currentIndex() == a.second, qPrintable(a.first));
    }

    void hiHatNoteDisablesTriggerGroup()
    {
        box("hat_comboBox0")->setCurrentIndex(1);
        for (const char* name : {"hat_trigger_level", "hat_press_note", "hat_release_note"})
            QVERIFY(!box(name)->isEnabled());
        box("hat_comboBox1")->setCurrentIndex(0);
        for (const char* name : {"hat_trigger_level", "hat_press_note", "hat_release_note"})
            QVERIFY(box(name)->isEnabled());
        QVERIFY(!window->findChild<MyCustomPlot*>()); // the hi-hat switch does not draw
    }

    void switchValuesSurviveEventChanges()
    {
        box("switch_cc_comboBox_chl")->setCurrentIndex(5);
        box("switch_pc_comboBox_valmin")->setCurrentIndex(12);
        box("switch_note_comboBox_nno")->setCurrentIndex(60);
        box("switch_comboBox0")->setCurrentIndex(2);
        box("switch_comboBox2")->setCurrentIndex(1);
        box("switch_comboBox1")->setCurrentIndex(0);
        QCOMPARE(box("switch_cc_comboBox_chl")->currentIndex(), 5);
        QCOMPARE(box("switch_pc_comboBox_valmin")->currentIndex(), 12);
        QCOMPARE(box("switch_note_comboBox_nno")->currentIndex(), 60);
    }

    // Moving to another switch event walks the trigger modes: most survive, but a
    // Toggle ends as Single because Stop and Start fall back to Single first.
    void switchModeAfterEventChange_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("expected");
        QTest::newRow("Single") << 0 << 0;
        QTest::newRow("Toggle ends as Single") << 1 << 0;
        QTest::newRow("Reset") << 2 << 2;
        QTest::newRow("Increase") << 3 << 3;
        QTest::newRow("Decrease") << 4 << 4;
    }
    void switchModeAfterEventChange()
    {
        QFETCH(int, mode);
        QFETCH(int, expected);
        box("switch_cc_comboBox_mode")->setCurrentIndex(mode);
        QCOMPARE(indexesOf({"switch_cc_comboBox_mode", "switch_note_comboBox_mode", "switch_pc_comboBox_mode"}),
                 (QList<int>{mode, mode, mode}));
        QCOMPARE(box("switch_start_comboBox_mode")->currentIndex(), mode == 1 ? 1 : 0);
        box("switch_comboBox0")->setCurrentIndex(2);
        QCOMPARE(indexesOf({"switch_cc_comboBox_mode", "switch_note_comboBox_mode", "switch_pc_comboBox_mode"}),
                 (QList<int>{expected, expected, expected}));
        QCOMPARE(indexesOf({"switch_stop_comboBox_mode", "switch_start_comboBox_mode", "switch_ctu_comboBox_mode",
                            "switch_tempo_comboBox_mode"}),
                 (QList<int>{0, 0, 0, 0}));
    }

    void toggleOnStopPageReachesEveryPage()
    {
        box("switch_stop_comboBox_mode")->setCurrentIndex(1);
        QCOMPARE(indexesOf({"switch_cc_comboBox_mode", "switch_note_comboBox_mode", "switch_pc_comboBox_mode",
                            "switch_start_comboBox_mode", "switch_ctu_comboBox_mode"}),
                 (QList<int>{1, 1, 1, 1, 0}));
    }

    // A KX-1 or KX-3 offers the LongPress mode; it uses only the first value.
    void longPressFollowsTheReportedModel()
    {
        const QStringList modes = {"switch_cc_comboBox_mode", "switch_note_comboBox_mode", "switch_pc_comboBox_mode"};
        for (const QString& mode : modes)
            QCOMPARE(box(mode)->findText("LongPress"), -1);
        window->setDeviceModel("KX-1");
        for (const QString& mode : modes)
            QCOMPARE(box(mode)->findText("LongPress"), 5);

        box("switch_cc_comboBox_valmax")->setCurrentIndex(50);
        box("switch_note_comboBox_mode")->setCurrentIndex(5);
        QCOMPARE(indexesOf(modes), (QList<int>{5, 5, 5}));
        QVERIFY(box("switch_cc_comboBox_valmax")->isHidden());
        QCOMPARE(window->findChild<QLabel*>("label_48")->text(), QString());
        ModalWatcher watcher("OK");
        box("switch_cc_comboBox_valmin")->setCurrentIndex(120); // second value not in use: no check
        QTest::qWait(20);
        QVERIFY(!watcher.seen());
        QCOMPARE(box("switch_cc_comboBox_valmin")->currentIndex(), 120);

        // The device goes away while LongPress is chosen: every page falls back to Single.
        window->setDeviceModel("xx");
        for (const QString& mode : modes) {
            QCOMPARE(box(mode)->currentIndex(), 0);
            QCOMPARE(box(mode)->findText("LongPress"), -1);
        }
        QVERIFY(box("switch_pc_comboBox_valmax")->isHidden());
    }

    void triggerLevelEnablesNotes_data()
    {
        QTest::addColumn<QString>("level");
        QTest::addColumn<QStringList>("notes");
        QTest::newRow("expression") << "expression_trigger_level"
                                    << QStringList{"expression_press_note", "expression_release_note"};
        QTest::newRow("hi-hat") << "hat_trigger_level" << QStringList{"hat_press_note", "hat_release_note"};
    }
    void triggerLevelEnablesNotes()
    {
        QFETCH(QString, level);
        QFETCH(QStringList, notes);
        box(level)->setCurrentIndex(10);
        for (const QString& note : notes)
            QVERIFY(box(note)->isEnabled());
        box(level)->setCurrentIndex(0); // "OFF"
        for (const QString& note : notes)
            QVERIFY(!box(note)->isEnabled());
    }

    // After the first expression event switch the curve editor exists and every
    // accepted change reaches it.
    void acceptedChangesReachTheCurveEditor()
    {
        box("expression_comboBox0")->setCurrentIndex(1);
        box("expression_comboBox0")->setCurrentIndex(0);
        QVERIFY(window->findChild<MyCustomPlot*>());
        box("expression_cc_comboBox_gain")->setCurrentIndex(60);
        auto* plot = window->findChild<QWidget*>("widget_13")->findChild<MyCustomPlot*>();
        QVERIFY(plot);
        QCOMPARE(plot->gainValue, 10.0);
        box("expression_cc_comboBox_ql")->setCurrentIndex(0);
        plot = window->findChild<QWidget*>("widget_13")->findChild<MyCustomPlot*>();
        QCOMPARE(plot->curveValue, -50.0);
        box("expression_cc_comboBox_valmax")->setCurrentIndex(90);
        plot = window->findChild<QWidget*>("widget_13")->findChild<MyCustomPlot*>();
        QCOMPARE(plot->maxValue, 90.0);

        // A refused value never reaches the editor.
        ModalWatcher watcher("OK");
        box("expression_cc_comboBox_valmin")->setCurrentIndex(100);
        QVERIFY(watcher.seen());
        plot = window->findChild<QWidget*>("widget_13")->findChild<MyCustomPlot*>();
        QCOMPARE(plot->minValue, 0.0);
    }

    void hiHatEditorWaitsForTheExpressionEditor()
    {
        box("hat_cc_comboBox_gain")->setCurrentIndex(70);
        QVERIFY(!window->findChild<QWidget*>("widget_14")->findChild<MyCustomPlot*>());
        box("expression_comboBox0")->setCurrentIndex(1); // builds the expression editor
        box("hat_cc_comboBox_gain")->setCurrentIndex(60);
        auto* hat = window->findChild<QWidget*>("widget_14")->findChild<MyCustomPlot*>();
        QVERIFY(hat);
        QCOMPARE(hat->gainValue, 10.0);
    }
};

QTEST_MAIN(TestEditorPages)
#include "tst_editor_pages.moc"
