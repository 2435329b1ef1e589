// The record exchange of the real window with the simulated controller over a pty:
// set requests built from editor states, reading them back with Check, the boxes that
// answer set and delete results, delete and factory reset, and the query forms.
#include "app/vendor_site.h"
#include "app/widget.h"
#include "curve/mycustomplot.h"
#include "device/serialport.h"
#include "support/fake_device_enumerator.h"
#include "support/modal_watcher.h"
#include "support/pedal_simulator.h"
#include "support/window_fixture.h"
#include "upgrade/download_server.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

#include <memory>

using State = QMap<QString, int>;

namespace {

const int kJacks = 9;

// "name=value" lines into a map.
State parseState(const QStringList& lines)
{
    State state;
    for (const QString& line : lines) {
        const int eq = line.indexOf(QLatin1Char('='));
        state.insert(line.left(eq), line.mid(eq + 1).toInt());
    }
    return state;
}

QString differences(const State& expected, const State& actual)
{
    QStringList lines;
    for (auto it = expected.constBegin(); it != expected.constEnd(); ++it) {
        if (actual.value(it.key(), -100) != it.value())
            lines << QStringLiteral("%1: expected %2, shown %3")
                         .arg(it.key())
                         .arg(it.value())
                         .arg(actual.value(it.key(), -100));
    }
    for (auto it = actual.constBegin(); it != actual.constEnd(); ++it) {
        if (!expected.contains(it.key()))
            lines << QStringLiteral("%1: unexpected").arg(it.key());
    }
    return lines.join(QStringLiteral("; "));
}

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

} // namespace

class TestRecordExchange : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakeDeviceEnumerator> bus;
    std::unique_ptr<PedalSimulator> device;
    std::unique_ptr<Widget> window;
    State freshState; // the editor of a window just built

    // The form's object of that name (the upgrade dialog has a pushButton of its own).
    template <typename T = QWidget> T* child(const QString& name)
    {
        const auto found = window->findChildren<T*>(name);
        for (T* object : found)
            if (object->window() == window.get())
                return object;
        qFatal("no child %s", qPrintable(name));
        return nullptr;
    }
    QComboBox* box(const QString& name) { return child<QComboBox>(name); }
    SerialPort* port() { return window->findChild<SerialPort*>(); }

    // Everything the editor shows: the current entry of every page control, the three
    // invert boxes and the pages of the four stacks.
    State editorState(bool withSlot = true)
    {
        State state;
        const auto boxes = window->findChildren<QComboBox*>();
        for (QComboBox* b : boxes) {
            if (b->window() != window.get())
                continue;
            const QString name = b->objectName();
            const bool page =
                name.startsWith(QLatin1String("expression_")) || name.startsWith(QLatin1String("switch_")) ||
                name.startsWith(QLatin1String("hat_")) || name.startsWith(QLatin1String("pendal_type_"));
            const bool slot =
                name == QLatin1String("Pedal_Number") || name == QLatin1String("Message_Number");
            if (page || (slot && withSlot))
                state.insert(name, b->currentIndex());
        }
        for (const char* name : {"ex_Evert_checkBox", "sw_Evert_checkBox", "ht_Evert_checkBox"})
            state.insert(QLatin1String(name), child<QCheckBox>(QLatin1String(name))->isChecked() ? 1 : 0);
        for (const char* name :
             {"pedal_type_stack", "expression_stackedWidget", "switch_stackedWidget", "hat_stackedWidget"})
            state.insert(QStringLiteral("page:") + QLatin1String(name),
                         child<QStackedWidget>(QLatin1String(name))->currentIndex());
        return state;
    }

    // Brings every page back to the state of a window just built, by picking entries as
    // a person would: a change of event resets the other event pages of that type.
    // The pedal and message numbers stay.
    void freshEditor()
    {
        box("pendal_type_comboBox0")->setCurrentIndex(0);
        box("expression_comboBox0")->setCurrentIndex(1);
        box("expression_comboBox0")->setCurrentIndex(0);
        box("hat_comboBox0")->setCurrentIndex(1);
        box("hat_comboBox0")->setCurrentIndex(0);
        box("switch_cc_comboBox_mode")->setCurrentIndex(0); // Single: no range checks below
        for (const char* event : {"cc", "note", "pc"}) {
            box(QStringLiteral("switch_%1_comboBox_valmax").arg(QLatin1String(event)))->setCurrentIndex(127);
            box(QStringLiteral("switch_%1_comboBox_valmin").arg(QLatin1String(event)))->setCurrentIndex(0);
            box(QStringLiteral("switch_%1_comboBox_chl").arg(QLatin1String(event)))->setCurrentIndex(0);
        }
        box("switch_cc_comboBox_ctl")->setCurrentIndex(0);
        box("switch_note_comboBox_nno")->setCurrentIndex(0);
        box("switch_comboBox0")->setCurrentIndex(0);
        for (const char* name : {"ex_Evert_checkBox", "sw_Evert_checkBox", "ht_Evert_checkBox"})
            child<QCheckBox>(QLatin1String(name))->setChecked(false);
    }

    void applySettings(const QStringList& settings)
    {
        for (const QString& line : settings) {
            const int eq = line.indexOf(QLatin1Char('='));
            const QString name = line.left(eq);
            const QString value = line.mid(eq + 1);
            if (name == QLatin1String("model"))
                window->setDeviceModel(value);
            else if (name.endsWith(QLatin1String("_checkBox")))
                child<QCheckBox>(name)->setChecked(value.toInt() != 0);
            else
                box(name)->setCurrentIndex(value.toInt());
        }
    }

    QPushButton* setButtonOfPage()
    {
        static const char* const buttons[] = {"setButton_6", "setButton_9", "setButton_7"};
        return child<QPushButton>(
            QLatin1String(buttons[child<QStackedWidget>("pedal_type_stack")->currentIndex()]));
    }

    // Lists the simulator as the given product and connects to it; returns once the
    // handshake, the delayed query and the identity exchange are over.
    void connectTo(const QByteArray& product, int capabilities, const QByteArray& model)
    {
        if (port()->isOpen())
            child<QPushButton>("connectButton")->click();
        QVERIFY(!port()->isOpen());
        bus->unplug(device->slavePath());
        device->setCapabilityReport(capabilities);
        device->setModelText(model);
        bus->plug(product, 0x1209, 0x7001, device->slavePath());
        port()->initPort();
        QCOMPARE(box("comboBox_ComDevices")->currentText(), QString::fromLatin1(product));

        QList<PedalSimulator::Request> requests;
        auto collect = connect(device.get(), &PedalSimulator::requestReceived, this,
                               [&](PedalSimulator::Request request) { requests << request; });
        child<QPushButton>("connectButton")->click();
        QVERIFY(port()->isOpen());
        QTRY_COMPARE(box("Pedal_Number")->count(), kJacks);
        QTRY_VERIFY_WITH_TIMEOUT(requests.contains(PedalSimulator::Request::Identity), 3000);
        QTest::qWait(150); // the identity and query replies are handled
        disconnect(collect);
        // The model line the controller reported, as its identity reply sets it.
        window->setDeviceModel(QString::fromLatin1(model));
    }

    // Presses the button and returns the bytes the window wrote.
    QByteArray written(QAbstractButton* button)
    {
        QSignalSpy sent(port(), &SerialPort::txBytes);
        button->click();
        QByteArray bytes;
        for (const QList<QVariant>& args : qAsConst(sent))
            bytes += args.at(0).toByteArray();
        return bytes;
    }

    // The editor states of the set table: settings in the order they are picked, the
    // request they give (byte 21, the curve's reach, is filled in by the test), and the
    // controls whose read-back differs from the state set, as the read-back rules say.
    void editorStates()
    {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QStringList>("readBack");

        // Record bytes from 6: pedal, message, type, channel, event, data 1-4, mode, gain,
        // trigger low, press note, release note, curve, reach, trigger high.
        QTest::newRow("expression CC, the worked example")
            << QStringList{"Pedal_Number=0", "Message_Number=0", "expression_cc_comboBox_ctl=11"}
            << hex("F0 00 21 5E 10 03 00 00 01 00 00 0B 00 00 7F 00 32 00 00 00 32 00 00 F7")
            << QStringList();
        QTest::newRow("expression CC inverted, gain, curve, trigger, notes")
            << QStringList{"Pedal_Number=2",
                           "Message_Number=5",
                           "expression_cc_comboBox_chl=3",
                           "expression_cc_comboBox_ctl=7",
                           "expression_cc_comboBox_valmin=20",
                           "expression_cc_comboBox_valmax=100",
                           "ex_Evert_checkBox=1",
                           "expression_cc_comboBox_gain=70",
                           "expression_cc_comboBox_ql=30",
                           "expression_trigger_level=64",
                           "expression_press_note=36",
                           "expression_release_note=38"}
            << hex("F0 00 21 5E 10 03 02 05 01 03 00 07 00 64 14 00 46 40 24 26 1E 00 00 F7")
            << QStringList();
        QTest::newRow("expression NOTE")
            << QStringList{"Pedal_Number=0",
                           "Message_Number=1",
                           "expression_comboBox0=1",
                           "expression_note_comboBox_chl=9",
                           "expression_note_comboBox_ctl=60",
                           "expression_note_comboBox_valmin=10",
                           "expression_note_comboBox_valmax=90"}
            << hex("F0 00 21 5E 10 03 00 01 01 09 02 3C 00 0A 5A 00 32 00 00 00 32 00 00 F7")
            << QStringList();
        QTest::newRow("expression NOTE inverted")
            << QStringList{"Pedal_Number=0",
                           "Message_Number=1",
                           "expression_comboBox0=1",
                           "expression_note_comboBox_chl=9",
                           "expression_note_comboBox_ctl=60",
                           "expression_note_comboBox_valmin=10",
                           "expression_note_comboBox_valmax=90",
                           "ex_Evert_checkBox=1"}
            << hex("F0 00 21 5E 10 03 00 01 01 09 02 3C 00 5A 0A 00 32 00 00 00 32 00 00 F7")
            << QStringList();
        QTest::newRow("expression Pitch Bend 0 ... 16383")
            << QStringList{"Pedal_Number=0", "Message_Number=2", "expression_comboBox0=2"}
            << hex("F0 00 21 5E 10 03 00 02 01 00 03 00 7F 00 7F 00 32 00 00 00 32 00 00 F7")
            << QStringList();
        QTest::newRow("expression Pitch Bend inverted, 16-bit trigger")
            << QStringList{"Pedal_Number=0",
                           "Message_Number=3",
                           "expression_comboBox0=2",
                           "expression_pitch_comboBox_chl=1",
                           "expression_pitch_comboBox_valmin=1000",
                           "expression_pitch_comboBox_valmax=15000",
                           "ex_Evert_checkBox=1",
                           "expression_trigger_level=300"}
            << hex("F0 00 21 5E 10 03 00 03 01 01 03 75 07 18 68 00 32 2C 00 00 32 00 01 F7")
            << QStringList();
        QTest::newRow("expression Pitch Bend 100 ... 200")
            << QStringList{"Pedal_Number=0", "Message_Number=4", "expression_comboBox0=2",
                           "expression_pitch_comboBox_valmin=100", "expression_pitch_comboBox_valmax=200"}
            << hex("F0 00 21 5E 10 03 00 04 01 00 03 00 01 64 48 00 32 00 00 00 32 00 00 F7")
            << QStringList();
        QTest::newRow("expression Channel Pressure")
            << QStringList{"Pedal_Number=5",
                           "Message_Number=6",
                           "expression_comboBox0=3",
                           "expression_ch_comboBox_chl=15",
                           "expression_ch_comboBox_val1=5",
                           "expression_ch_comboBox_val2=120",
                           "expression_ch_comboBox_gain=40",
                           "expression_ch_comboBox_ql=60"}
            << hex("F0 00 21 5E 10 03 05 06 01 0F 04 05 78 00 00 00 28 00 00 00 3C 00 00 F7")
            << QStringList();
        QTest::newRow("expression Channel Pressure inverted")
            << QStringList{"Pedal_Number=5",
                           "Message_Number=6",
                           "expression_comboBox0=3",
                           "expression_ch_comboBox_chl=15",
                           "expression_ch_comboBox_val1=5",
                           "expression_ch_comboBox_val2=120",
                           "ex_Evert_checkBox=1"}
            << hex("F0 00 21 5E 10 03 05 06 01 0F 04 78 05 00 00 00 32 00 00 00 32 00 00 F7")
            << QStringList();
        // Byte 15 carries the switch page's mode for every type; an expression record
        // does not bring it back.
        QTest::newRow("expression record with the switch page on Toggle")
            << QStringList{"Pedal_Number=0", "Message_Number=7", "switch_cc_comboBox_mode=1"}
            << hex("F0 00 21 5E 10 03 00 07 01 00 00 00 00 00 7F 01 32 00 00 00 32 00 00 F7")
            << QStringList{"switch_cc_comboBox_mode=0", "switch_note_comboBox_mode=0",
                           "switch_pc_comboBox_mode=0", "switch_stop_comboBox_mode=0",
                           "switch_start_comboBox_mode=0"};

        // Switch: values first, then the mode, so no range check intervenes.
        QTest::newRow("switch CC Single: the second value is not sent")
            << QStringList{"pendal_type_comboBox0=1",
                           "Pedal_Number=1",
                           "Message_Number=15",
                           "switch_cc_comboBox_chl=4",
                           "switch_cc_comboBox_ctl=64",
                           "switch_cc_comboBox_valmin=30",
                           "switch_cc_comboBox_valmax=90",
                           "sw_Evert_checkBox=1"}
            << hex("F0 00 21 5E 10 03 01 0F 02 04 00 40 00 1E 00 00 00 00 00 00 00 00 00 F7")
            << QStringList{"switch_cc_comboBox_valmax=127", "sw_Evert_checkBox=0"};
        QTest::newRow("switch CC Toggle")
            << QStringList{"pendal_type_comboBox0=1",
                           "Pedal_Number=1",
                           "Message_Number=15",
                           "switch_cc_comboBox_chl=4",
                           "switch_cc_comboBox_ctl=64",
                           "switch_cc_comboBox_valmin=30",
                           "switch_cc_comboBox_valmax=100",
                           "switch_cc_comboBox_mode=1"}
            << hex("F0 00 21 5E 10 03 01 0F 02 04 00 40 00 1E 64 01 00 00 00 00 00 00 00 F7")
            << QStringList();
        QTest::newRow("switch CC Toggle inverted")
            << QStringList{"pendal_type_comboBox0=1",
                           "Pedal_Number=1",
                           "Message_Number=15",
                           "switch_cc_comboBox_chl=4",
                           "switch_cc_comboBox_ctl=64",
                           "switch_cc_comboBox_valmin=30",
                           "switch_cc_comboBox_valmax=100",
                           "switch_cc_comboBox_mode=1",
                           "sw_Evert_checkBox=1"}
            << hex("F0 00 21 5E 10 03 01 0F 02 04 00 40 00 64 1E 01 00 00 00 00 00 00 00 F7")
            << QStringList();
        QTest::newRow("switch CC Toggle, equal values read back inverted")
            << QStringList{"pendal_type_comboBox0=1",
                           "Pedal_Number=1",
                           "Message_Number=14",
                           "switch_cc_comboBox_valmin=50",
                           "switch_cc_comboBox_valmax=50",
                           "switch_cc_comboBox_mode=1"}
            << hex("F0 00 21 5E 10 03 01 0E 02 00 00 00 00 32 32 01 00 00 00 00 00 00 00 F7")
            << QStringList{"sw_Evert_checkBox=1"};
        QTest::newRow("switch CC LongPress ticked: the marker")
            << QStringList{"pendal_type_comboBox0=1",
                           "Pedal_Number=6",
                           "Message_Number=9",
                           "switch_cc_comboBox_ctl=64",
                           "switch_cc_comboBox_valmin=30",
                           "switch_cc_comboBox_mode=5",
                           "sw_Evert_checkBox=1"}
            << hex("F0 00 21 5E 10 03 06 09 02 00 00 40 00 1E 80 05 00 00 00 00 00 00 00 F7")
            << QStringList();
        QTest::newRow("switch CC LongPress not ticked: both values")
            << QStringList{"pendal_type_comboBox0=1",
                           "Pedal_Number=6",
                           "Message_Number=9",
                           "switch_cc_comboBox_valmin=30",
                           "switch_cc_comboBox_valmax=100",
                           "switch_cc_comboBox_mode=5"}
            << hex("F0 00 21 5E 10 03 06 09 02 00 00 00 00 1E 64 05 00 00 00 00 00 00 00 F7")
            << QStringList();
        QTest::newRow("switch CC Decrease ticked on a long-press model: no marker")
            << QStringList{"pendal_type_comboBox0=1",
                           "Pedal_Number=6",
                           "Message_Number=9",
                           "switch_cc_comboBox_valmin=30",
                           "switch_cc_comboBox_valmax=100",
                           "switch_cc_comboBox_mode=4",
                           "sw_Evert_checkBox=1"}
            << hex("F0 00 21 5E 10 03 06 09 02 00 00 00 00 64 1E 04 00 00 00 00 00 00 00 F7")
            << QStringList();
        QTest::newRow("switch CC Toggle ticked on a model without long press")
            << QStringList{"model=ZRT-30",
                           "pendal_type_comboBox0=1",
                           "Pedal_Number=6",
                           "Message_Number=9",
                           "switch_cc_comboBox_valmin=30",
                           "switch_cc_comboBox_valmax=100",
                           "switch_cc_comboBox_mode=1",
                           "sw_Evert_checkBox=1"}
            << hex("F0 00 21 5E 10 03 06 09 02 00 00 00 00 64 1E 01 00 00 00 00 00 00 00 F7")
            << QStringList();
        // A model without long press takes the mode away; the page falls back to Single.
        QTest::newRow("switch CC LongPress, then a model without long press")
            << QStringList{"pendal_type_comboBox0=1",
                           "Pedal_Number=6",
                           "Message_Number=10",
                           "switch_cc_comboBox_valmin=30",
                           "switch_cc_comboBox_mode=5",
                           "sw_Evert_checkBox=1",
                           "model=ZRT-30"}
            << hex("F0 00 21 5E 10 03 06 0A 02 00 00 00 00 1E 00 00 00 00 00 00 00 00 00 F7")
            << QStringList{"sw_Evert_checkBox=0"};
        QTest::newRow("switch NOTE Reset")
            << QStringList{"pendal_type_comboBox0=1",
                           "Pedal_Number=7",
                           "Message_Number=0",
                           "switch_comboBox0=2",
                           "switch_note_comboBox_chl=2",
                           "switch_note_comboBox_nno=60",
                           "switch_note_comboBox_valmin=10",
                           "switch_note_comboBox_valmax=90",
                           "switch_note_comboBox_mode=2"}
            << hex("F0 00 21 5E 10 03 07 00 02 02 02 3C 00 0A 5A 02 00 00 00 00 00 00 00 F7")
            << QStringList();
        QTest::newRow("switch NOTE LongPress ticked: the marker")
            << QStringList{"pendal_type_comboBox0=1",
                           "Pedal_Number=7",
                           "Message_Number=1",
                           "switch_comboBox0=2",
                           "switch_note_comboBox_nno=61",
                           "switch_note_comboBox_valmin=70",
                           "switch_note_comboBox_mode=5",
                           "sw_Evert_checkBox=1"}
            << hex("F0 00 21 5E 10 03 07 01 02 00 02 3D 00 46 80 05 00 00 00 00 00 00 00 F7")
            << QStringList();
        QTest::newRow("switch PC Single")
            << QStringList{"pendal_type_comboBox0=1",  "Pedal_Number=8",
                           "Message_Number=2",         "switch_comboBox0=1",
                           "switch_pc_comboBox_chl=1", "switch_pc_comboBox_valmin=12"}
            << hex("F0 00 21 5E 10 03 08 02 02 01 01 0C 00 00 00 00 00 00 00 00 00 00 00 F7")
            << QStringList();
        QTest::newRow("switch PC Increase")
            << QStringList{"pendal_type_comboBox0=1",
                           "Pedal_Number=8",
                           "Message_Number=3",
                           "switch_comboBox0=1",
                           "switch_pc_comboBox_chl=1",
                           "switch_pc_comboBox_valmin=12",
                           "switch_pc_comboBox_valmax=40",
                           "switch_pc_comboBox_mode=3"}
            << hex("F0 00 21 5E 10 03 08 03 02 01 01 0C 28 00 00 03 00 00 00 00 00 00 00 F7")
            << QStringList();
        QTest::newRow("switch PC Decrease inverted")
            << QStringList{"pendal_type_comboBox0=1",
                           "Pedal_Number=8",
                           "Message_Number=3",
                           "switch_comboBox0=1",
                           "switch_pc_comboBox_valmin=12",
                           "switch_pc_comboBox_valmax=40",
                           "switch_pc_comboBox_mode=4",
                           "sw_Evert_checkBox=1"}
            << hex("F0 00 21 5E 10 03 08 03 02 00 01 28 0C 00 00 04 00 00 00 00 00 00 00 F7")
            << QStringList();
        QTest::newRow("switch PC LongPress ticked: the marker")
            << QStringList{"pendal_type_comboBox0=1",
                           "Pedal_Number=8",
                           "Message_Number=4",
                           "switch_comboBox0=1",
                           "switch_pc_comboBox_valmin=12",
                           "switch_pc_comboBox_mode=5",
                           "sw_Evert_checkBox=1"}
            << hex("F0 00 21 5E 10 03 08 04 02 00 01 0C 80 00 00 05 00 00 00 00 00 00 00 F7")
            << QStringList();
        QTest::newRow("switch Stop, Toggle")
            << QStringList{"pendal_type_comboBox0=1", "Pedal_Number=0", "Message_Number=8",
                           "switch_comboBox0=3", "switch_stop_comboBox_mode=1"}
            << hex("F0 00 21 5E 10 03 00 08 02 00 07 00 00 00 00 01 00 00 00 00 00 00 00 F7")
            << QStringList();
        QTest::newRow("switch Continue")
            << QStringList{"pendal_type_comboBox0=1", "Pedal_Number=0", "Message_Number=9",
                           "switch_comboBox0=4"}
            << hex("F0 00 21 5E 10 03 00 09 02 00 06 00 00 00 00 00 00 00 00 00 00 00 00 F7")
            << QStringList();
        QTest::newRow("switch Start, Toggle")
            << QStringList{"pendal_type_comboBox0=1", "Pedal_Number=0", "Message_Number=10",
                           "switch_comboBox0=5", "switch_start_comboBox_mode=1"}
            << hex("F0 00 21 5E 10 03 00 0A 02 00 05 00 00 00 00 01 00 00 00 00 00 00 00 F7")
            << QStringList();
        QTest::newRow("switch Tempo on the fourth pedal")
            << QStringList{"pendal_type_comboBox0=1", "Pedal_Number=3", "Message_Number=0",
                           "switch_comboBox0=6"}
            << hex("F0 00 21 5E 10 03 03 00 02 00 08 00 00 00 00 00 00 00 00 00 00 00 00 F7")
            << QStringList();
        QTest::newRow("switch Tempo on the second pedal")
            << QStringList{"pendal_type_comboBox0=1", "Pedal_Number=1", "Message_Number=0",
                           "switch_comboBox0=6"}
            << hex("F0 00 21 5E 10 03 01 00 02 00 08 00 00 01 F4 00 00 00 00 00 00 00 00 F7")
            << QStringList();

        QTest::newRow("hi-hat CC with gain, curve, trigger and notes")
            << QStringList{"pendal_type_comboBox0=2", "Pedal_Number=8",        "Message_Number=12",
                           "hat_cc_comboBox_chl=10",  "hat_cc_comboBox_ctl=4", "hat_cc_comboBox_gain=60",
                           "hat_cc_comboBox_ql=40",   "hat_trigger_level=20",  "hat_press_note=42",
                           "hat_release_note=44"}
            << hex("F0 00 21 5E 10 03 08 0C 03 0A 00 04 00 00 7F 00 3C 14 2A 2C 28 00 00 F7")
            << QStringList();
        QTest::newRow("hi-hat CC inverted")
            << QStringList{"pendal_type_comboBox0=2",   "Pedal_Number=8",
                           "Message_Number=13",         "hat_cc_comboBox_ctl=4",
                           "hat_cc_comboBox_valmin=20", "hat_cc_comboBox_valmax=100",
                           "ht_Evert_checkBox=1"}
            << hex("F0 00 21 5E 10 03 08 0D 03 00 00 04 00 64 14 00 32 00 00 00 32 00 00 F7")
            << QStringList();
        QTest::newRow("hi-hat NOTE")
            << QStringList{"pendal_type_comboBox0=2",    "Pedal_Number=4",
                           "Message_Number=11",          "hat_comboBox0=1",
                           "hat_note_comboBox_chl=1",    "hat_note_comboBox_ctl=46",
                           "hat_note_comboBox_valmin=1", "hat_note_comboBox_valmax=120",
                           "hat_note_comboBox_ql=55"}
            << hex("F0 00 21 5E 10 03 04 0B 03 01 02 2E 00 01 78 00 32 00 00 00 37 00 00 F7")
            << QStringList();
        QTest::newRow("hi-hat NOTE inverted")
            << QStringList{"pendal_type_comboBox0=2",
                           "Pedal_Number=4",
                           "Message_Number=11",
                           "hat_comboBox0=1",
                           "hat_note_comboBox_ctl=46",
                           "hat_note_comboBox_valmin=1",
                           "hat_note_comboBox_valmax=120",
                           "ht_Evert_checkBox=1"}
            << hex("F0 00 21 5E 10 03 04 0B 03 00 02 2E 00 78 01 00 32 00 00 00 32 00 00 F7")
            << QStringList();
    }

    // Sets the row's editor state and presses the page's Set button; returns the
    // request with byte 21 as the curve's reach, and the request the window wrote.
    void setFromEditor(const QStringList& settings, QByteArray request, QByteArray* expected,
                       QByteArray* sent, State* configured)
    {
        ModalWatcher boxes("OK");
        boxes.answerAll();
        freshEditor();
        applySettings(settings);
        if (configured)
            *configured = editorState();
        QVERIFY(window->expressionPlot);
        request[21] = char(window->expressionPlot->reachPercent);
        *expected = request;
        *sent = written(setButtonOfPage());
        QTRY_COMPARE(boxes.history().size(), 1);
        QCOMPARE(boxes.history().at(0).title, QString("Information"));
        QCOMPARE(boxes.history().at(0).text,
                 QString("Set pedal success!")); // and no range warning on the way
    }

private slots:
    void initTestCase()
    {
        applyApplicationLook();
        DownloadServer::setBaseAddressForTesting(
            QStringLiteral("https://127.0.0.1:9")); // nothing answers there
        bus = std::make_unique<FakeDeviceEnumerator>();
        device = std::make_unique<PedalSimulator>();
        device->setJackCount(kJacks);
        QVERIFY(device->start());
        window = std::make_unique<Widget>();
        window->show();
        freshState = editorState(false);
        // A model with the Tempo event and the long press.
        connectTo("Quorvane KX-3", -1, "KX-3");
        freshEditor();
        QCOMPARE(differences(freshState, editorState(false)), QString());
    }

    void cleanupTestCase()
    {
        window.reset();
        device.reset();
        bus.reset();
    }

    void cleanup() { window->setDeviceModel(QStringLiteral("KX-3")); }

    void lookupTable_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("control"); // empty: no control
        QTest::newRow("expression trigger level") << 1 << 0 << 1 << "expression_trigger_level";
        QTest::newRow("expression CC maximum") << 1 << 1 << 5 << "expression_cc_comboBox_valmax";
        QTest::newRow("expression pitch has no number") << 1 << 3 << 3 << "";
        QTest::newRow("channel pressure first value") << 1 << 4 << 3 << "expression_ch_comboBox_val1";
        QTest::newRow("channel pressure has no field 5") << 1 << 4 << 5 << "";
        QTest::newRow("legacy switch status") << 2 << 0 << 1 << "switch_status";
        QTest::newRow("switch PC channel") << 2 << 2 << 2 << "switch_pc_comboBox_chl";
        QTest::newRow("switch NOTE number") << 2 << 3 << 3 << "switch_note_comboBox_nno";
        QTest::newRow("switch Start mode") << 2 << 6 << 1 << "switch_start_comboBox_mode";
        QTest::newRow("switch Stop has no channel") << 2 << 4 << 2 << "";
        QTest::newRow("switch Tempo has nothing") << 2 << 7 << 1 << "";
        QTest::newRow("hi-hat release note") << 3 << 0 << 3 << "hat_release_note";
        QTest::newRow("hi-hat NOTE minimum") << 3 << 2 << 4 << "hat_note_comboBox_valmin";
        QTest::newRow("no type 4") << 4 << 1 << 1 << "";
        QTest::newRow("no field 6") << 1 << 1 << 6 << "";
    }
    void lookupTable()
    {
        QFETCH(int, type);
        QFETCH(int, mode);
        QFETCH(int, field);
        QFETCH(QString, control);
        QComboBox* found = window->getselectComboBox(type, mode, field);
        QCOMPARE(found ? found->objectName() : QString(), control);
        // The same object on every call.
        QCOMPARE(window->getselectComboBox(type, mode, field), found);
    }

    void modeIndexes()
    {
        box("expression_comboBox0")->setCurrentIndex(3);
        box("switch_comboBox0")->setCurrentIndex(6);
        box("hat_comboBox0")->setCurrentIndex(1);
        QCOMPARE(window->getComboBoxModeIndex(1), 4);
        QCOMPARE(window->getComboBoxModeIndex(2), 7);
        QCOMPARE(window->getComboBoxModeIndex(3), 2);
        QCOMPARE(window->getComboBoxModeIndex(0), -1);
        QCOMPARE(window->getComboBoxModeIndex(4), -1);
        window->setComboBoxIndex(nullptr, 3); // no box: nothing happens
        freshEditor();
    }

    void setRequestBytes_data() { editorStates(); }
    void setRequestBytes()
    {
        QFETCH(QStringList, settings);
        QFETCH(QByteArray, request);
        QByteArray expected, sent;
        setFromEditor(settings, request, &expected, &sent, nullptr);
        QCOMPARE(sent.toHex(' '), expected.toHex(' '));
        QCOMPARE(window->getUiValue().toByteArray().toHex(' '), expected.toHex(' '));
        // The controller got the same bytes.
        QCOMPARE(device->setRequests().last().toHex(' '), expected.toHex(' '));
    }

    // Set from the editor, read back with Check into a fresh editor: the editor shows the
    // state that was set, but for what the read-back rules make of the record.
    void roundTrip_data() { editorStates(); }
    void roundTrip()
    {
        QFETCH(QStringList, settings);
        QFETCH(QByteArray, request);
        QFETCH(QStringList, readBack);
        QByteArray expected, sent;
        State configured;
        setFromEditor(settings, request, &expected, &sent, &configured);
        QCOMPARE(sent.toHex(' '), expected.toHex(' '));
        const int pedal = quint8(expected.at(6)), message = quint8(expected.at(7));
        QCOMPARE(device->record(pedal, message).toHex(' '), expected.toHex(' '));

        ModalWatcher boxes("OK");
        boxes.answerAll();
        freshEditor();
        QCOMPARE(differences(freshState, editorState(false)), QString());
        QCOMPARE(box("Pedal_Number")->currentIndex(), pedal);
        QCOMPARE(box("Message_Number")->currentIndex(), message);

        QSignalSpy replies(port(), &SerialPort::pedalMidiDataSignal);
        QCOMPARE(written(child<QPushButton>("checkButton_2")), Protocol::queryShort(pedal, message));
        QTRY_VERIFY(std::any_of(replies.cbegin(), replies.cend(), [](const QList<QVariant>& args) {
            return args.at(0).value<Protocol::MsgPackage>().cmdType == Protocol::QueryReply;
        }));

        State expectedState = configured;
        const State changes = parseState(readBack);
        for (auto it = changes.constBegin(); it != changes.constEnd(); ++it)
            expectedState.insert(it.key(), it.value());
        QCOMPARE(differences(expectedState, editorState()), QString());
        QCOMPARE(box("Pedal_Type")->currentText(), box("pendal_type_comboBox0")->currentText());
        QCOMPARE(box("MIDI_Channel")->currentIndex(), int(quint8(expected.at(9))));
        QVERIFY2(boxes.history().isEmpty(), qPrintable(boxes.titles().join(", ")));
    }

    // Byte 21 is the expression curve's reach, whatever the pedal type.
    void reachByteFollowsTheCurve()
    {
        freshEditor();
        QByteArray record = window->getUiValue().toByteArray();
        QCOMPARE(int(quint8(record.at(21))), 100); // straight line: the maximum at full travel
        box("expression_cc_comboBox_gain")->setCurrentIndex(90);
        const int reach = window->expressionPlot->reachPercent;
        QVERIFY2(reach > 0 && reach < 100, qPrintable(QString::number(reach)));
        box("pendal_type_comboBox0")->setCurrentIndex(2);
        record = window->getUiValue().toByteArray();
        QCOMPARE(int(quint8(record.at(8))), 3);
        QCOMPARE(int(quint8(record.at(21))), reach);
        freshEditor();
    }

    // Records the editor cannot make, straight from the controller.
    void readBackOfOtherRecords_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QStringList>("shown"); // controls that change, "name=index"
        QTest::newRow("Tempo: page only, neither mode nor channel")
            << hex("F0 00 21 5E 10 04 01 02 02 05 08 00 00 01 F4 01 00 00 00 00 00 00 00 F7")
            << QStringList{"Pedal_Number=1",          "Message_Number=2",           "pendal_type_comboBox0=1",
                           "pendal_type_comboBox1=1", "pendal_type_comboBox2=1",    "page:pedal_type_stack=1",
                           "switch_comboBox0=6",      "switch_comboBox1=6",         "switch_comboBox2=6",
                           "switch_comboBox3=6",      "switch_comboBox4=6",         "switch_comboBox5=6",
                           "switch_comboBox6=6",      "page:switch_stackedWidget=6"};
        QTest::newRow("Stop: its trigger mode only")
            << hex("F0 00 21 5E 10 04 00 03 02 05 07 00 00 00 00 01 00 00 00 00 00 00 00 F7")
            << QStringList{"Message_Number=3",
                           "pendal_type_comboBox0=1",
                           "pendal_type_comboBox1=1",
                           "pendal_type_comboBox2=1",
                           "page:pedal_type_stack=1",
                           "switch_comboBox0=3",
                           "switch_comboBox1=3",
                           "switch_comboBox2=3",
                           "switch_comboBox3=3",
                           "switch_comboBox4=3",
                           "switch_comboBox5=3",
                           "switch_comboBox6=3",
                           "page:switch_stackedWidget=3",
                           "switch_stop_comboBox_mode=1",
                           "switch_start_comboBox_mode=1",
                           "switch_cc_comboBox_mode=1",
                           "switch_note_comboBox_mode=1",
                           "switch_pc_comboBox_mode=1"};
        QTest::newRow("switch CC LongPress marker from the controller")
            << hex("F0 00 21 5E 10 04 00 00 02 03 00 07 00 1E 80 05 00 00 00 00 00 00 00 F7")
            << QStringList{
                   "pendal_type_comboBox0=1",      "pendal_type_comboBox1=1",   "pendal_type_comboBox2=1",
                   "page:pedal_type_stack=1",      "switch_cc_comboBox_mode=5", "switch_note_comboBox_mode=5",
                   "switch_pc_comboBox_mode=5",    "switch_cc_comboBox_chl=3",  "switch_cc_comboBox_ctl=7",
                   "switch_cc_comboBox_valmin=30", "sw_Evert_checkBox=1"};
        QTest::newRow("23-byte reply")
            << hex("F0 00 21 5E 10 04 00 04 01 02 00 0B 00 0A 14 00 32 00 00 00 32 00 00")
            << QStringList{"Message_Number=4", "expression_cc_comboBox_chl=2",
                           "expression_cc_comboBox_ctl=11", "expression_cc_comboBox_valmin=10",
                           "expression_cc_comboBox_valmax=20"};
        QTest::newRow("pedal type 0: slot and type selector only")
            << hex("F0 00 21 5E 10 04 02 05 00 03 00 0B 00 0A 14 00 32 00 00 00 32 00 00 F7")
            << QStringList{"Pedal_Number=2", "Message_Number=5", "pendal_type_comboBox0=-1",
                           "pendal_type_comboBox1=-1", "pendal_type_comboBox2=-1"};
    }
    void readBackOfOtherRecords()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QStringList, shown);
        ModalWatcher boxes("OK");
        boxes.answerAll();
        freshEditor();
        box("Pedal_Number")->setCurrentIndex(0);
        box("Message_Number")->setCurrentIndex(0);
        State expected = editorState();
        const State changes = parseState(shown);
        for (auto it = changes.constBegin(); it != changes.constEnd(); ++it)
            expected.insert(it.key(), it.value());
        window->pedalMidiDataSlot({Protocol::QueryReply, frame});
        QCOMPARE(differences(expected, editorState()), QString());
        QVERIFY(boxes.history().isEmpty());
        box("pendal_type_comboBox0")->setCurrentIndex(0);
        freshEditor();
    }

    // An event code past the table names no event: the reply is dropped, the editor
    // stays as it is.
    void unknownEventCodeLeavesTheEditor_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("9") << 9;
        QTest::newRow("0x7F") << 0x7F;
        QTest::newRow("0xFF") << 0xFF;
    }
    void unknownEventCodeLeavesTheEditor()
    {
        QFETCH(int, code);
        freshEditor();
        box("expression_cc_comboBox_valmax")->setCurrentIndex(99);
        box("Pedal_Number")->setCurrentIndex(0);
        box("Message_Number")->setCurrentIndex(3);
        QByteArray record = hex("F0 00 21 5E 10 04 00 03 02 04 00 40 00 1E 64 01 00 00 00 00 00 00 00 F7");
        record[10] = char(code);
        device->setRecord(0, 3, record);
        const State before = editorState();

        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("unknown event code"));
        QSignalSpy replies(port(), &SerialPort::pedalMidiDataSignal);
        child<QPushButton>("checkButton_2")->click();
        QTRY_COMPARE(replies.count(), 1);
        QCOMPARE(replies.at(0).at(0).value<Protocol::MsgPackage>().cmdType, int(Protocol::QueryReply));
        QCOMPARE(differences(before, editorState()), QString());
        // A record of another slot with such a code leaves the slot selectors too.
        record[6] = 4;
        record[7] = 9;
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("unknown event code"));
        window->pedalMidiDataSlot({Protocol::QueryReply, record});
        QCOMPARE(differences(before, editorState()), QString());
        device->resetStore();
        freshEditor();
    }

    void setResults_data()
    {
        QTest::addColumn<int>("code");     // -1: the 8-byte result without a code
        QTest::addColumn<QString>("text"); // empty: the latest-release notice
        QTest::newRow("0 stored") << 0 << "Set pedal success!";
        QTest::newRow("1 wrong pedal number") << 1 << "The pedal number is wrong!";
        QTest::newRow("2 wrong pedal type") << 2 << "Wrong pedal type!";
        QTest::newRow("3 Tempo only once")
            << 3 << "Only one message configuration can be set in Tempo mode. ";
        QTest::newRow("4 unknown") << 4 << "";
        QTest::newRow("0x7F unknown") << 0x7F << "";
        QTest::newRow("8-byte result") << -1 << "";
    }
    void setResults()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        device->setShortSetResult(code < 0);
        device->setSetResultCode(qMax(code, 0));
        freshEditor();

        QMessageBox::Icon icon = QMessageBox::NoIcon;
        Qt::TextFormat format = Qt::AutoText;
        Qt::TextInteractionFlags flags;
        bool parentless = false, externalLinks = false;
        ModalWatcher watcher([&](QWidget* dialog) {
            auto* msg = qobject_cast<QMessageBox*>(dialog);
            QVERIFY(msg);
            icon = msg->icon();
            format = msg->textFormat();
            flags = msg->textInteractionFlags();
            parentless = msg->parentWidget() == nullptr;
            for (QLabel* label : msg->findChildren<QLabel*>())
                externalLinks = externalLinks || (label->text() == msg->text() && label->openExternalLinks());
            msg->button(QMessageBox::Ok)->click();
        });
        child<QPushButton>("setButton_6")->click();
        QVERIFY(watcher.waitHandled());
        device->setShortSetResult(false);
        device->setSetResultCode(0);

        QCOMPARE(watcher.title(), QString("Information"));
        QCOMPARE(watcher.buttonTexts(), QStringList{"OK"});
        QCOMPARE(icon, QMessageBox::Information);
        if (!text.isEmpty()) {
            QCOMPARE(watcher.text(), text);
            QVERIFY(!parentless);
            return;
        }
        const QString site = VendorSite::host();
        QVERIFY2(
            watcher.text().startsWith(
                "This software is the latest release. Please ensure that your product is using the latest "
                "firmware. Download the latest firmware from the official website: "),
            qPrintable(watcher.text()));
        QVERIFY2(watcher.text().contains(QStringLiteral("href=\"%1\"").arg(site)),
                 qPrintable(watcher.text()));
        QVERIFY2(watcher.text().contains(QLatin1String("#FFA500")), qPrintable(watcher.text()));
        QVERIFY(parentless);
        QCOMPARE(format, Qt::RichText);
        QCOMPARE(flags,
                 Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        QVERIFY(externalLinks);
    }

    // The boxes open once the receive path has returned, one per result. (Each opens
    // inside the event loop of the box before it, so the last lies on top.)
    void resultBoxesAreQueued()
    {
        ModalWatcher watcher("OK");
        watcher.answerAll();
        window->pedalMidiDataSlot({Protocol::SetResult, hex("F0 00 21 5E 00 03 00 02 F7")});
        window->pedalMidiDataSlot({Protocol::DeleteResult, hex("F0 00 21 5E 00 05 00 F7")});
        window->pedalMidiDataSlot({Protocol::SetResult, hex("F0 00 21 5E 00 03 00 00 F7")});
        QVERIFY(watcher.history().isEmpty());
        QVERIFY(!QApplication::activeModalWidget());
        QTRY_COMPARE(watcher.history().size(), 3);
        QStringList texts;
        for (const ModalWatcher::Seen& seen : watcher.history())
            texts << seen.text;
        texts.sort();
        QCOMPARE(texts, (QStringList{"Delete message success!", "Set pedal success!", "Wrong pedal type!"}));
        QCOMPARE(watcher.titles(), (QStringList{"Information", "Information", "Information"}));
    }

    void deleteButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("pedalType");
        QTest::newRow("expression page") << "pushButton" << 0;
        QTest::newRow("switch page") << "pushButton_3" << 1;
        QTest::newRow("hi-hat page") << "pushButton_2" << 2;
        QTest::newRow("hidden legacy button") << "deleteButton" << 0;
    }
    void deleteButtons()
    {
        QFETCH(QString, button);
        QFETCH(int, pedalType);
        freshEditor();
        box("pendal_type_comboBox0")->setCurrentIndex(pedalType);
        box("Pedal_Number")->setCurrentIndex(2);
        box("Message_Number")->setCurrentIndex(11); // not part of the request
        QByteArray changed = PedalSimulator::defaultRecord(2, 11);
        changed[13] = 0x22;
        device->setRecord(2, 11, changed);

        ModalWatcher watcher("OK");
        QCOMPARE(written(child<QPushButton>(button)).toHex(' '), hex("F0 00 21 5E 03 05 02 F7").toHex(' '));
        QVERIFY(watcher.waitHandled());
        QCOMPARE(watcher.title(), QString("Information"));
        QCOMPARE(watcher.text(), QString("Delete message success!"));
        QCOMPARE(device->record(2, 11), PedalSimulator::defaultRecord(2, 11));
        freshEditor();
    }

    void factoryReset_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("sent");
        QTest::newRow("confirmed") << "OK" << true;
        QTest::newRow("cancelled") << "Cancel" << false;
    }
    void factoryReset()
    {
        QFETCH(QString, answer);
        QFETCH(bool, sent);
        QAction* reset = nullptr;
        for (QAction* action : window->findChildren<QAction*>())
            if (action->text() == QLatin1String("Factory Reset"))
                reset = action;
        QVERIFY(reset);
        const int before = device->factoryResetCount();
        QSignalSpy tx(port(), &SerialPort::txBytes);
        ModalWatcher watcher(answer);
        reset->trigger();
        QVERIFY(watcher.pressed());
        QCOMPARE(watcher.text(), QString("Factory Reset?"));
        if (sent) {
            QCOMPARE(tx.count(), 1);
            QCOMPARE(tx.at(0).at(0).toByteArray().toHex(' '), hex("F0 00 21 5E 03 05 58 F7").toHex(' '));
            QTRY_COMPARE(device->factoryResetCount(), before + 1);
        } else {
            QTest::qWait(100);
            QCOMPARE(tx.count(), 0);
            QCOMPARE(device->factoryResetCount(), before);
        }
    }

    // The top Check button chooses the query form by the port's model text and the
    // capability report; the page's Check button always asks in the short form.
    void checkButtonQueryForms_data()
    {
        QTest::addColumn<QByteArray>("product");
        QTest::addColumn<int>("caps");
        QTest::addColumn<QList<bool>>("longForPedals"); // pedal indexes 0 .. 3
        QTest::newRow("ZRT-10, capability 2")
            << QByteArray("Quorvane ZRT-10") << 2 << QList<bool>{false, true, false, false};
        QTest::newRow("ZRT-10, capability 0")
            << QByteArray("Quorvane ZRT-10") << 0 << QList<bool>{true, true, true, true};
        QTest::newRow("ZRT-20, capability 5")
            << QByteArray("Quorvane ZRT-20") << 5 << QList<bool>{true, false, true, false};
        QTest::newRow("ZRT-20, capability 0x0F")
            << QByteArray("Quorvane ZRT-20") << 0x0F << QList<bool>{false, false, false, false};
        QTest::newRow("KX-1, capability 0")
            << QByteArray("Quorvane KX-1") << 0 << QList<bool>{false, false, false, false};
    }
    void checkButtonQueryForms()
    {
        QFETCH(QByteArray, product);
        QFETCH(int, caps);
        QFETCH(QList<bool>, longForPedals);
        connectTo(product, caps, "ZRT-10");
        QCOMPARE(port()->deviceCaps, caps);
        ModalWatcher boxes("OK");
        boxes.answerAll();
        QSignalSpy replies(port(), &SerialPort::pedalMidiDataSignal);
        for (int pedal = 0; pedal < longForPedals.size(); ++pedal) {
            // Each reply loads its record (an expression slot) into the editor.
            box("Pedal_Number")->setCurrentIndex(pedal);
            box("Message_Number")->setCurrentIndex(6);
            box("pendal_type_comboBox0")->setCurrentIndex(2);
            const QByteArray expected =
                longForPedals.at(pedal) ? Protocol::queryLong(pedal, 6, 2) : Protocol::queryShort(pedal, 6);
            QCOMPARE(written(child<QPushButton>("checkButton")).toHex(' '), expected.toHex(' '));
            QCOMPARE(written(child<QPushButton>("checkButton_2")).toHex(' '),
                     Protocol::queryShort(pedal, 6).toHex(' '));
            QTRY_COMPARE(replies.count(), 2 * (pedal + 1));
        }
        QVERIFY(boxes.history().isEmpty());
        freshEditor();
    }

    // Without a capability report every model asks in the short form.
    void checkButtonWithoutCapabilityReport()
    {
        connectTo("Quorvane ZRT-10", -1, "ZRT-10");
        port()->deviceCaps = -1; // the value outlives connections; this controller sent none
        box("Pedal_Number")->setCurrentIndex(0);
        box("Message_Number")->setCurrentIndex(0);
        QCOMPARE(written(child<QPushButton>("checkButton")).toHex(' '),
                 Protocol::queryShort(0, 0).toHex(' '));
        QTest::qWait(20);
    }
};

QTEST_MAIN(TestRecordExchange)
#include "tst_record_exchange.moc"
