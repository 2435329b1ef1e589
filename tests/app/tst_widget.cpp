// The main window as a user first meets it: the form, menus, connection state and the
// confirmations, on the real Widget.
#include "app/widget.h"
#include "device/serialport.h"
#include "support/fake_device_enumerator.h"
#include "support/modal_watcher.h"
#include "support/pty_pair.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QActionGroup>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHeaderView>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTableView>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <memory>

namespace {

// Every object of the main form the program refers to by name.
const char* const formObjectNames[] = {
    "rootLayout", "scrollArea", "scrollAreaWidgetContents", "verticalLayout_49", "widget", "horizontalLayout",
    "label_25", "comboBox_ComDevices", "label_26", "connectButton", "pushButton_4", "horizontalLayout_17",
    "General_settings", "label_27", "Pedal_Number", "label", "Message_Number", "checkButton",
    "General_settings_2", "label_4", "Message_Number_2", "label_44", "Pedal_Number_2", "checkButton_2",
    "label_84", "label_ico", "pedal_type_stack", "page_3", "page_4", "page", "Hi_hat_Setting",
    // expression page
    "widget_2", "widget_20", "Switch_Pedal_Setting", "expression_stackedWidget", "page_7", "groupBox_5",
    "expression_comboBox0", "expression_cc_comboBox_chl", "expression_cc_comboBox_ctl",
    "expression_cc_comboBox_valmin", "expression_cc_comboBox_valmax", "expression_cc_comboBox_gain",
    "expression_cc_comboBox_ql", "label_117", "page_6", "groupBox_6", "expression_comboBox1",
    "expression_note_comboBox_chl", "expression_note_comboBox_ctl", "expression_note_comboBox_valmin",
    "expression_note_comboBox_valmax", "expression_note_comboBox_gain", "expression_note_comboBox_ql", "page_5",
    "groupBox_7", "expression_comboBox2", "expression_pitch_comboBox_chl", "expression_pitch_comboBox_valmin",
    "expression_pitch_comboBox_valmax", "expression_pitch_comboBox_gain", "expression_pitch_comboBox_ql",
    "page_8", "groupBox_8", "expression_comboBox3", "expression_ch_comboBox_chl", "expression_ch_comboBox_val1",
    "expression_ch_comboBox_val2", "expression_ch_comboBox_gain", "expression_ch_comboBox_ql", "widget_8",
    "label_125", "label_124", "label_123", "label_126", "label_127", "widget_13", "groupBox_2",
    "expression_trigger_level", "expression_press_note", "expression_release_note", "setButton_6", "pushButton",
    "label_2", "pendal_type_comboBox0", "ex_Evert_checkBox", "widget_4", "label_148", "label_149", "label_150",
    "label_151", "label_152", "tableView", "checkBox_ex", "test", "clearButton",
    // switch page
    "widget_3", "widget_19", "Switch_Pedal_Setting_2", "switch_stackedWidget", "page_9", "groupBox_9",
    "switch_comboBox0", "switch_cc_comboBox_chl", "switch_cc_comboBox_ctl", "switch_cc_comboBox_mode",
    "switch_cc_comboBox_valmin", "switch_cc_comboBox_valmax", "label_48", "page_10", "groupBox_10", "switch_comboBox1",
    "switch_note_comboBox_chl", "switch_note_comboBox_nno", "switch_note_comboBox_mode",
    "switch_note_comboBox_valmin", "switch_note_comboBox_valmax", "label_79", "page_11", "groupBox_11", "switch_comboBox2",
    "switch_pc_comboBox_chl", "switch_pc_comboBox_mode", "switch_pc_comboBox_valmin", "switch_pc_comboBox_valmax", "label_135",
    "page_2", "groupBox_14", "switch_comboBox3", "switch_stop_comboBox_mode", "page_14", "groupBox_15",
    "switch_comboBox4", "switch_ctu_comboBox_mode", "page_15", "groupBox_18", "switch_comboBox5",
    "switch_start_comboBox_mode", "page_16", "groupBox_19", "switch_comboBox6", "switch_tempo_comboBox_mode",
    "setButton_9", "pushButton_3", "label_12", "pendal_type_comboBox1", "sw_Evert_checkBox", "widget_5",
    "label_153", "label_154", "label_155", "label_156", "label_157", "tableView_2", "checkBox_sw",
    "clearButton_2",
    // hi-hat page
    "widget_6", "widget_18", "Switch_Pedal_Setting_3", "hat_stackedWidget", "page_12", "groupBox_12",
    "hat_comboBox0", "hat_cc_comboBox_chl", "hat_cc_comboBox_ctl", "hat_cc_comboBox_valmin",
    "hat_cc_comboBox_valmax", "hat_cc_comboBox_gain", "hat_cc_comboBox_ql", "page_13", "groupBox_13",
    "hat_comboBox1", "hat_note_comboBox_chl", "hat_note_comboBox_ctl", "hat_note_comboBox_valmin",
    "hat_note_comboBox_valmax", "hat_note_comboBox_gain", "hat_note_comboBox_ql", "widget_10", "label_128",
    "label_129", "label_130", "label_131", "label_132", "widget_14", "groupBox_16", "hat_trigger_level",
    "hat_press_note", "hat_release_note", "setButton_7", "pushButton_2", "label_14", "pendal_type_comboBox2",
    "ht_Evert_checkBox", "widget_7", "label_158", "label_159", "label_160", "label_161", "label_162",
    "tableView_3", "checkBox_ht", "clearButton_3",
    // hidden legacy editor
    "Pedal_Type", "MIDI_Channel", "switch_status", "switch_mode", "comboBox", "comboBox_2", "comboBox_3",
    "comboBox_4", "Expression_Pedal_Setting", "comboBox_EPS_status", "comboBox_EPS_D1_1", "comboBox_EPS_D1_2",
    "comboBox_EPS_Gain", "comboBox_EPS_D2_1", "comboBox_EPS_D2_2", "comboBox_SPS_status", "comboBox_SPS_mode",
    "comboBox_SPS_D1_1", "comboBox_SPS_D1_2", "comboBox_SPS_D2_1", "comboBox_SPS_D2_2", "comboBox_HHS_status",
    "comboBox_HHS_DATA1", "comboBox_HHS_TL", "comboBox_HHS_PN", "comboBox_HHS_Gain", "comboBox_HHS_D2_1",
    "comboBox_HHS_D2_2", "comboBox_HHS_RN", "deleteButton", "saveButton", "openButton",
};

const char* const hiddenAtStart[] = {
    "widget_8", "widget_10", "groupBox_16", "groupBox_2", "expression_trigger_level",
    "expression_cc_comboBox_ql", "label_117", "expression_note_comboBox_ql", "expression_pitch_comboBox_ql",
    "expression_ch_comboBox_ql", "hat_cc_comboBox_ql", "hat_note_comboBox_ql", "pushButton_4", "Hi_hat_Setting",
    "label_84", "test",
    // captions of the curve lists
    "label_ex_note_curve", "label_ex_pitch_curve", "label_ex_ch_curve", "label_hat_cc_curve", "label_hat_note_curve",
};

// Buttons that need a connected controller.
const char* const deviceButtons[] = {"openButton", "saveButton", "deleteButton", "checkButton",
                                     "checkButton_2", "setButton_6", "setButton_9", "setButton_7"};

QStringList itemTexts(const QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

QStringList actionTexts(const QList<QAction*>& actions)
{
    QStringList texts;
    for (const QAction* action : actions)
        texts << action->text();
    return texts;
}

QStringList numbers(int first, int last)
{
    QStringList list;
    for (int n = first; n <= last; ++n)
        list << QString::number(n);
    return list;
}

QAction* findAction(const QList<QAction*>& actions, const QString& text)
{
    for (QAction* action : actions)
        if (action->text() == text)
            return action;
    return nullptr;
}

} // namespace

class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void openUrl(const QUrl& url) { urls << url; }
};

class TestWidget : public QObject
{
    Q_OBJECT

private:
    FakeDeviceEnumerator devices; // no real USB bus or serial ports in these tests
    std::unique_ptr<Widget> window;

    template <typename T = QWidget>
    T* child(const char* name)
    {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qWarning("missing child %s", name);
        return found;
    }

    QMenuBar* menuBar() { return window->findChild<QMenuBar*>(); }
    QMenu* topMenu(const QString& title)
    {
        const auto actions = menuBar()->actions();
        QAction* action = findAction(actions, title);
        return action ? action->menu() : nullptr;
    }
    SerialPort* port() { return window->findChild<SerialPort*>(); }

    // Opens the window's port on a fresh pseudo-terminal, as if a controller were attached.
    bool openOn(PtyPair& pty)
    {
        if (!pty.open())
            return false;
        port()->setPortName(pty.slavePath());
        if (!port()->open(QIODevice::ReadWrite))
            return false;
        window->updateDeviceState();
        return true;
    }

private slots:
    void initTestCase()
    {
        applyApplicationLook();
        QFile::remove(settingsFilePath());
    }

    void init()
    {
        window = std::make_unique<Widget>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup() { window.reset(); }

    void formObjectsExistOnce()
    {
        // Dialogs owned by the window have forms of their own that reuse names such as
        // pushButton or comboBox; only the window's own form counts here.
        const auto inOwnForm = [this](const QObject* object) {
            for (const QObject* p = object->parent(); p && p != window.get(); p = p->parent()) {
                if (qobject_cast<const QDialog*>(p))
                    return false;
            }
            return true;
        };
        QStringList wrong;
        for (const char* name : formObjectNames) {
            const QList<QObject*> found = window->findChildren<QObject*>(QString::fromLatin1(name));
            const int count = int(std::count_if(found.begin(), found.end(), inOwnForm));
            if (count != 1)
                wrong << QStringLiteral("%1 x%2").arg(name).arg(count);
        }
        QCOMPARE(wrong, QStringList());
    }

    void stackPagesInFixedOrder_data()
    {
        QTest::addColumn<QString>("stack");
        QTest::addColumn<QStringList>("pages");
        QTest::newRow("pedal types") << "pedal_type_stack" << QStringList{"page_3", "page_4", "page"};
        QTest::newRow("expression events")
            << "expression_stackedWidget" << QStringList{"page_7", "page_6", "page_5", "page_8"};
        QTest::newRow("switch events") << "switch_stackedWidget"
                                       << QStringList{"page_9", "page_10", "page_11", "page_2", "page_14",
                                                      "page_15", "page_16"};
        QTest::newRow("hi-hat events") << "hat_stackedWidget" << QStringList{"page_12", "page_13"};
    }
    void stackPagesInFixedOrder()
    {
        QFETCH(QString, stack);
        QFETCH(QStringList, pages);
        auto* widget = window->findChild<QStackedWidget*>(stack);
        QVERIFY(widget);
        QStringList actual;
        for (int i = 0; i < widget->count(); ++i)
            actual << widget->widget(i)->objectName();
        QCOMPARE(actual, pages);
        QCOMPARE(widget->currentIndex(), 0);
    }

    void advancedAndLegacyControlsHiddenAtStart()
    {
        QStringList shown;
        for (const char* name : hiddenAtStart) {
            auto* widget = window->findChild<QWidget*>(QString::fromLatin1(name));
            if (!widget || !widget->isHidden())
                shown << QString::fromLatin1(name);
        }
        QCOMPARE(shown, QStringList());
    }

    void everydayControlsVisible()
    {
        for (const char* name : {"comboBox_ComDevices", "connectButton", "Pedal_Number", "Message_Number",
                                 "checkButton_2", "pedal_type_stack", "setButton_6", "pushButton", "tableView",
                                 "clearButton", "pendal_type_comboBox0", "label_ico"})
            QVERIFY2(child(name)->isVisible(), name);
        QVERIFY(menuBar()->isVisible());
        QVERIFY(!child<QLabel>("label_ico")->pixmap(Qt::ReturnByValue).isNull());
    }

    void notConnectedStateAtStart()
    {
        QVERIFY(child("comboBox_ComDevices")->isEnabled());
        QCOMPARE(child<QPushButton>("connectButton")->text(), QString("Connect"));
        for (const char* name : deviceButtons)
            QVERIFY2(!child(name)->isEnabled(), name);
        QVERIFY(!child("expression_press_note")->isEnabled());
        QVERIFY(!child("expression_release_note")->isEnabled());
    }

    void titleAndSizeLimits()
    {
        QCOMPARE(window->windowTitle(), QString("Quillmar V4.0.2"));
        QCOMPARE(window->minimumSize(), QSize(810, 480));
        window->resize(400, 300);
        QVERIFY(window->width() >= 810);
        QVERIFY(window->height() >= 480);
        QVERIFY(!window->windowIcon().isNull());
    }

    void codeFilledLists()
    {
        QCOMPARE(child<QComboBox>("Pedal_Number")->count(), 0);
        QCOMPARE(itemTexts(child<QComboBox>("Message_Number")), numbers(1, 16));
        QCOMPARE(itemTexts(child<QComboBox>("Message_Number_2")), numbers(1, 16));
        QCOMPARE(child<QComboBox>("Pedal_Number_2")->count(), 0);
        QCOMPARE(itemTexts(child<QComboBox>("Pedal_Type")), (QStringList{"Expression", "Switch", "Hi-Hat"}));
        QCOMPARE(itemTexts(child<QComboBox>("MIDI_Channel")), numbers(1, 16));
        QCOMPARE(itemTexts(child<QComboBox>("comboBox_EPS_status")),
                 (QStringList{"CC", "NOTE", "Pitch Bend", "Channel Pressure"}));
        QCOMPARE(itemTexts(child<QComboBox>("comboBox_SPS_status")), (QStringList{"CC", "PC", "NOTE"}));
        QCOMPARE(itemTexts(child<QComboBox>("comboBox_SPS_mode")),
                 (QStringList{"Single", "Toggle", "Reset", "Increase", "Decrease"}));
        QCOMPARE(itemTexts(child<QComboBox>("comboBox_HHS_status")), (QStringList{"CC", "NOTE"}));
        QCOMPARE(itemTexts(child<QComboBox>("comboBox_EPS_Gain")), QStringList{"OFF"} + numbers(1, 100));
        QCOMPARE(itemTexts(child<QComboBox>("comboBox_HHS_TL")), QStringList{"OFF"} + numbers(1, 127));
        for (const char* name : {"comboBox_EPS_D1_1", "comboBox_SPS_D2_2", "comboBox_HHS_DATA1", "comboBox_HHS_RN"})
            QCOMPARE(itemTexts(child<QComboBox>(name)), numbers(0, 127));
    }

    void liveTablesConfigured()
    {
        for (const char* name : {"tableView", "tableView_2", "tableView_3"}) {
            auto* view = child<QTableView>(name);
            QVERIFY(view->model());
            QCOMPARE(view->model()->columnCount(), 4);
            QCOMPARE(view->model()->headerData(0, Qt::Horizontal).toString(), QString("STATUS"));
            QCOMPARE(view->model()->headerData(3, Qt::Horizontal).toString(), QString("CHAN"));
            QVERIFY(view->horizontalHeader()->isHidden());
            QVERIFY(view->verticalHeader()->isHidden());
            QCOMPARE(view->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
            QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
            QVERIFY(!view->showGrid());
        }
        // Three tables, three models.
        QVERIFY(child<QTableView>("tableView")->model() != child<QTableView>("tableView_2")->model());
    }

    void comboBoxesOpenPlainListPopups()
    {
        const auto boxes = window->findChildren<QComboBox*>();
        QVERIFY(boxes.size() > 100);
        for (QComboBox* box : boxes) {
            QCOMPARE(box->style()->styleHint(QStyle::SH_ComboBox_Popup, nullptr, box), 0);
            QCOMPARE(box->height(), 24);
        }
    }

    void menusInOrder()
    {
        QCOMPARE(actionTexts(menuBar()->actions()), (QStringList{"File", "Setting", "Help"}));
        QCOMPARE(actionTexts(topMenu("File")->actions()),
                 (QStringList{"Open File", "Save File", "Save File As", "Exit"}));
        QCOMPARE(actionTexts(topMenu("Setting")->actions()),
                 (QStringList{"MIDI Note=60 Name", "Show CC Name", "Factory Reset", "Firmware Upgrade"}));
        QCOMPARE(actionTexts(topMenu("Help")->actions()),
                 (QStringList{"About", "User Manual", "Check for Update "}));

        QMenu* notes = findAction(topMenu("Setting")->actions(), "MIDI Note=60 Name")->menu();
        QVERIFY(notes);
        const auto noteActions = notes->actions();
        QCOMPARE(actionTexts(noteActions), (QStringList{"C3", "C4", "C5"}));
        for (QAction* action : noteActions) {
            QVERIFY(action->isCheckable());
            QVERIFY(action->actionGroup());
            QVERIFY(action->actionGroup()->isExclusive());
            QCOMPARE(action->actionGroup(), noteActions.first()->actionGroup());
        }
        QVERIFY(findAction(topMenu("Setting")->actions(), "Show CC Name")->isCheckable());

        QMenu* manuals = findAction(topMenu("Help")->actions(), "User Manual")->menu();
        QVERIFY(manuals);
        QCOMPARE(actionTexts(manuals->actions()),
                 (QStringList{QString::fromUtf8("中文说明书"), "English User Manual"}));
    }

    void manualsOpenInBrowser()
    {
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler("https", &recorder, "openUrl");
        QMenu* manuals = findAction(topMenu("Help")->actions(), "User Manual")->menu();
        manuals->actions().at(0)->trigger();
        manuals->actions().at(1)->trigger();
        QDesktopServices::unsetUrlHandler("https");

        QCOMPARE(recorder.urls.size(), 2);
        QCOMPARE(recorder.urls.at(0).path(), QString::fromUtf8("/download/Product/Quillmar/Quillmar说明书.pdf"));
        QCOMPARE(recorder.urls.at(1).path(), QString("/download/Product/Quillmar/Quillmar_Manual.pdf"));
        QCOMPARE(recorder.urls.at(1).scheme(), QString("https"));
    }

    void aboutBoxRunsModally()
    {
        ModalWatcher watcher("OK");
        findAction(topMenu("Help")->actions(), "About")->trigger();
        QVERIFY(watcher.seen());
        QCOMPARE(watcher.className(), QString("CustomDialog"));
        QVERIFY(watcher.pressed());
    }

    // "Exit" asks first; only OK ends the application's event loop.
    void exitAsksFirst_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("quits");
        QTest::newRow("Cancel keeps running") << "Cancel" << false;
        QTest::newRow("OK quits") << "OK" << true;
    }
    void exitAsksFirst()
    {
        QFETCH(QString, answer);
        QFETCH(bool, quits);
        ModalWatcher watcher(answer);
        QTimer::singleShot(0, this, [this] { findAction(topMenu("File")->actions(), "Exit")->trigger(); });
        // Ends the loop with 42 unless the answer already quit it.
        QTimer fallback;
        fallback.setSingleShot(true);
        connect(&fallback, &QTimer::timeout, this, [] { QCoreApplication::exit(42); });
        fallback.start(500);
        const int code = QCoreApplication::exec();
        fallback.stop();
        QVERIFY(watcher.seen());
        QCOMPARE(watcher.title(), QString("Exit"));
        QCOMPARE(watcher.text(), QString("Exit software?"));
        QCOMPARE(watcher.buttonTexts().size(), 2);
        QCOMPARE(code == 0, quits);
    }

    void factoryResetConfirmedSendsResetFrame_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("Cancel sends nothing") << "Cancel" << QByteArray();
        QTest::newRow("OK sends the reset") << "OK" << QByteArray::fromHex("F0 00 21 5E 03 05 58 F7");
    }
    void factoryResetConfirmedSendsResetFrame()
    {
        QFETCH(QString, answer);
        QFETCH(QByteArray, sent);
        PtyPair pty;
        QVERIFY(openOn(pty));

        ModalWatcher watcher(answer);
        findAction(topMenu("Setting")->actions(), "Factory Reset")->trigger();
        QVERIFY(watcher.seen());
        QCOMPARE(watcher.title(), QString("Reset"));
        QCOMPARE(watcher.text(), QString("Factory Reset?"));
        QTRY_VERIFY(port()->bytesToWrite() == 0);
        QCOMPARE(pty.readFromSlave(sent.isEmpty() ? 100 : 2000), sent);
        port()->close();
    }

    void factoryResetWhileNotConnectedShowsNoError()
    {
        QVERIFY(!port()->isOpen());
        ModalWatcher confirm("OK");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("device not open"));
        findAction(topMenu("Setting")->actions(), "Factory Reset")->trigger();
        QVERIFY(confirm.pressed());
        ModalWatcher anyOther("OK");
        QTest::qWait(200);
        QVERIFY(!anyOther.seen());
    }

    void connectionStateFollowsPort()
    {
        PtyPair pty;
        QVERIFY(openOn(pty));
        QVERIFY(!child("comboBox_ComDevices")->isEnabled());
        QCOMPARE(child<QPushButton>("connectButton")->text(), QString("Disconnect"));
        for (const char* name : deviceButtons)
            QVERIFY2(child(name)->isEnabled(), name);

        // Unplugging: the line hangs up, the port reports a resource error.
        pty.closeMaster();
        QTRY_VERIFY_WITH_TIMEOUT(!port()->isOpen(), 3000);
        QVERIFY(child("comboBox_ComDevices")->isEnabled());
        QCOMPARE(child<QPushButton>("connectButton")->text(), QString("Connect"));
        for (const char* name : deviceButtons)
            QVERIFY2(!child(name)->isEnabled(), name);
    }

    void otherSerialErrorsKeepTheConnection()
    {
        PtyPair pty;
        QVERIFY(openOn(pty));
        QSignalSpy errors(port(), &QSerialPort::errorOccurred);
        // Opening an open port fails with an open error; the connection stays.
        QVERIFY(!port()->open(QIODevice::ReadWrite));
        QCOMPARE(errors.count(), 1);
        QCOMPARE(port()->error(), QSerialPort::OpenError);
        QVERIFY(port()->isOpen());
        QCOMPARE(child<QPushButton>("connectButton")->text(), QString("Disconnect"));
        port()->close();
    }

    void controllerListsFollowTheSetting_data()
    {
        QTest::addColumn<QString>("stored"); // empty: no key in the file
        QTest::addColumn<bool>("names");
        QTest::newRow("no key") << QString() << true;
        QTest::newRow("true") << "true" << true;
        QTest::newRow("false") << "false" << false;
    }
    void controllerListsFollowTheSetting()
    {
        QFETCH(QString, stored);
        QFETCH(bool, names);
        window.reset();
        QFile::remove(settingsFilePath());
        if (!stored.isEmpty()) {
            QSettings file(settingsFilePath(), QSettings::IniFormat);
            file.setValue("showCCNameEnabled", stored == "true");
        }
        window = std::make_unique<Widget>();

        QAction* show = findAction(topMenu("Setting")->actions(), "Show CC Name");
        QCOMPARE(show->isChecked(), names);
        for (const char* name : {"expression_cc_comboBox_ctl", "switch_cc_comboBox_ctl"}) {
            auto* box = child<QComboBox>(name);
            QCOMPARE(box->count(), 128);
            QCOMPARE(box->itemText(7), names ? QString("7) Volume") : QString("7"));
            QCOMPARE(box->itemText(127), names ? QString("127) Poly On") : QString("127"));
        }
        QFile::remove(settingsFilePath());
    }

    void settingsFolderCreated()
    {
        QVERIFY(QDir(QFileInfo(settingsFilePath()).absolutePath()).exists());
    }
};

QTEST_MAIN(TestWidget)
#include "tst_widget.moc"
