// Lines of the serial monitor's log, without a window.
#include "monitor/hexdump.h"

#include <QTest>

class TestHexdump : public QObject
{
    Q_OBJECT

private slots:
    void blocks_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("tx");
        QTest::addColumn<QStringList>("lines");

        QByteArray twenty;
        for (int i = 0; i < 20; ++i)
            twenty.append(char(0x41 + i)); // A..T
        QTest::newRow("20 received bytes")
            << twenty << false
            << QStringList{"[13:05:09.042] RX <<<  20 bytes",
                           "  41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50  |ABCDEFGHIJKLMNOP|",
                           "  51 52 53 54                                      |QRST|", ""};
        QTest::newRow("SysEx start, sent")
            << QByteArray::fromHex("F000215E") << true
            << QStringList{"[13:05:09.042] TX >>>  4 bytes",
                           "  F0 00 21 5E                                      |..!^|", ""};
        QTest::newRow("empty block") << QByteArray() << true
                                     << QStringList{"[13:05:09.042] TX >>>  0 bytes", ""};
        QTest::newRow("exactly 16 bytes, edges of the printable range")
            << QByteArray::fromHex("1F207E7F80FF0D0A0025FF00AABB3132") << false
            << QStringList{"[13:05:09.042] RX <<<  16 bytes",
                           "  1F 20 7E 7F 80 FF 0D 0A 00 25 FF 00 AA BB 31 32  |. ~......%....12|", ""};
        QTest::newRow("a third line starts at byte 32")
            << QByteArray(33, 'x') << false
            << QStringList{"[13:05:09.042] RX <<<  33 bytes",
                           "  78 78 78 78 78 78 78 78 78 78 78 78 78 78 78 78  |xxxxxxxxxxxxxxxx|",
                           "  78 78 78 78 78 78 78 78 78 78 78 78 78 78 78 78  |xxxxxxxxxxxxxxxx|",
                           "  78                                               |x|", ""};
    }
    void blocks()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, tx);
        QFETCH(QStringList, lines);
        QCOMPARE(SerialDump::blockLines(QTime(13, 5, 9, 42), data, tx), lines);
    }

    // The character column starts in the same place on every line.
    void hexColumnIsPadded_data()
    {
        QTest::addColumn<int>("count");
        for (int count = 1; count <= 16; count += 5)
            QTest::newRow(qPrintable(QString::number(count))) << count;
    }
    void hexColumnIsPadded()
    {
        QFETCH(int, count);
        const QString line = SerialDump::dumpLine(QByteArray(count, char(0xAB)));
        QCOMPARE(line.indexOf('|'), 2 + 47 + 2);
        QVERIFY(line.endsWith('|'));
        QCOMPARE(line.mid(2, 47).trimmed().split(' ').size(), count);
    }

    void errorLine()
    {
        QCOMPARE(SerialDump::errorLine(QTime(0, 0, 1, 5), "Permission denied"),
                 QString("[00:00:01.005] ERR: Permission denied"));
    }
};

QTEST_GUILESS_MAIN(TestHexdump)
#include "tst_hexdump.moc"
