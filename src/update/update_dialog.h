#pragma once

#include <QDialog>
#include <QPointer>

class QLabel;
class QNetworkReply;
class QProgressBar;
class QPushButton;

// The small modeless dialog of one application update check: a label, a progress bar
// (hidden until the download starts) and the buttons "Download" and "Cancel". It
// deletes itself when closed. Closing it in any way (Cancel, Escape, the title bar)
// aborts the package download it started.
class UpdateDialog : public QDialog
{
    Q_OBJECT

public:
    explicit UpdateDialog(QWidget* parent);

    QLabel* label() const { return m_label; }
    QProgressBar* progressBar() const { return m_progressBar; }
    QPushButton* downloadButton() const { return m_downloadButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }

    // A newer release: the dialog is shown with the offer and Download is enabled.
    void showOffer(const QString& text);
    // Download clicked: waiting text, progress bar at 0, Download disabled.
    void showDownloading();
    // The package arrived but could not be saved or handed on. The dialog keeps its
    // downloading look (progress bar and disabled Download) and says why; Cancel closes it.
    void showStuck(const QString& reason);

    // The package download of this dialog; aborted when the dialog closes.
    void setDownload(QNetworkReply* reply);
    bool isDownloading() const;

    void done(int result) override;

private:
    QLabel* m_label = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QPushButton* m_downloadButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPointer<QNetworkReply> m_download;
    bool m_closing = false;
};
