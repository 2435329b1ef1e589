// Addresses on the download server, and the test seam that moves them.
#include "upgrade/download_server.h"

#include <QTest>

class TestDownloadServer : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { DownloadServer::setBaseAddressForTesting(QString()); }

    void addresses_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<QString>("path");
        QTest::newRow("ZRT-10 update file")
            << DownloadServer::firmwareUpdateFile("ZRT-10", "ZRT-10_Update.txt")
            << "/download/Product/ZRT-10/Update/ZRT-10_Update.txt";
        QTest::newRow("KX-1 update file") << DownloadServer::firmwareUpdateFile("KX-1", "KX-ONE_Update.txt")
                                          << "/download/Product/KX-1/Update/KX-ONE_Update.txt";
        QTest::newRow("firmware image") << DownloadServer::firmwareImage("ZRT-20", "ZRT-20_V1.0.5")
                                        << "/download/Product/ZRT-20/Update/ZRT-20_V1.0.5.bin";
        QTest::newRow("application update file") << DownloadServer::applicationUpdateFile()
                                                 << "/download/Product/Quillmar/Update/Quillmar_Update.txt";
        QTest::newRow("application package") << DownloadServer::applicationPackage("4.0.3")
                                             << "/download/Product/Quillmar/Update/Quillmar_V4.0.3.dmg";
    }
    void addresses()
    {
        QFETCH(QUrl, url);
        QFETCH(QString, path);
        QCOMPARE(url.scheme(), QString("https"));
        QVERIFY(!url.host().isEmpty());
        QCOMPARE(url.path(), path);
        QVERIFY(url.isValid());
    }

    void testServerReplacesTheHost()
    {
        DownloadServer::setBaseAddressForTesting("https://127.0.0.1:45123/");
        const QUrl url = DownloadServer::firmwareImage("KX-3", "KX-3_V2.1");
        QCOMPARE(url.toString(), QString("https://127.0.0.1:45123/download/Product/KX-3/Update/KX-3_V2.1.bin"));
        DownloadServer::setBaseAddressForTesting(QString());
        QVERIFY(DownloadServer::applicationUpdateFile().host() != "127.0.0.1");
    }
};

QTEST_APPLESS_MAIN(TestDownloadServer)
#include "tst_download_server.moc"
