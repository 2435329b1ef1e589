// The rules of the application update check without any window or network: version
// comparison, reading the update file, the offer text, the package path, progress.
#include "app/widget.h"
#include "update/update_check.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A byte array of the whole literal, zero bytes included.
template <int N> QByteArray bytes(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

} // namespace

class TestUpdateCheck : public QObject
{
    Q_OBJECT

private slots:
    void compareVersions_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("expected");

        // Against the running release 4.0.2.
        QTest::newRow("same") << "4.0.2"
                              << "4.0.2" << 0;
        QTest::newRow("numeric, not text order") << "4.0.2"
                                                 << "4.0.10" << -1;
        QTest::newRow("shorter and older") << "4.0.2"
                                           << "4.0" << 1;
        QTest::newRow("trailing dot") << "4.0.2"
                                      << "4.0.3." << -1;
        QTest::newRow("trailing dot, same numbers") << "4.0.2"
                                                    << "4.0.2." << 0;

        QTest::newRow("missing part is 0") << "4.0"
                                           << "4.0.0" << 0;
        QTest::newRow("minor beats patch") << "4.1"
                                           << "4.0.9" << 1;
        QTest::newRow("major first") << "10.0"
                                     << "9.99.99" << 1;
        QTest::newRow("every part counts") << "1.2.3.4.5"
                                           << "1.2.3.4.6" << -1;
        QTest::newRow("long tail of zeros") << "1"
                                            << "1.0.0.0.0.0" << 0;
        QTest::newRow("long tail, one non-zero") << "1"
                                                 << "1.0.0.0.0.1" << -1;
        QTest::newRow("empty part is 0") << "4..2"
                                         << "4.0.2" << 0;
        QTest::newRow("not a number is 0") << "4.x.2"
                                           << "4.0.2" << 0;
        QTest::newRow("not a number against 1") << "4.x"
                                                << "4.1" << -1;
        QTest::newRow("leading zeros") << "4.01"
                                       << "4.1" << 0;
        QTest::newRow("both empty") << ""
                                    << "" << 0;
        QTest::newRow("empty against zero") << ""
                                            << "0" << 0;
        QTest::newRow("empty against one") << ""
                                           << "1" << -1;
        QTest::newRow("beyond 32 bits") << "4.4294967296"
                                        << "4.4294967295" << 1;
    }

    void compareVersions()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, expected);
        QCOMPARE(Widget::compareVersions(a, b), expected);
        QCOMPARE(Widget::compareVersions(b, a), -expected);
        QCOMPARE(AppUpdate::compareVersions(a, b), expected);
    }

    void stripVersionPrefix_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("upper") << "V4.0.2"
                               << "4.0.2";
        QTest::newRow("lower") << "v4.0.2"
                               << "4.0.2";
        QTest::newRow("none") << "4.0.2"
                              << "4.0.2";
        QTest::newRow("only one removed") << "VV4"
                                          << "V4";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("not at the start") << "4.0V"
                                          << "4.0V";
    }

    void stripVersionPrefix()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(AppUpdate::stripVersionPrefix(text), expected);
    }

    void currentVersionIsTheAboutBoxVersionWithoutV()
    {
        QCOMPARE(AppUpdate::versionText(), QStringLiteral("V") + AppUpdate::currentVersion());
        QVERIFY(AppUpdate::versionText().startsWith(QLatin1Char('V')));
        QCOMPARE(AppUpdate::currentVersion(), QStringLiteral(QUILLMAR_VERSION));
    }

    void parseUpdateFile_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("latest");
        QTest::addColumn<QString>("notes");

        QTest::newRow("typical") << QByteArray(
                                        "Quillmar_V4.0.3\r\nUpdate content:\r\n1. Faster.\r\n2. Fixed.\r\n")
                                 << true << "4.0.3"
                                 << "1. Faster.\r\n2. Fixed.\r\n";
        QTest::newRow("trailing dot kept")
            << QByteArray("Quillmar_V4.0.3.\nUpdate content: x") << true << "4.0.3."
            << "x";
        QTest::newRow("version ends at other text") << QByteArray("Quillmar_V4.0.3 beta\n") << true << "4.0.3"
                                                    << "";
        QTest::newRow("version ends at a letter") << QByteArray("Quillmar_V4.0.3b") << true << "4.0.3"
                                                  << "";
        QTest::newRow("no notes marker") << QByteArray("Quillmar_V4.1\nSome text\n") << true << "4.1"
                                         << "";
        QTest::newRow("notes untrimmed at the end")
            << QByteArray("Quillmar_V5\nUpdate content:  \n\t a b \n\n") << true << "5"
            << "a b \n\n";
        QTest::newRow("first marker counts")
            << QByteArray("Quillmar_V5\nUpdate content: one\nUpdate content: two") << true << "5"
            << "one\nUpdate content: two";
        QTest::newRow("marker before the notes, nothing after")
            << QByteArray("Quillmar_V5\nUpdate content:") << true << "5"
            << "";
        QTest::newRow("UTF-8 notes") << QByteArray("Quillmar_V5\nUpdate content: \xC3\x9C"
                                                   "bersicht \xE2\x9C\x93")
                                     << true << "5"
                                     << QString::fromUtf8("\xC3\x9C"
                                                          "bersicht \xE2\x9C\x93");
        QTest::newRow("text ends at a zero byte")
            << bytes("Quillmar_V4.0.5\nUpdate content: abc\0Update content: hidden") << true << "4.0.5"
            << "abc";

        QTest::newRow("preceded by an empty line") << QByteArray("\nQuillmar_V4.0.3\n") << false << ""
                                                   << "";
        QTest::newRow("preceded by a blank") << QByteArray(" Quillmar_V4.0.3\n") << false << ""
                                             << "";
        QTest::newRow("preceded by text") << QByteArray("Release: Quillmar_V4.0.3\n") << false << ""
                                          << "";
        QTest::newRow("second line") << QByteArray("Quillmar update\nQuillmar_V4.0.3\n") << false << ""
                                     << "";
        QTest::newRow("zero byte first") << bytes("\0Quillmar_V4.0.3") << false << ""
                                         << "";
        QTest::newRow("case matters") << QByteArray("quillmar_v4.0.3") << false << ""
                                      << "";
        QTest::newRow("no digits") << QByteArray("Quillmar_Vx.y") << false << ""
                                   << "";
        QTest::newRow("other product") << QByteArray("ZRT-10_V1.0.3") << false << ""
                                       << "";
        QTest::newRow("non-ASCII digits") << QByteArray("Quillmar_V\xD9\xA4.0") << false << ""
                                          << "";
        QTest::newRow("empty") << QByteArray() << false << ""
                               << "";
    }

    void parseUpdateFile()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, found);
        QFETCH(QString, latest);
        QFETCH(QString, notes);
        const AppUpdate::UpdateFile file = AppUpdate::parseUpdateFile(body);
        QCOMPARE(file.found, found);
        QCOMPARE(file.latest, latest);
        QCOMPARE(file.releaseName, found ? QStringLiteral("Quillmar_V") + latest : QString());
        QCOMPARE(file.notes, found ? notes : QString());
    }

    void offerText_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        QTest::newRow("with notes") << QByteArray("Quillmar_V4.0.3\nUpdate content:\n1. Faster.")
                                    << "The current version is: V4.0.2\nA new version is available: "
                                       "Quillmar_V4.0.3\n\nUpdate Content:\n1. Faster.";
        QTest::newRow("without notes") << QByteArray("Quillmar_V4.0.10\n")
                                       << "The current version is: V4.0.2\nA new version is available: "
                                          "Quillmar_V4.0.10\n\nUpdate Content:\n";
        // Placeholders in the notes are text, not arguments.
        QTest::newRow("percent signs in the notes")
            << QByteArray("Quillmar_V5\nUpdate content: 100% of %1 and %2")
            << "The current version is: V4.0.2\nA new version is available: Quillmar_V5\n\nUpdate Content:\n"
               "100% of %1 and %2";
    }

    void offerText()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        QCOMPARE(AppUpdate::offerText(QStringLiteral("4.0.2"), AppUpdate::parseUpdateFile(body)), expected);
    }

    void packagePath_data()
    {
        QTest::addColumn<QString>("latest");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("plain") << "4.0.3"
                               << "Quillmar_V4.0.3.dmg";
        QTest::newRow("trailing dot") << "4.0.3."
                                      << "Quillmar_V4.0.3..dmg";
    }

    void packagePath()
    {
        QFETCH(QString, latest);
        QFETCH(QString, fileName);
        QCOMPARE(AppUpdate::packageFileName(latest), fileName);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray saved = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(dir.path()));
        const QString path = AppUpdate::localPackagePath(latest);
        // A temporary folder that does not exist is no folder at all, not the root folder.
        qputenv("TMPDIR", QFile::encodeName(dir.filePath(QStringLiteral("missing"))));
        const QString nowhere = AppUpdate::localPackagePath(latest);
        qputenv("TMPDIR", saved);
        QCOMPARE(path, QDir(dir.path()).filePath(fileName));
        QCOMPARE(nowhere, QString());
    }

    void progressPercent_data()
    {
        QTest::addColumn<qint64>("received");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<int>("expected");
        QTest::newRow("start") << qint64(0) << qint64(1000) << 0;
        QTest::newRow("half") << qint64(500) << qint64(1000) << 50;
        QTest::newRow("rounds down") << qint64(1) << qint64(3) << 33;
        QTest::newRow("just short of done") << qint64(999) << qint64(1000) << 99;
        QTest::newRow("done") << qint64(1000) << qint64(1000) << 100;
        QTest::newRow("large package, 64-bit arithmetic")
            << qint64(3000000000LL) << qint64(6000000000LL) << 50;
        QTest::newRow("over 21 MB, product above 32 bits") << qint64(30000000) << qint64(40000000) << 75;
        QTest::newRow("unknown total") << qint64(500) << qint64(-1) << -1;
        QTest::newRow("zero total") << qint64(500) << qint64(0) << -1;
        QTest::newRow("more than announced stays at 100") << qint64(1500) << qint64(1000) << 100;
    }

    void progressPercent()
    {
        QFETCH(qint64, received);
        QFETCH(qint64, total);
        QFETCH(int, expected);
        QCOMPARE(AppUpdate::progressPercent(received, total), expected);
    }
};

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "tst_update_check.moc"
