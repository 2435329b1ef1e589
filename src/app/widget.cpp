#include "app/widget.h"
#include "ui_widget.h"

#include "app/app_style.h"
#include "app/combo_popup_fixer.h"
#include "app/common.h"
#include "app/custom_dialog.h"
#include "app/logging.h"
#include "app/non_popup_combobox_style.h"
#include "app/vendor_site.h"
#include "device/serialport.h"
#include "protocol/frames.h"
#include "upgrade/upgrade_message_dialog.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

Widget::Widget(QWidget* parent) : QWidget(parent)
{
    AppStyle::initResources();

    // 1. Members.
    ui = new Ui::Widget;
    deviceModel = QStringLiteral("xx");
    deviceVersion = QStringLiteral("xx");
    exTableModel = new QStandardItemModel(this);
    swTableModel = new QStandardItemModel(this);
    htTableModel = new QStandardItemModel(this);
    eventNames = Protocol::eventNames();
    eventCodeByName = Protocol::eventCodesByName();

    // 2. The form; connects the on_<object>_<signal> slots by name.
    ui->setupUi(this);

    // 3.
    resize(1000, 850);

    // 4. The first port scan happens in the constructor, then every second.
    serialPort = new SerialPort(ui->comboBox_ComDevices, QStringLiteral("Quorvane"), this);

    // 5. Advanced controls are shown only for the models that support them.
    setAdvancedControlsVisible(false);
    ui->pushButton_4->hide();
    ui->Hi_hat_Setting->hide();

    // 6, 7. Live-data tables and the About box.
    for (QTableView* view : {ui->tableView, ui->tableView_2, ui->tableView_3}) {
        view->horizontalHeader()->hide();
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    aboutDialog = new CustomDialog(this);
    const QString tableSheet = AppStyle::tableStyleSheet();
    for (QTableView* view : {ui->tableView, ui->tableView_2, ui->tableView_3}) {
        view->setShowGrid(false);
        view->setStyleSheet(tableSheet);
    }

    // 8. One look and one popup behaviour for every combo box.
    applyComboBoxLook();

    // 9, 10. Menus, with the settings file.
    buildMenus();

    // 11.
    setMinimumSize(810, 480);

    // 12.
    setupDataTables();

    // 13.
    setWindowTitle(tr("Quillmar V4.0.2"));

    // 14. Lists that the code fills.
    fillLegacyLists();

    // 15.
    connect(serialPort, &SerialPort::pedalMidiDataSignal, this, &Widget::pedalMidiDataSlot);

    // 16. Editor pages.
    updateDeviceState();
    init_ui();

    // 17. The firmware upgrade dialog, with the serial port.
    setupUpgradeDialog();

    // 18.
    connect(serialPort, &QSerialPort::errorOccurred, this, &Widget::handleSerialError);

    // 19. Pedal views of the live monitor, and the key that opens the serial monitor.
    initPedalView_ex();
    initPedalView_ht();
    initPedalView_sw();
    installSerialMonitorShortcut();

    // 20.
    ui->label_84->hide();
    triggerCurrentMidiNoteAction();
    ui->test->hide();

    // 21. The automatic upgrade's progress dialog, fed by the window's signals (connected
    // once for the window's life), and the handler of the controller's identity replies.
    upgradeMessageDialog = new Upgrade_message_Dialog(this);
    connect(this, &Widget::send_mtd_version, upgradeMessageDialog, &Upgrade_message_Dialog::rec_mtd_version);
    connect(this, &Widget::send_possvalue, upgradeMessageDialog, &Upgrade_message_Dialog::rec_possvalue);
    connect(this, &Widget::done, upgradeMessageDialog, &Upgrade_message_Dialog::upgrade_done);
    connect(serialPort, &SerialPort::showdata, this, &Widget::rec_data);
}

Widget::~Widget()
{
    delete ui;
}

void Widget::setAdvancedControlsVisible(bool visible)
{
    const QList<QWidget*> advanced = {
        ui->widget_8,
        ui->widget_10,
        ui->groupBox_16,
        ui->groupBox_2,
        ui->expression_trigger_level,
        ui->expression_cc_comboBox_ql,
        ui->label_117,
        ui->expression_note_comboBox_ql,
        ui->expression_pitch_comboBox_ql,
        ui->expression_ch_comboBox_ql,
        ui->hat_cc_comboBox_ql,
        ui->hat_note_comboBox_ql,
        // The "Curve" captions of the other event pages go with their lists.
        ui->label_ex_note_curve,
        ui->label_ex_pitch_curve,
        ui->label_ex_ch_curve,
        ui->label_hat_cc_curve,
        ui->label_hat_note_curve,
    };
    for (QWidget* w : advanced)
        w->setVisible(visible);
}

void Widget::applyComboBoxLook()
{
    auto* sharedStyle = new NonPopupComboBoxStyle;
    sharedStyle->setParent(this);
    comboPopupFixer = new ComboPopupFixer(this);
    const QString sheet = AppStyle::comboBoxStyleSheet();

    const QList<QComboBox*> boxes = findChildren<QComboBox*>();
    for (QComboBox* box : boxes) {
        box->setStyle(sharedStyle);
        box->setStyleSheet(sheet);
        box->setFixedHeight(24);
        box->setMaxVisibleItems(box->count());
        box->installEventFilter(comboPopupFixer);
    }
}

void Widget::buildMenus()
{
    menuBar = new QMenuBar(ui->widget);
    menuBar->setNativeMenuBar(false);
    menuBar->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    // File. Preset files are read and written by the storage subsystem.
    QMenu* fileMenu = menuBar->addMenu(tr("File"));
    actionOpenFile = new QAction(tr("Open File"), this);
    actionSaveFile = new QAction(tr("Save File"), this);
    actionSaveFileAs = new QAction(tr("Save File As"), this);
    actionExit = new QAction(tr("Exit"), this);
    fileMenu->addAction(actionOpenFile);
    fileMenu->addAction(actionSaveFile);
    fileMenu->addAction(actionSaveFileAs);
    fileMenu->addAction(actionExit);
    connect(actionExit, &QAction::triggered, this, &Widget::confirmExit);
    connect(actionOpenFile, &QAction::triggered, this, &Widget::loadDataFromIniFile);
    connect(actionSaveFile, &QAction::triggered, this, &Widget::saveDataToIniFile);
    connect(actionSaveFileAs, &QAction::triggered, this, &Widget::save_as_DataToIniFile);

    // Setting.
    QMenu* settingMenu = menuBar->addMenu(tr("Setting"));

    const QString configDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(configDir);
    const QString configPath = configDir + QStringLiteral("/config.ini");
    qCDebug(lcStorage) << "Config file path for MIDI Note:" << configPath;
    settings = new QSettings(configPath, QSettings::IniFormat, this);

    QMenu* noteMenu = settingMenu->addMenu(tr("MIDI Note=60 Name"));
    midiNoteGroup = new QActionGroup(this);
    midiNoteGroup->setExclusive(true);
    actionNoteC3 = new QAction(tr("C3"), this);
    actionNoteC4 = new QAction(tr("C4"), this);
    actionNoteC5 = new QAction(tr("C5"), this);
    for (QAction* action : {actionNoteC3, actionNoteC4, actionNoteC5}) {
        action->setCheckable(true);
        midiNoteGroup->addAction(action);
        noteMenu->addAction(action);
    }
    // Both run on every pick, also of the entry already checked.
    connect(midiNoteGroup, &QActionGroup::triggered, this, &Widget::onMidiNoteGroupTriggered);
    connect(actionNoteC3, &QAction::triggered, this, [this] { applyNoteNamingConvention(2); });
    connect(actionNoteC4, &QAction::triggered, this, [this] { applyNoteNamingConvention(1); });
    connect(actionNoteC5, &QAction::triggered, this, [this] { applyNoteNamingConvention(3); });

    actionShowCCName = new QAction(tr("Show CC Name"), this);
    actionShowCCName->setCheckable(true);
    showCCNames = settings->value(QStringLiteral("showCCNameEnabled"), true).toBool();
    actionShowCCName->setChecked(showCCNames);
    settingMenu->addAction(actionShowCCName);
    connect(actionShowCCName, &QAction::triggered, this, &Widget::onShowCCNameTriggered);
    fillControllerList(ui->expression_cc_comboBox_ctl, showCCNames);
    fillControllerList(ui->switch_cc_comboBox_ctl, showCCNames);

    actionFactoryReset = new QAction(tr("Factory Reset"), this);
    settingMenu->addAction(actionFactoryReset);
    connect(actionFactoryReset, &QAction::triggered, this, &Widget::confirmFactoryReset);

    actionFirmwareUpgrade = new QAction(tr("Firmware Upgrade"), this);
    settingMenu->addAction(actionFirmwareUpgrade);
    connect(actionFirmwareUpgrade, &QAction::triggered, this, &Widget::show_ug_dlg_Dialog);

    // Help.
    QMenu* helpMenu = menuBar->addMenu(tr("Help"));
    actionAbout = new QAction(tr("About"), this);
    helpMenu->addAction(actionAbout);
    connect(actionAbout, &QAction::triggered, aboutDialog, &QDialog::exec);

    QMenu* manualMenu = helpMenu->addMenu(tr("User Manual"));
    actionManualChinese = new QAction(tr("中文说明书"), this);
    actionManualEnglish = new QAction(tr("English User Manual"), this);
    manualMenu->addAction(actionManualChinese);
    manualMenu->addAction(actionManualEnglish);
    connect(actionManualChinese, &QAction::triggered, this, [] {
        QDesktopServices::openUrl(VendorSite::manualUrl(QStringLiteral("Quillmar说明书.pdf")));
    });
    connect(actionManualEnglish, &QAction::triggered, this, [] {
        QDesktopServices::openUrl(VendorSite::manualUrl(QStringLiteral("Quillmar_Manual.pdf")));
    });

    actionCheckForUpdate = new QAction(tr("Check for Update "), this);
    helpMenu->addAction(actionCheckForUpdate);
    connect(actionCheckForUpdate, &QAction::triggered, this, &Widget::upadte_test2);

    // 10. The menu bar is drawn inside the window, above the port row.
    auto* menuLayout = new QVBoxLayout(ui->widget);
    menuLayout->setContentsMargins(0, 0, 0, 0);
    menuLayout->addWidget(menuBar);
}

void Widget::setupDataTables()
{
    const QStringList headers = {QStringLiteral("STATUS"), QStringLiteral("DATA1"), QStringLiteral("DATA2"),
                                 QStringLiteral("CHAN")};
    const QList<QPair<QStandardItemModel*, QTableView*>> tables = {
        {exTableModel, ui->tableView}, {swTableModel, ui->tableView_2}, {htTableModel, ui->tableView_3}};
    for (const auto& table : tables) {
        table.first->setHorizontalHeaderLabels(headers);
        table.second->setModel(table.first);
        table.second->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        table.second->verticalHeader()->hide();
        table.second->setEditTriggers(QAbstractItemView::NoEditTriggers);
    }
}

void Widget::fillLegacyLists()
{
    giveOwnComboStyle(ui->comboBox_ComDevices);

    ui->Pedal_Number->clear(); // filled from the handshake reply only
    const QStringList slotNumbers = Protocol::rangTxtArray(1, 16);
    ui->Message_Number->addItems(slotNumbers);
    ui->Message_Number_2->addItems(slotNumbers);

    const QStringList values = Protocol::rangTxtArray(0, 127);
    QStringList gains = {QStringLiteral("OFF")};
    gains << Protocol::rangTxtArray(1, 100);
    QStringList levels = {QStringLiteral("OFF")};
    levels << Protocol::rangTxtArray(1, 127);

    const QList<QPair<QComboBox*, QStringList>> legacy = {
        {ui->Pedal_Type, {QStringLiteral("Expression"), QStringLiteral("Switch"), QStringLiteral("Hi-Hat")}},
        {ui->MIDI_Channel, slotNumbers},
        {ui->comboBox_EPS_status,
         {QStringLiteral("CC"), QStringLiteral("NOTE"), QStringLiteral("Pitch Bend"),
          QStringLiteral("Channel Pressure")}},
        {ui->comboBox_EPS_Gain, gains},
        {ui->comboBox_HHS_Gain, gains},
        {ui->comboBox_EPS_D1_1, values},
        {ui->comboBox_EPS_D1_2, values},
        {ui->comboBox_EPS_D2_1, values},
        {ui->comboBox_EPS_D2_2, values},
        {ui->comboBox_SPS_D1_1, values},
        {ui->comboBox_SPS_D1_2, values},
        {ui->comboBox_SPS_D2_1, values},
        {ui->comboBox_SPS_D2_2, values},
        {ui->comboBox_HHS_DATA1, values},
        {ui->comboBox_HHS_D2_1, values},
        {ui->comboBox_HHS_D2_2, values},
        {ui->comboBox_HHS_PN, values},
        {ui->comboBox_HHS_RN, values},
        {ui->comboBox_SPS_status, {QStringLiteral("CC"), QStringLiteral("PC"), QStringLiteral("NOTE")}},
        {ui->comboBox_SPS_mode,
         {QStringLiteral("Single"), QStringLiteral("Toggle"), QStringLiteral("Reset"), QStringLiteral("Increase"),
          QStringLiteral("Decrease")}},
        {ui->comboBox_HHS_status, {QStringLiteral("CC"), QStringLiteral("NOTE")}},
        {ui->comboBox_HHS_TL, levels},
    };
    for (const auto& entry : legacy) {
        giveOwnComboStyle(entry.first);
        entry.first->clear();
        entry.first->addItems(entry.second);
    }
}

void Widget::giveOwnComboStyle(QComboBox* box)
{
    auto* style = new NonPopupComboBoxStyle;
    style->setParent(this);
    box->setStyle(style);
}

void Widget::init_ui()
{
    // Every list is filled before its page switch and mirror are connected, so
    // filling does not switch pages. The first notification of each value handler
    // comes from filling its list and is swallowed by the handler's flag.
    expression_status();
    expression_status_connect();
    expression_init_CC();
    expression_init_Note();
    setupComboBoxes();
    expression_init_Pitch();
    expression_init_CH();
    switch_status_init();
    switch_status_connect();
    setupComboBoxes_switch();
    switch_init_CC();
    switch_init_PC();
    switch_init_Note();
    switch_init_other();
    setupComboBoxes_modeswitch_();
    refreshSwitchLongPressAvailability();
    hat_init_CC();
    hat_init_Note();
    hat_status();
    hat_status_connect();
    setupComboBoxes_hat();
    pendal_type_init();
    pedal_type_connect();
    setupComboBoxes_type();

    ui->expression_press_note->setEnabled(false);
    ui->expression_release_note->setEnabled(false);
    ui->pedal_type_stack->setCurrentIndex(0);
    ui->expression_stackedWidget->setCurrentIndex(0);
    ui->switch_stackedWidget->setCurrentIndex(0);
    ui->hat_stackedWidget->setCurrentIndex(0);
}

void Widget::updateDeviceState()
{
    const bool open = serialPort->isOpen();
    ui->comboBox_ComDevices->setEnabled(!open);
    ui->connectButton->setText(open ? tr("Disconnect") : tr("Connect"));
    for (QWidget* w : {static_cast<QWidget*>(ui->openButton), static_cast<QWidget*>(ui->saveButton),
                       static_cast<QWidget*>(ui->deleteButton), static_cast<QWidget*>(ui->checkButton)})
        w->setEnabled(open);
    setbutton_endisable(open);
}

void Widget::setbutton_endisable(bool enabled)
{
    ui->checkButton_2->setEnabled(enabled);
    ui->setButton_6->setEnabled(enabled);
    ui->setButton_9->setEnabled(enabled);
    ui->setButton_7->setEnabled(enabled);
}

void Widget::showMsgBox(QString text)
{
    Common::showNotice(text);
}

void Widget::handleSerialError(QSerialPort::SerialPortError error)
{
    Q_UNUSED(error) // the port's current error decides
    qCDebug(lcSerial) << "Serial port error:" << serialPort->error() << serialPort->errorString();
    // An unplugged controller shows up as a resource error; a tty that was hung up
    // under us reads end-of-file, which the port reports as a read error and keeps
    // reporting on every wake-up. Either way the device is gone.
    const QSerialPort::SerialPortError current = serialPort->error();
    if (current == QSerialPort::ResourceError || current == QSerialPort::ReadError) {
        qCDebug(lcSerial) << "Device lost, closing the port";
        serialPort->close();
        updateDeviceState();
    }
}

void Widget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    updatePedalScaling();
    QTimer::singleShot(0, this, &Widget::updatePedalScaling); // once the layout has settled
    upadte_test();
}

void Widget::confirmExit()
{
    const auto answer = QMessageBox::question(this, tr("Exit"), tr("Exit software?"),
                                              QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoButton);
    if (answer == QMessageBox::Ok)
        QCoreApplication::quit();
}

void Widget::confirmFactoryReset()
{
    const auto answer = QMessageBox::question(this, tr("Reset"), tr("Factory Reset?"),
                                              QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoButton);
    if (answer == QMessageBox::Ok)
        serialPort->write(Protocol::factoryResetFrame()); // fails quietly while not connected
}
