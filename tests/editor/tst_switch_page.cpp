// The switch pages: their lists, the trigger modes, the rule between first and
// second value, the long-press mode and the Tempo event of some models.
#include "app/widget.h"
#include "device/serialport.h"
#include "editor/switch_modes.h"
#include "support/fake_device_enumerator.h"
#include "support/modal_watcher.h"
#include "support/pedal_simulator.h"
#include "support/window_fixture.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

#include <memory>
#include <vector>

namespace {

QStringList itemTexts(const QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

QStringList numbers(int first, int last)
{
    QStringList list;
    for (int n = first; n <= last; ++n)
        list << QString::number(n);
    return list;
}

const QStringList sixEvents = {
    "Continuous Controllers (CC)", "Program Change (PC)", "NOTE", "Stop", "Continue", "Start"};
const QStringList fiveModes = {"Single", "Toggle", "Reset", "Increase", "Decrease"};

const char* const eventSelectors[] = {"switch_comboBox0", "switch_comboBox1", "switch_comboBox2",
                                      "switch_comboBox3", "switch_comboBox4", "switch_comboBox5",
                                      "switch_comboBox6"};
const char* const channelLists[] = {"switch_cc_comboBox_chl", "switch_note_comboBox_chl",
                                    "switch_pc_comboBox_chl"};

const QString minimumText = "The minimum value cannot be greater than the maximum value!";
const QString maximumText = QString::fromUtf8("当前值不能小于最小值！");

// Answers every modal box with OK, one after the other, through ModalWatcher, and
// keeps the title and text of each.
class BoxLog : public QObject
{
public:
    BoxLog()
    {
        arm();
        connect(&rearm, &QTimer::timeout, this, [this] {
            if (watchers.back()->seen())
                arm();
        });
        rearm.start(2);
    }
    QStringList titles() const
    {
        QStringList list;
        for (const auto& w : watchers)
            if (w->seen())
                list << w->title();
        return list;
    }
    QStringList texts() const
    {
        QStringList list;
        for (const auto& w : watchers)
            if (w->seen())
                list << w->text();
        return list;
    }

private:
    void arm() { watchers.push_back(std::make_unique<ModalWatcher>(QStringLiteral("OK"))); }
    std::vector<std::unique_ptr<ModalWatcher>> watchers;
    QTimer rearm;
};

} // namespace

class TestSwitchPage : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakeDeviceEnumerator> bus;
    std::unique_ptr<Widget> window;
    bool windowChanged = false;

    QComboBox* box(const QString& name) { return window->findChild<QComboBox*>(name); }
    QWidget* widget(const QString& name) { return window->findChild<QWidget*>(name); }
    QLabel* label(const QString& name) { return window->findChild<QLabel*>(name); }
    QStackedWidget* switchStack() { return window->findChild<QStackedWidget*>("switch_stackedWidget"); }
    SerialPort* port() { return window->findChild<SerialPort*>(); }

    // Controls of the CC, NOTE and PC pages by page key.
    static QString control(const QString& page, const char* field)
    {
        return QStringLiteral("switch_%1_comboBox_%2").arg(page, QLatin1String(field));
    }
    static QString secondLabel(const QString& page)
    {
        return page == "cc" ? "label_48" : page == "note" ? "label_79" : "label_135";
    }

    // Selects a trigger mode so that the mode handler runs for it, even when the
    // selector already shows that mode.
    void chooseMode(const QString& page, int mode)
    {
        QComboBox* modes = box(control(page, "mode"));
        if (modes->currentIndex() == mode)
            modes->setCurrentIndex(mode == 0 ? 1 : 0);
        modes->setCurrentIndex(mode);
    }

    // Puts a page's values in place while the mode is Single (no check), then sets the mode.
    void preparePage(const QString& page, int first, int second, int mode)
    {
        box(control(page, "mode"))->setCurrentIndex(0);
        box(control(page, "valmin"))->setCurrentIndex(first);
        box(control(page, "valmax"))->setCurrentIndex(second);
        box(control(page, "mode"))->setCurrentIndex(mode);
        QCOMPARE(box(control(page, "valmin"))->currentIndex(), first);
        QCOMPARE(box(control(page, "valmax"))->currentIndex(), second);
        QCOMPARE(box(control(page, "mode"))->currentIndex(), mode);
    }

private slots:
    void initTestCase() { applyApplicationLook(); }

    // Building the window takes a while, so consecutive tests may share one: a window
    // that only has been looked at serves any test, a changed one only the mode tests,
    // which set every control they read. The rest depend on the values remembered
    // since start-up.
    void init()
    {
        static const QSet<QByteArray> anyWindow = {"modeDecidesSecondValue", "modeHandlerOtherTexts",
                                                   "offersLongPress", "longPressEntryAddedAndRemovedQuietly"};
        if (window && (!windowChanged || anyWindow.contains(QTest::currentTestFunction())))
            return;
        window.reset();
        bus.reset();                       // the old fake must be gone before the next one takes its place
        QFile::remove(settingsFilePath()); // default naming: C4 and controller names
        bus = std::make_unique<FakeDeviceEnumerator>();
        window = std::make_unique<Widget>();
        windowChanged = false;
    }

    void cleanup()
    {
        static const QSet<QByteArray> onlyLook = {"listsAfterStartUp", "numberListsAfterStartUp",
                                                  "singleValueAtStartUp", "offersLongPress",
                                                  "longPressEntryAddedAndRemovedQuietly"};
        if (!onlyLook.contains(QTest::currentTestFunction()) || QTest::currentTestFailed())
            windowChanged = true;
    }

    void cleanupTestCase()
    {
        window.reset();
        bus.reset();
    }

    void listsAfterStartUp_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("current");
        for (const char* name : eventSelectors)
            QTest::newRow(name) << name << sixEvents << 0;
        for (const char* name : channelLists)
            QTest::newRow(name) << name << numbers(1, 16) << 0;
        // No device has reported a model, so "LongPress" is not offered.
        for (const QString page : {"cc", "note", "pc"}) {
            QTest::newRow(qPrintable(control(page, "mode"))) << control(page, "mode") << fiveModes << 0;
            QTest::newRow(qPrintable(control(page, "valmin")))
                << control(page, "valmin") << numbers(0, 127) << 0;
            QTest::newRow(qPrintable(control(page, "valmax")))
                << control(page, "valmax") << numbers(0, 127) << 127;
        }
        QTest::newRow("stop") << "switch_stop_comboBox_mode" << QStringList{"Single", "Toggle"} << 0;
        QTest::newRow("start") << "switch_start_comboBox_mode" << QStringList{"Single", "Toggle"} << 0;
        QTest::newRow("continue") << "switch_ctu_comboBox_mode" << QStringList{"Single"} << 0;
        QTest::newRow("tempo") << "switch_tempo_comboBox_mode" << QStringList{"Single"} << 0;
    }
    void listsAfterStartUp()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, entries);
        QFETCH(int, current);
        QVERIFY(box(name));
        QCOMPARE(itemTexts(box(name)), entries);
        QCOMPARE(box(name)->currentIndex(), current);
    }

    void numberListsAfterStartUp()
    {
        QComboBox* controllers = box("switch_cc_comboBox_ctl");
        QCOMPARE(controllers->count(), 128);
        QCOMPARE(controllers->itemText(0), QString("0) Bank MSB"));
        QCOMPARE(controllers->itemText(127), QString("127) Poly On"));
        QComboBox* notes = box("switch_note_comboBox_nno");
        QCOMPARE(notes->count(), 128);
        QCOMPARE(notes->itemText(0), QString("0 / C-1"));
        QCOMPARE(notes->itemText(60), QString("60 / C4"));
        QCOMPARE(notes->currentIndex(), 0);
    }

    // Single is the mode at start: one value, the second control hidden and unlabelled.
    void singleValueAtStartUp()
    {
        QCOMPARE(switchStack()->currentIndex(), 0);
        for (const QString page : {"cc", "note", "pc"}) {
            QVERIFY2(widget(control(page, "valmax"))->isHidden(), qPrintable(page));
            QCOMPARE(label(secondLabel(page))->text(), QString());
        }
    }

    void modeDecidesSecondValue_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("shown");
        for (const QString page : {"cc", "note", "pc"}) {
            for (int mode = 0; mode < fiveModes.size(); ++mode)
                QTest::addRow("%s %s", qPrintable(page), qPrintable(fiveModes.at(mode)))
                    << page << mode << (mode != 0);
        }
    }
    void modeDecidesSecondValue()
    {
        QFETCH(QString, page);
        QFETCH(int, mode);
        QFETCH(bool, shown);
        // Come from the opposite state, so the handler has something to change.
        chooseMode(page, mode == 0 ? 1 : 0);
        QCOMPARE(widget(control(page, "valmax"))->isHidden(), mode != 0);
        box(control(page, "mode"))->setCurrentIndex(mode);
        QCOMPARE(!widget(control(page, "valmax"))->isHidden(), shown);
        QCOMPARE(label(secondLabel(page))->text(), shown ? QString("Max") : QString());
    }

    // Texts that reach the handler other than through the five modes of the list.
    void modeHandlerOtherTexts_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("shown");
        for (const QString page : {"cc", "note", "pc"}) {
            QTest::addRow("%s LongPress", qPrintable(page)) << page << "LongPress" << false;
            // Unknown texts (an emptied list, another spelling) change nothing.
            QTest::addRow("%s empty", qPrintable(page)) << page << "" << true;
            QTest::addRow("%s lower case", qPrintable(page)) << page << "longpress" << true;
            QTest::addRow("%s trailing blank", qPrintable(page)) << page << "Single " << true;
        }
    }
    void modeHandlerOtherTexts()
    {
        QFETCH(QString, page);
        QFETCH(QString, text);
        QFETCH(bool, shown);
        chooseMode(page, 1); // Toggle: second value shown
        QVERIFY(!widget(control(page, "valmax"))->isHidden());
        const QByteArray slot =
            QStringLiteral("on_switch_%1_comboBox_mode_currentIndexChanged").arg(page).toLatin1();
        QVERIFY(QMetaObject::invokeMethod(window.get(), slot.constData(), Q_ARG(QString, text)));
        QCOMPARE(!widget(control(page, "valmax"))->isHidden(), shown);
        QCOMPARE(label(secondLabel(page))->text(), shown ? QString("Max") : QString());
    }

    void rangeRule_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<QString>("changed"); // "valmin" or "valmax"
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("title"); // empty: accepted without a warning
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("endFirst");
        QTest::addColumn<int>("endSecond");

        // Single and its second value are not compared.
        QTest::newRow("cc single, first above hidden second") << "cc" << 0 << 0 << 50 << "valmin" << 120 << ""
                                                              << "" << 120 << 50;
        QTest::newRow("pc single, second below first") << "pc" << 0 << 30 << 127 << "valmax" << 20 << ""
                                                       << "" << 30 << 20;
        // A refused first value returns to 0 and is then accepted.
        QTest::newRow("cc toggle, first above second")
            << "cc" << 1 << 0 << 50 << "valmin" << 60 << "Invalid selection13" << minimumText << 0 << 50;
        QTest::newRow("cc toggle, first equal second") << "cc" << 1 << 0 << 50 << "valmin" << 50 << ""
                                                       << "" << 50 << 50;
        QTest::newRow("note decrease, first above second")
            << "note" << 4 << 10 << 40 << "valmin" << 41 << "Invalid selection15" << minimumText << 0 << 40;
        QTest::newRow("pc reset, first above second")
            << "pc" << 2 << 5 << 0 << "valmin" << 1 << "Invalid selection17" << minimumText << 0 << 0;
        // A refused second value returns to the last maximum accepted (127 after start-up).
        QTest::newRow("cc increase, second below first")
            << "cc" << 3 << 30 << 127 << "valmax" << 20 << "Invalid selection14" << maximumText << 30 << 127;
        QTest::newRow("cc increase, second equal first") << "cc" << 3 << 30 << 127 << "valmax" << 30 << ""
                                                         << "" << 30 << 30;
        QTest::newRow("note toggle, second below first") << "note" << 1 << 60 << 127 << "valmax" << 50
                                                         << "Invalid selection16" << maximumText << 60 << 127;
        QTest::newRow("pc decrease, second below first")
            << "pc" << 4 << 1 << 127 << "valmax" << 0 << "Invalid selection18" << maximumText << 1 << 127;
        QTest::newRow("pc toggle, second above first") << "pc" << 1 << 64 << 127 << "valmax" << 65 << ""
                                                       << "" << 64 << 65;
    }
    void rangeRule()
    {
        QFETCH(QString, page);
        QFETCH(int, mode);
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(QString, changed);
        QFETCH(int, choice);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(int, endFirst);
        QFETCH(int, endSecond);
        preparePage(page, first, second, mode);

        BoxLog boxes;
        box(control(page, qPrintable(changed)))->setCurrentIndex(choice);

        // At most one warning: the restored value is accepted on the second run.
        QCOMPARE(boxes.titles(), title.isEmpty() ? QStringList() : QStringList{title});
        QCOMPARE(boxes.texts(), text.isEmpty() ? QStringList() : QStringList{text});
        QCOMPARE(box(control(page, "valmin"))->currentIndex(), endFirst);
        QCOMPARE(box(control(page, "valmax"))->currentIndex(), endSecond);
    }

    // The remembered maximum is shared by all pages.
    void refusedSecondValueReturnsToLastAcceptedOnAnyPage()
    {
        preparePage("cc", 0, 127, 1);
        box(control("cc", "valmax"))->setCurrentIndex(100); // accepted: remembered
        preparePage("note", 40, 127, 1);

        BoxLog boxes;
        box(control("note", "valmax"))->setCurrentIndex(30);
        QCOMPARE(boxes.titles(), QStringList{"Invalid selection16"});
        QCOMPARE(box(control("note", "valmax"))->currentIndex(), 100);
        QCOMPARE(box(control("cc", "valmax"))->currentIndex(), 100);
    }

    // A remembered maximum below this page's first value is refused again, once.
    void restoredSecondValueStillBelowFirstWarnsTwice()
    {
        preparePage("pc", 0, 127, 3);
        box(control("pc", "valmax"))->setCurrentIndex(50);
        preparePage("note", 0, 127, 3);
        box(control("note", "valmin"))->setCurrentIndex(60); // accepted, 60 <= 127

        BoxLog boxes;
        box(control("note", "valmax"))->setCurrentIndex(55);
        QCOMPARE(boxes.titles(), (QStringList{"Invalid selection16", "Invalid selection16"}));
        QCOMPARE(box(control("note", "valmax"))->currentIndex(), 50);
        QCOMPARE(box(control("note", "valmin"))->currentIndex(), 60);
    }

    // A maximum remembered from the 14-bit Pitch Bend list does not fit a 7-bit list;
    // the switch page then falls back to its top value instead of selecting nothing.
    void rememberedPitchBendMaximumIsKeptInRange()
    {
        QComboBox* pitchMax = box("expression_pitch_comboBox_valmax");
        QCOMPARE(pitchMax->count(), 16384);
        pitchMax->setCurrentIndex(10000);
        QCOMPARE(pitchMax->currentIndex(), 10000);
        preparePage("cc", 30, 127, 1);

        BoxLog boxes;
        box(control("cc", "valmax"))->setCurrentIndex(20);
        QCOMPARE(boxes.titles(), QStringList{"Invalid selection14"});
        QCOMPARE(box(control("cc", "valmax"))->currentIndex(), 127);
        QCOMPARE(box(control("cc", "valmax"))->currentText(), QString("127"));
    }

    void offersLongPress_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("offered");
        QTest::newRow("unknown") << "xx" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("KX-1") << "KX-1" << true;
        QTest::newRow("KX-3") << "KX-3" << true;
        QTest::newRow("inside a model line") << "Quorvane KX-3 V1.2" << true;
        QTest::newRow("ZRT-10") << "ZRT-10" << false;
        QTest::newRow("KX-2") << "KX-2" << false;
        QTest::newRow("lower case") << "kx-1" << false;
        QTest::newRow("no dash") << "KX1" << false;
    }
    void offersLongPress()
    {
        QFETCH(QString, model);
        QFETCH(bool, offered);
        QCOMPARE(SwitchModes::offersLongPress(model), offered);
    }

    void longPressEntryAddedAndRemovedQuietly_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("current");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<bool>("blockedBefore");
        QTest::addColumn<QStringList>("endEntries");
        QTest::addColumn<int>("endCurrent");
        const QStringList withLongPress = fiveModes + QStringList{"LongPress"};
        QTest::newRow("offered, added") << fiveModes << 3 << true << false << withLongPress << 3;
        QTest::newRow("offered, present") << withLongPress << 5 << true << false << withLongPress << 5;
        QTest::newRow("withdrawn, not selected") << withLongPress << 2 << false << false << fiveModes << 2;
        QTest::newRow("withdrawn while selected") << withLongPress << 5 << false << false << fiveModes << 0;
        QTest::newRow("withdrawn, absent") << fiveModes << 4 << false << false << fiveModes << 4;
        QTest::newRow("caller had signals blocked") << withLongPress << 5 << false << true << fiveModes << 0;
        // Only the exact text counts.
        QTest::newRow("other spelling stays") << QStringList{"Single", "longpress"} << 1 << false << false
                                              << QStringList{"Single", "longpress"} << 1;
    }
    void longPressEntryAddedAndRemovedQuietly()
    {
        QFETCH(QStringList, entries);
        QFETCH(int, current);
        QFETCH(bool, offered);
        QFETCH(bool, blockedBefore);
        QFETCH(QStringList, endEntries);
        QFETCH(int, endCurrent);
        QComboBox modes;
        modes.addItems(entries);
        modes.setCurrentIndex(current);
        modes.blockSignals(blockedBefore);
        QSignalSpy changes(&modes, QOverload<int>::of(&QComboBox::currentIndexChanged));

        SwitchModes::setLongPressOffered(&modes, offered);

        QCOMPARE(itemTexts(&modes), endEntries);
        QCOMPARE(modes.currentIndex(), endCurrent);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(modes.signalsBlocked(), blockedBefore);
    }

    // Without a model that offers it, refreshing keeps the three mode lists at five entries
    // and re-applies the modes to the pages.
    void refreshWithoutLongPressModel()
    {
        box(control("note", "mode"))->setCurrentIndex(2);
        window->refreshSwitchLongPressAvailability();
        QVERIFY(!window->supportsLongPress());
        for (const QString page : {"cc", "note", "pc"})
            QCOMPARE(itemTexts(box(control(page, "mode"))), fiveModes);
        QCOMPARE(box(control("note", "mode"))->currentIndex(), 2);
        QVERIFY(!widget(control("note", "valmax"))->isHidden());
    }

    void selectorsAndModesAreWired()
    {
        // Entry 2 of the list is NOTE, shown on page 1; every copy follows.
        box("switch_comboBox3")->setCurrentIndex(2);
        QCOMPARE(switchStack()->currentIndex(), 1);
        for (const char* name : eventSelectors)
            QVERIFY2(box(name)->currentIndex() == 2, name);
        box("switch_comboBox1")->setCurrentIndex(1);
        QCOMPARE(switchStack()->currentIndex(), 2);

        // Toggle on the Stop page is Toggle on the value pages too.
        box("switch_stop_comboBox_mode")->setCurrentIndex(1);
        for (const QString page : {"cc", "note", "pc"}) {
            QCOMPARE(box(control(page, "mode"))->currentIndex(), 1);
            QVERIFY(!widget(control(page, "valmax"))->isHidden());
            QCOMPARE(label(secondLabel(page))->text(), QString("Max"));
        }
        QCOMPARE(box("switch_start_comboBox_mode")->currentIndex(), 1);
    }

    void rebuildingTheEventLists_data()
    {
        QTest::addColumn<bool>("withTempo");
        QTest::newRow("with Tempo") << true;
        QTest::newRow("without Tempo") << false;
    }
    void rebuildingTheEventLists()
    {
        QFETCH(bool, withTempo);
        box("switch_comboBox0")->setCurrentIndex(3);
        for (const char* name : channelLists)
            box(name)->setCurrentIndex(9);
        box(control("cc", "valmin"))->setCurrentIndex(12);
        box("switch_cc_comboBox_ctl")->setCurrentIndex(7);

        window->switch_clearstatus();
        for (const char* name : eventSelectors)
            QCOMPARE(box(name)->count(), 0);
        for (const char* name : channelLists)
            QCOMPARE(box(name)->count(), 0);
        if (withTempo)
            window->switch_status();
        else
            window->switch_status_kx1();

        const QStringList events = withTempo ? sixEvents + QStringList{"Tempo"} : sixEvents;
        for (const char* name : eventSelectors) {
            QCOMPARE(itemTexts(box(name)), events);
            QCOMPARE(box(name)->currentIndex(), 0);
        }
        for (const char* name : channelLists) {
            QCOMPARE(itemTexts(box(name)), numbers(1, 16));
            QCOMPARE(box(name)->currentIndex(), 0);
        }
        QCOMPARE(switchStack()->currentIndex(), 0);
        // The rebuild leaves the values alone.
        QCOMPARE(box(control("cc", "valmin"))->currentIndex(), 12);
        QCOMPARE(box("switch_cc_comboBox_ctl")->currentIndex(), 7);
    }

    // Connecting to a port entry that names a KX-1 or KX-3 offers Tempo until the next disconnect.
    void tempoFollowsThePortEntry_data()
    {
        QTest::addColumn<QByteArray>("product");
        QTest::addColumn<bool>("tempo");
        QTest::newRow("KX-3") << QByteArray("Quorvane KX-3") << true;
        QTest::newRow("KX-1") << QByteArray("Quorvane KX-1") << true;
        QTest::newRow("ZRT-30") << QByteArray("Quorvane ZRT-30") << false;
        QTest::newRow("lower case kx-3") << QByteArray("Quorvane kx-3") << false;
    }
    void tempoFollowsThePortEntry()
    {
        QFETCH(QByteArray, product);
        QFETCH(bool, tempo);
        PedalSimulator device;
        QVERIFY(device.start());
        bus->plug(product, 0x1209, 0x7001, device.slavePath());
        port()->initPort();
        auto* connectButton = window->findChild<QPushButton*>("connectButton");

        box("switch_comboBox0")->setCurrentIndex(2);
        box("switch_pc_comboBox_chl")->setCurrentIndex(4);
        QTest::mouseClick(connectButton, Qt::LeftButton);
        QVERIFY(port()->isOpen());

        const QStringList events = tempo ? sixEvents + QStringList{"Tempo"} : sixEvents;
        for (const char* name : eventSelectors)
            QCOMPARE(itemTexts(box(name)), events);
        if (tempo) {
            QCOMPARE(box("switch_comboBox0")->currentIndex(), 0);
            QCOMPARE(box("switch_pc_comboBox_chl")->currentIndex(), 0);
            QCOMPARE(switchStack()->currentIndex(), 0);
            box("switch_comboBox2")->setCurrentIndex(6);
            QCOMPARE(switchStack()->currentIndex(), 6);
            QCOMPARE(itemTexts(box("switch_tempo_comboBox_mode")), QStringList{"Single"});
        }

        QTest::mouseClick(connectButton, Qt::LeftButton);
        QVERIFY(!port()->isOpen());
        for (const char* name : eventSelectors) {
            QCOMPARE(itemTexts(box(name)), sixEvents);
            QCOMPARE(box(name)->currentIndex(), 0);
        }
        for (const char* name : channelLists)
            QCOMPARE(box(name)->currentText(), QString("1"));
        QCOMPARE(switchStack()->currentIndex(), 0);
        for (const QString page : {"cc", "note", "pc"})
            QCOMPARE(itemTexts(box(control(page, "mode"))), fiveModes);
    }
};

QTEST_MAIN(TestSwitchPage)
#include "tst_switch_page.moc"
