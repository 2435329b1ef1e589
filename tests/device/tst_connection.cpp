// Connecting the window to a (simulated) controller over a pseudo-terminal and
// the real SerialPort: the requests, their timing, the handshake, losing the device.
#include "app/widget.h"
#include "device/serialport.h"
#include "support/fake_device_enumerator.h"
#include "support/modal_watcher.h"
#include "support/pedal_simulator.h"
#include "support/window_fixture.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

#include <memory>

namespace {

QStringList itemTexts(const QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

const char* const deviceButtons[] = {"openButton", "saveButton", "deleteButton", "checkButton",
                                     "checkButton_2", "setButton_6", "setButton_9", "setButton_7"};

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakeDeviceEnumerator> bus;
    std::unique_ptr<PedalSimulator> device;
    std::unique_ptr<Widget> window;

    template <typename T = QWidget>
    T* child(const char* name)
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    SerialPort* port() { return window->findChild<SerialPort*>(); }
    QPushButton* connectButton() { return child<QPushButton>("connectButton"); }

    // A controller with the given product string listed on the simulator's pty.
    void attach(const QByteArray& product)
    {
        bus->plug(product, 0x1209, 0x7001, device->slavePath());
        port()->initPort();
    }

    void checkNotConnected()
    {
        QVERIFY(!port()->isOpen());
        QCOMPARE(connectButton()->text(), QString("Connect"));
        QVERIFY(child("comboBox_ComDevices")->isEnabled());
        for (const char* name : deviceButtons)
            QVERIFY2(!child(name)->isEnabled(), name);
    }

private slots:
    void initTestCase() { applyApplicationLook(); }

    void init()
    {
        bus = std::make_unique<FakeDeviceEnumerator>();
        device = std::make_unique<PedalSimulator>();
        QVERIFY(device->start());
        window = std::make_unique<Widget>();
        window->show();
    }

    void cleanup()
    {
        window.reset();
        device.reset();
        bus.reset();
    }

    void connectSendsHandshakeQueryAndIdentityInTime()
    {
        attach("Quorvane ZRT-30");
        QSignalSpy sent(port(), &SerialPort::txBytes);
        QElapsedTimer clock;
        QList<qint64> at;
        connect(port(), &SerialPort::txBytes, this, [&] { at << clock.elapsed(); });

        clock.start();
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QVERIFY(port()->isOpen());
        QCOMPARE(connectButton()->text(), QString("Disconnect"));
        QVERIFY(!child("comboBox_ComDevices")->isEnabled());
        for (const char* name : deviceButtons)
            QVERIFY2(child(name)->isEnabled(), name);

        // The model line answering the identity query brings the version request.
        QTRY_COMPARE_WITH_TIMEOUT(sent.count(), 4, 3000);
        QCOMPARE(sent.at(0).at(0).toByteArray(), QByteArray::fromHex("F0 00 21 5E 01 01 F7"));
        // The handshake reply (4 jacks) came before the query: pedal 1, message 1.
        QCOMPARE(sent.at(1).at(0).toByteArray(), QByteArray::fromHex("F0 00 21 5E 04 04 00 00 F7"));
        QCOMPARE(sent.at(2).at(0).toByteArray(), QByteArray::fromHex("AA CC 02 00 01 0D 0A"));
        QVERIFY(at.at(0) < 100);
        QVERIFY2(at.at(1) >= 500 && at.at(1) < 1500, qPrintable(QString::number(at.at(1))));
        QVERIFY2(at.at(2) >= 600 && at.at(1) <= at.at(2) && at.at(2) < 1600, qPrintable(QString::number(at.at(2))));
        QCOMPARE(sent.at(3).at(0).toByteArray(), QByteArray::fromHex("AA CC 02 00 03 0D 0A"));
        QVERIFY(at.at(2) <= at.at(3));

        // The simulator saw the same bytes, in the same order.
        QTRY_COMPARE(device->received(), QByteArray::fromHex("F0 00 21 5E 01 01 F7 F0 00 21 5E 04 04 00 00 F7"
                                                             " AA CC 02 00 01 0D 0A AA CC 02 00 03 0D 0A"));
    }

    void handshakeFillsPedalNumbers_data()
    {
        QTest::addColumn<int>("jacks");
        QTest::addColumn<QStringList>("pedals");
        QTest::newRow("four jacks") << 4 << QStringList{"1", "2", "3", "4"};
        QTest::newRow("nine jacks") << 9 << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9"};
        QTest::newRow("one jack") << 1 << QStringList{"1"};
        QTest::newRow("ten is ignored") << 10 << QStringList();
    }
    void handshakeFillsPedalNumbers()
    {
        QFETCH(int, jacks);
        QFETCH(QStringList, pedals);
        device->setJackCount(jacks);
        attach("Quorvane ZRT-20");
        QSignalSpy packages(port(), &SerialPort::pedalMidiDataSignal);
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QTRY_VERIFY(packages.count() >= 1);
        auto* box = child<QComboBox>("Pedal_Number");
        QCOMPARE(itemTexts(box), pedals);
        QCOMPARE(box->currentIndex(), pedals.isEmpty() ? -1 : 0);
    }

    void capabilityReportKeptAndPedalsStillListed()
    {
        device->setCapabilityReport(3);
        attach("Quorvane ZRT-10");
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QTRY_COMPARE(port()->deviceCaps, 3);
        QCOMPARE(itemTexts(child<QComboBox>("Pedal_Number")), (QStringList{"1", "2", "3", "4"}));
    }

    void queryWithoutHandshakeCarriesNoPedal()
    {
        device->setDropReplies(true);
        attach("Quorvane ZRT-30");
        QSignalSpy sent(port(), &SerialPort::txBytes);
        child<QComboBox>("Message_Number")->setCurrentIndex(5);
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(sent.count(), 2, 2000);
        QCOMPARE(sent.at(1).at(0).toByteArray(), QByteArray::fromHex("F0 00 21 5E 04 04 FF 05 F7"));
    }

    void disconnectReturnsToNotConnected()
    {
        attach("Quorvane ZRT-10");
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QVERIFY(port()->isOpen());
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        checkNotConnected();
        // The delayed requests fail quietly on the closed port.
        QSignalSpy sent(port(), &SerialPort::txBytes);
        QTest::qWait(800);
        QCOMPARE(sent.count(), 0);
        checkNotConnected();
    }

    void liveTablesClearedOnDisconnect()
    {
        attach("Quorvane ZRT-10");
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        auto* model = qobject_cast<QStandardItemModel*>(child<QTableView>("tableView_2")->model());
        QVERIFY(model);
        model->appendRow(new QStandardItem("x"));
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QCOMPARE(model->rowCount(), 0);
    }

    // Curve and trigger controls appear for the models that have them.
    void advancedControlsFollowTheModel_data()
    {
        QTest::addColumn<QByteArray>("product");
        QTest::addColumn<bool>("advanced");
        QTest::newRow("ZRT-10") << QByteArray("Quorvane ZRT-10") << true;
        QTest::newRow("ZRT-20") << QByteArray("Quorvane ZRT-20") << true;
        QTest::newRow("KX-3") << QByteArray("Quorvane KX-3") << true;
        QTest::newRow("ZRT-30") << QByteArray("Quorvane ZRT-30") << false;
        QTest::newRow("KX-1") << QByteArray("Quorvane KX-1") << false;
    }
    void advancedControlsFollowTheModel()
    {
        QFETCH(QByteArray, product);
        QFETCH(bool, advanced);
        attach(product);
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        for (const char* name : {"widget_8", "widget_10", "groupBox_2", "groupBox_16", "expression_cc_comboBox_ql",
                                 "label_117", "hat_note_comboBox_ql"})
            QVERIFY2(child(name)->isHidden() != advanced, name);
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QVERIFY(child("widget_8")->isHidden());
    }

    void emptyPortListTellsTheUser()
    {
        QCOMPARE(child<QComboBox>("comboBox_ComDevices")->count(), 0);
        ModalWatcher watcher("OK");
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QVERIFY(watcher.seen());
        QCOMPARE(watcher.text(), QString("port name error, please choose right com!"));
        QCOMPARE(watcher.buttonTexts(), QStringList{"OK"});
        checkNotConnected();
    }

    void portThatCannotOpenTellsTheUser()
    {
        bus->plug("Quorvane ZRT-10", 0x1209, 0x7001, "/dev/quillmar-no-such-port");
        port()->initPort();
        ModalWatcher watcher("OK");
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QVERIFY(watcher.seen());
        QCOMPARE(watcher.text(), QString("Device error"));
        checkNotConnected();
    }

    void vanishedDeviceReturnsToConnect()
    {
        attach("Quorvane ZRT-10");
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QTRY_COMPARE(child<QComboBox>("Pedal_Number")->count(), 4);
        device->hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(!port()->isOpen(), 3000);
        checkNotConnected();
    }

    void reconnectAfterDisconnect()
    {
        attach("Quorvane ZRT-10");
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QTRY_COMPARE(child<QComboBox>("Pedal_Number")->count(), 4);
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        device->setJackCount(2);
        device->clearReceived();
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QTRY_COMPARE(child<QComboBox>("Pedal_Number")->count(), 2);
        QVERIFY(device->received().startsWith(QByteArray::fromHex("F0 00 21 5E 01 01 F7")));
    }
};

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
