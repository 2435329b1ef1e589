#include "update/update_dialog.h"

#include "app/logging.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QNetworkReply>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

UpdateDialog::UpdateDialog(QWidget* parent) : QDialog(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(tr("Checking Update..."));
    resize(400, 200);

    auto* layout = new QVBoxLayout(this);
    m_label = new QLabel(tr("Checking update information..."), this);
    m_label->setObjectName(QStringLiteral("updateLabel"));
    m_label->setWordWrap(true);
    layout->addWidget(m_label);

    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("updateProgressBar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->hide();
    layout->addWidget(m_progressBar);

    auto* row = new QHBoxLayout;
    m_downloadButton = new QPushButton(tr("Download"), this);
    m_downloadButton->setObjectName(QStringLiteral("downloadButton"));
    m_downloadButton->setEnabled(false);
    m_cancelButton = new QPushButton(tr("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    row->addWidget(m_downloadButton);
    row->addWidget(m_cancelButton);
    layout->addLayout(row);

    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void UpdateDialog::showOffer(const QString& text)
{
    show();
    setWindowTitle(tr("Update Available"));
    m_label->setText(text);
    m_downloadButton->setEnabled(true);
}

void UpdateDialog::showDownloading()
{
    m_label->setText(tr("Downloading update, please wait..."));
    m_progressBar->setValue(0);
    m_progressBar->show();
    m_downloadButton->setEnabled(false);
}

void UpdateDialog::showStuck(const QString& reason)
{
    m_label->setText(reason);
    m_progressBar->show();
    m_downloadButton->setEnabled(false);
}

void UpdateDialog::setDownload(QNetworkReply* reply)
{
    m_download = reply;
}

bool UpdateDialog::isDownloading() const
{
    return m_download && m_download->isRunning();
}

void UpdateDialog::done(int result)
{
    // Aborting finishes the reply, whose handler closes this dialog again; once is enough.
    if (m_closing)
        return;
    m_closing = true;
    if (isDownloading()) {
        qCDebug(lcUpdate) << "update download cancelled";
        m_download->abort();
    }
    QDialog::done(result);
}
