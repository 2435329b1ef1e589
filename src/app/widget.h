#pragma once

#include "protocol/msg_package.h"
#include "protocol/frames.h"

#include <QMap>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace Ui {
class Widget;
}

class ComboPopupFixer;
class CustomDialog;
class QAction;
class QActionGroup;
class QComboBox;
class QMenu;
class QMenuBar;
class QSettings;
class QStandardItemModel;
class SerialPort;

// The main window. One class owns the whole program; its members are grouped by
// subsystem below and defined in the source files of the matching folder.
class Widget : public QWidget
{
    Q_OBJECT

public:
    explicit Widget(QWidget* parent = nullptr);
    ~Widget() override;

    // --- Application shell (src/app/widget.cpp) ---
    static void showMsgBox(QString text);
    void updateDeviceState();
    void setbutton_endisable(bool enabled);
    void init_ui();
    // The curve, trigger and curve-list controls of the models that support them.
    void setAdvancedControlsVisible(bool visible);

signals:
    // Automatic firmware upgrade progress, received by the upgrade progress dialog.
    void send_mtd_version(QString MTD, QString version);
    void send_possvalue(int value);
    void done();

public slots:
    void handleSerialError(QSerialPort::SerialPortError error);

    // --- Device link and reply dispatch (src/device, src/protocol) ---
    void pedalMidiDataSlot(Protocol::MsgPackage package);

private slots:
    void on_connectButton_clicked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // --- Application shell: construction steps ---
    void applyComboBoxLook();
    void buildMenus();
    void setupDataTables();
    void fillLegacyLists();
    void giveOwnComboStyle(QComboBox* box);
    void confirmExit();
    void confirmFactoryReset();

    // --- Device link (src/device/widget_connection.cpp) ---
    void connectDevice();
    void disconnectDevice();
    void adaptToDeviceModel(const QString& portText);
    void clearLiveTables();

    // --- MIDI naming (src/editor) ---
    void fillControllerList(QComboBox* box, bool withNames);

    Ui::Widget* ui = nullptr;
    SerialPort* serialPort = nullptr;
    CustomDialog* aboutDialog = nullptr;
    ComboPopupFixer* comboPopupFixer = nullptr;
    QSettings* settings = nullptr;

    // Live-data table models of tableView, tableView_2, tableView_3.
    QStandardItemModel* exTableModel = nullptr;
    QStandardItemModel* swTableModel = nullptr;
    QStandardItemModel* htTableModel = nullptr;

    QStringList eventNames;              // event code -> selector text
    QMap<QString, int> eventCodeByName;  // selector text -> event code

    // Menus; actions whose handlers belong to other subsystems are connected there.
    QMenuBar* menuBar = nullptr;
    QAction* actionOpenFile = nullptr;
    QAction* actionSaveFile = nullptr;
    QAction* actionSaveFileAs = nullptr;
    QAction* actionExit = nullptr;
    QActionGroup* midiNoteGroup = nullptr;
    QAction* actionNoteC3 = nullptr;
    QAction* actionNoteC4 = nullptr;
    QAction* actionNoteC5 = nullptr;
    QAction* actionShowCCName = nullptr;
    QAction* actionFactoryReset = nullptr;
    QAction* actionFirmwareUpgrade = nullptr;
    QAction* actionAbout = nullptr;
    QAction* actionManualChinese = nullptr;
    QAction* actionManualEnglish = nullptr;
    QAction* actionCheckForUpdate = nullptr;

    // Controller naming state.
    bool showCCNames = false;

    // Identity of the connected controller, "xx" while unknown.
    QString deviceModel;
    QString deviceVersion;
    bool firmwareCheckStarted = false;

    // --- Configuration editor ---
public:
    // Page switching and selector mirrors (src/editor/widget_pages.cpp).
    void pendal_type_init();
    void pedal_type_connect();
    void setupComboBoxes_type();
    void cleanvalue(QString kind, QString pageKey);
    int getPendalTypeComboBoxIndex();

    // Expression pages (src/editor/widget_expression.cpp).
    void expression_status();
    void expression_status_connect();
    void expression_init_CC();
    void expression_init_Note();
    void setupComboBoxes();
    void expression_init_Pitch();
    void expression_init_CH();

    // Switch pages (src/editor/widget_switch.cpp).
    void switch_status_init();
    void switch_status_connect();
    void setupComboBoxes_switch();
    void switch_init_CC();
    void switch_init_PC();
    void switch_init_Note();
    void switch_init_other();
    void setupComboBoxes_modeswitch_();
    void switch_clearstatus();
    void switch_status();     // event lists with "Tempo" (KX-1, KX-3)
    void switch_status_kx1(); // event lists without "Tempo"
    bool supportsLongPress() const;
    // The model line the connected controller reported; offers its switch modes.
    void setDeviceModel(const QString& model);
    void refreshSwitchLongPressAvailability();
    void refreshSwitchModeUi();

    // Hi-hat pages (src/editor/widget_hat.cpp).
    void hat_init_CC();
    void hat_init_Note();
    void hat_status();
    void hat_status_connect();
    void setupComboBoxes_hat();

    // MIDI naming (src/editor/widget_naming.cpp).
    QString getMidiNoteName(int note, int convention);
    QString getMidiCCName(int controller);
    void populateNoteComboBox(QComboBox* box, int convention);
    void populateComboBox(QComboBox* box);
    int extractNumberFromString(const QString& text);
    void applyNoteNamingConvention(int convention); // refills the six convention-dependent note lists
    void applyControllerNames(bool withNames);      // refills the three controller lists

    // Application settings (src/storage/widget_settings.cpp).
    void triggerCurrentMidiNoteAction();

public slots:
    void Changed_stack_type(const QString& text);
    void Changed_stack(const QString& text);
    void Changed_stack_switch(const QString& text);
    void Changed_stack_hat(const QString& text);
    void syncComboBoxIndexes_type(int index);
    void syncComboBoxIndexes(int index);
    void syncComboBoxIndexes_switch(int index);
    void syncComboBoxIndexes_hat(int index);
    void syncComboBoxIndexes_modeswitch(int index);

private slots:
    void on_expression_cc_comboBox_valmin_currentIndexChanged(int index);
    void on_expression_cc_comboBox_valmax_currentIndexChanged(int index);
    void on_expression_note_comboBox_valmin_currentIndexChanged(int index);
    void on_expression_note_comboBox_valmax_currentIndexChanged(int index);
    void on_expression_pitch_comboBox_valmin_currentIndexChanged(int index);
    void on_expression_pitch_comboBox_valmax_currentIndexChanged(int index);
    void on_expression_ch_comboBox_val1_currentIndexChanged(int index);
    void on_expression_ch_comboBox_val2_currentIndexChanged(int index);
    void on_expression_cc_comboBox_gain_currentIndexChanged(int index);
    void on_expression_cc_comboBox_ql_currentIndexChanged(int index);
    void on_expression_note_comboBox_gain_currentIndexChanged(int index);
    void on_expression_note_comboBox_ql_currentIndexChanged(int index);
    void on_expression_pitch_comboBox_gain_currentIndexChanged(int index);
    void on_expression_pitch_comboBox_ql_currentIndexChanged(int index);
    void on_expression_ch_comboBox_gain_currentIndexChanged(int index);
    void on_expression_ch_comboBox_ql_currentIndexChanged(int index);
    void on_expression_trigger_level_currentIndexChanged(const QString& text);
    void on_expression_trigger_level_activated(const QString& text);
    void on_expression_cc_comboBox_ctl_currentIndexChanged(const QString& text);

    void on_switch_cc_comboBox_mode_currentIndexChanged(const QString& text);
    void on_switch_note_comboBox_mode_currentIndexChanged(const QString& text);
    void on_switch_pc_comboBox_mode_currentIndexChanged(const QString& text);
    void on_switch_cc_comboBox_valmin_currentIndexChanged(int index);
    void on_switch_cc_comboBox_valmax_currentIndexChanged(int index);
    void on_switch_note_comboBox_valmin_currentIndexChanged(int index);
    void on_switch_note_comboBox_valmax_currentIndexChanged(int index);
    void on_switch_pc_comboBox_valmin_currentIndexChanged(int index);
    void on_switch_pc_comboBox_valmax_currentIndexChanged(int index);

    void on_hat_cc_comboBox_valmin_currentIndexChanged(int index);
    void on_hat_cc_comboBox_valmax_currentIndexChanged(int index);
    void on_hat_cc_comboBox_gain_currentIndexChanged(int index);
    void on_hat_cc_comboBox_ql_currentIndexChanged(int index);
    void on_hat_note_comboBox_valmin_currentIndexChanged(int index);
    void on_hat_note_comboBox_valmax_currentIndexChanged(int index);
    void on_hat_note_comboBox_gain_currentIndexChanged(int index);
    void on_hat_note_comboBox_ql_currentIndexChanged(int index);
    void on_hat_trigger_level_currentIndexChanged(const QString& text);

private:
    // Shared by the handlers of all pages: restore values after an invalid choice,
    // and one flag per handler that swallows the notification caused by filling its list.
    int previousValMinIndex = 0;
    int previousValMaxIndex = 127;
    bool a1 = true, a2 = true, a3 = true, a4 = true, a5 = true, a6 = true, a7 = true, a8 = true;
    bool a9 = true, a10 = true, a11 = true;
    bool isFirstRunGain = true;
    bool isFirstRunValmax = true;

    // Curve hand-over of the value handlers, and the shared range check.
    void expressionCurveHandOver(const std::function<void(class MyCustomPlot*)>& store);
    void hatCurveHandOver(class MyCustomPlot* gate, const std::function<void(class MyCustomPlot*)>& store);
    bool checkRange(bool valid, const char* title, const char* text, QComboBox* restored, int restoreIndex,
                    bool blockWhileRestoring);

    // Note naming convention used by the live monitor: 1 "C4", 2 "C3", 3 "C5".
    int noteNamingConvention = 2;

    // Settings menu handlers.
    void onMidiNoteGroupTriggered(QAction* action);
    void onShowCCNameTriggered(bool checked);

    // --- Response curve (src/curve/widget_curve.cpp) ---
public:
    void curve_draw();
    void curve_draw_hat();
    void updateCustomPlotData();

    // Curve editors inside widget_13 (expression) and widget_14 (hi-hat); null until first built.
    class MyCustomPlot* expressionPlot = nullptr;
    class MyCustomPlot* hatPlot = nullptr;
    bool expressionPlotBuilt = false;  // set by the page handlers after their first build
    bool hatPlotBuilt = false;
    bool handleMoving = false;  // a curve handle is being dragged; page handlers leave the editor alone

public slots:
    void rec_max_min_gain(int max, int min, int gain, int cgain);
    void rec_max_min_gain_hat(int max, int min, int gain, int cgain);
    void moveflagchange(bool flag);
    void drawCirclesOnWidget(QPoint startCoord, QPoint endCoord);

    // --- Query, set, delete and preset files (src/protocol/widget_records.cpp, src/storage/widget_presets.cpp) ---
public:
    // The record exchange (src/protocol/widget_records.cpp).
    QComboBox* getselectComboBox(int type, int mode, int field); // null for a key without a control
    int getComboBoxModeIndex(int type);
    void setComboBoxIndex(QComboBox* box, int index);
    Protocol::MsgSetPandelAsk getUiValue();
    void setUiData(Protocol::MsgSetPandelAsk* record);

    // Preset files (src/storage/widget_presets.cpp).
    void saveDataToIniFile();
    void save_as_DataToIniFile();
    void loadDataFromIniFile();

private slots:
    void on_checkButton_clicked();
    void on_checkButton_2_clicked();
    void on_setButton_6_clicked();
    void on_setButton_9_clicked();
    void on_setButton_7_clicked();
    void on_pushButton_clicked();
    void on_pushButton_2_clicked();
    void on_pushButton_3_clicked();
    void on_deleteButton_clicked();
    void on_saveButton_clicked();
    void on_openButton_clicked();

private:
    void handleSetResult(const QByteArray& frame);
    void handleDeleteResult();
    void handleQueryReply(const QByteArray& frame);
    void queueInformation(const QString& text);
    void showLatestReleaseNotice();
    void sendSetRequest();
    void sendDeleteRequest();
    bool writePresetFile(bool saveAs, const QString& chosenName);

    QMap<QString, QComboBox*> selectComboBoxes; // the control lookup table, filled on first use
    QString presetFilePath;                     // name chosen by the last save dialog

public slots:

    // --- Live monitor (src/monitor/) ---
public:
    // Live data (src/monitor/widget_live.cpp).
    void processPedalUploadCmd(const QByteArray& frame);
    void updateTableViews(class QStandardItem* event, class QStandardItem* no, class QStandardItem* value,
                          class QStandardItem* channel);
    void handleExpressionMode(const QByteArray& frame, class QStandardItem* value);
    void handleSwitchMode(const QByteArray& frame, class QStandardItem* no, class QStandardItem* value);
    void handleHiHatMode(const QByteArray& frame, class QStandardItem* value);
    void handleSpecialFormat(const QStringList& parts, const QByteArray& frame, class QStandardItem* item);

    // Pedal views (src/monitor/widget_pedal_views.cpp).
    void initPedalView_ex();
    void initPedalView_sw();
    void initPedalView_ht();
    void pedal_play_ex(class QStandardItem* item);
    void pedal_play_sw(class QStandardItem* item);
    void pedal_play_ht(class QStandardItem* item);
    void updatePedalScaling();

    // Serial monitor (src/monitor/widget_serial_monitor.cpp); also opened with Ctrl+Shift+M.
    void ensureSerialMonitorDialog();
    void updateSerialMonitorPortLabel();
    void appendSerialMonitorBytes(const QByteArray& data, bool tx);

private slots:
    void on_clearButton_clicked();
    void on_clearButton_2_clicked();
    void on_clearButton_3_clicked();
    void on_pushButton_4_clicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void queuePedalFrame(const QByteArray& frame);
    void drainPedalFrames();
    void flushLiveRows();
    void holdPedalViews(bool hold);
    void scrollLiveTables();
    void appendSerialMonitorError();
    void installSerialMonitorShortcut();

    QList<QByteArray> pedalFrameQueue; // oldest first, at most LiveDecoder::maxQueuedFrames
    bool pedalDrainScheduled = false;
    int pedalIgnoreCounter = 0;        // frames still listed without animating (trigger level)
    bool pedalDraining = false;        // a drain batch is running: its rows wait in pendingLiveRows
    QList<QStringList> pendingLiveRows; // rows of drained frames not yet in the tables, oldest first
    class QTimer* liveRowTimer = nullptr; // at most one table update per interval while frames pour in
    bool trimmingLiveTables = false;
    class QObject* liveTableWatcher = nullptr; // scrolls a table that was hidden when rows arrived

    class QGraphicsScene* exScene = nullptr;
    class QGraphicsScene* swScene = nullptr;
    class QGraphicsScene* htScene = nullptr;
    class QGraphicsView* exView = nullptr;
    class QGraphicsView* swView = nullptr;
    class QGraphicsView* htView = nullptr;
    class MyPixmapItem* exPedalItem = nullptr;
    class MyPixmapItem* swPedalItem = nullptr;
    class MyPixmapItem* htPedalItem = nullptr;
    class QGraphicsRotation* swRotation = nullptr;

    class QDialog* serialMonitorDialog = nullptr;
    class QLabel* serialMonitorPortLabel = nullptr;
    class QCheckBox* serialMonitorPause = nullptr;
    class QCheckBox* serialMonitorAutoScroll = nullptr;
    class QPlainTextEdit* serialMonitorView = nullptr;

public slots:

    // --- Firmware upgrade (src/upgrade/) ---
    // upgrade dialog (src/upgrade/widget_upgrade_dialog.cpp)
public:
    class upgrade_dialog* upgradeDialog = nullptr;
    void setupUpgradeDialog();  // construction step 17
    void forgetUpgradeDevice(); // a new connection of the window: the dialog's device data go
public slots:
    void show_ug_dlg_Dialog();

    // firmware check and automatic upgrade (src/upgrade/widget_firmware_check.cpp, widget_auto_upgrade.cpp)
public slots:
    // Identity handler: takes the model line and version frame of the connected
    // controller and starts the firmware check once per connection.
    void rec_data(QByteArray data);

private:
    void handleFirmwareCheckReply(class QNetworkReply* reply, int modelIndex);
    void startAutoUpgradeByName(class QNetworkReply* reply);
    void beginBootloaderScan();
    void autoUpgradeScanTick();
    void autoUpgradeWaitTick();
    void autoUpgradeWatchTick();
    void failAutoUpgrade(const QString& reason);
    void stopAutoUpgradeTimers();

    class Upgrade_message_Dialog* upgradeMessageDialog = nullptr;
    int autoUpgradeModelIndex = 0; // firmware-check row of the accepted offer
    QString offeredDeviceModel;    // identity when the offer was accepted, kept while the
    QString offeredDeviceVersion;  // controller is still in application mode
    QByteArray autoUpgradeImage;   // the downloaded image, sent unchanged
    class QMessageBox* preparingBox = nullptr;
    class QTimer* autoScanTimer = nullptr;
    class QTimer* autoTimeoutTimer = nullptr;
    class QTimer* autoWaitTimer = nullptr;
    class QTimer* autoWatchTimer = nullptr;
    int autoWaitAttempts = 0;

public slots:

    // --- Application update (src/update/) ---
public:
    void upadte_test();  // automatic check, at the end of every show event
    void upadte_test2(); // manual check, Help > "Check for Update "
    static int compareVersions(const QString& a, const QString& b); // -1, 0 or +1

private:
    void startUpdateCheck(bool manual);
    void handleUpdateFileReply(class QNetworkReply* reply, class UpdateDialog* dialog, bool manual);
    void showUpdateCheckFailure(const QString& reason);
    void startPackageDownload(class UpdateDialog* dialog, const QString& latest);
    void handlePackageReply(class QNetworkReply* reply, class UpdateDialog* dialog, const QString& latest);
};
