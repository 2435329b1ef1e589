#pragma once

#include "protocol/msg_package.h"

#include <QMap>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <QWidget>

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
    void populateComboBox(QComboBox* box);
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
};
