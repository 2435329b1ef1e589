// Platform differences, both rows checked on whatever machine builds us.
#include "app/platform.h"

#include <QTest>

using Platform::Os;
Q_DECLARE_METATYPE(Platform::Os)

class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void bootloaderPortNames_data()
    {
        QTest::addColumn<Os>("os");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("mac call-out") << Os::MacOS << "cu.usbmodem1101" << true;
        QTest::newRow("mac dial-in") << Os::MacOS << "tty.usbmodem1101" << false;
        QTest::newRow("mac linux name") << Os::MacOS << "ttyACM0" << false;
        QTest::newRow("mac cu in middle") << Os::MacOS << "xcu.usb" << false;
        QTest::newRow("linux acm") << Os::Linux << "ttyACM0" << true;
        QTest::newRow("linux usb serial") << Os::Linux << "ttyUSB3" << true;
        QTest::newRow("linux onboard uart") << Os::Linux << "ttyS0" << false;
        QTest::newRow("linux pty") << Os::Linux << "pts/4" << false;
        QTest::newRow("linux mac name") << Os::Linux << "cu.usbmodem1101" << false;
        QTest::newRow("linux case") << Os::Linux << "ttyacm0" << false;
    }
    void bootloaderPortNames()
    {
        QFETCH(Os, os);
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        QCOMPARE(Platform::isBootloaderPortName(name, os), accepted);
    }

    void installerHandOffCommand_data()
    {
        QTest::addColumn<Os>("os");
        QTest::addColumn<QString>("program");
        QTest::newRow("mac") << Os::MacOS << "open";
        QTest::newRow("linux") << Os::Linux << "xdg-open";
    }
    void installerHandOffCommand()
    {
        QFETCH(Os, os);
        QFETCH(QString, program);
        const QString path = "/tmp/with space/Quillmar V4.1.dmg";
        const Platform::Command command = Platform::openWithSystemCommand(path, os);
        QCOMPARE(command.program, program);
        QCOMPARE(command.arguments, QStringList{path}); // the path is the only argument, unsplit
    }

    void handOffGoesThroughTheLauncher()
    {
        QList<Platform::Command> started;
        Platform::setLauncherForTesting([&](const Platform::Command& command) {
            started << command;
            return false;
        });
        QVERIFY(!Platform::openWithSystem("/tmp/a.dmg")); // the launcher's failure is reported
        Platform::setLauncherForTesting({});
        QCOMPARE(started.size(), 1);
        QCOMPARE(started.first().program,
                 Platform::openWithSystemCommand("/tmp/a.dmg").program);
        QCOMPARE(started.first().arguments, QStringList{"/tmp/a.dmg"});
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
