#include "support/modal_watcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

ModalWatcher::ModalWatcher(QString buttonText, QObject* parent)
    : QObject(parent), m_buttonText(std::move(buttonText))
{
    connect(&m_timer, &QTimer::timeout, this, &ModalWatcher::poll);
    m_timer.start(10);
}

ModalWatcher::ModalWatcher(std::function<void(QWidget*)> handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler))
{
    connect(&m_timer, &QTimer::timeout, this, &ModalWatcher::poll);
    m_timer.start(10);
}

bool ModalWatcher::waitHandled(int timeoutMs)
{
    return QTest::qWaitFor([this] { return m_seen; }, timeoutMs);
}

void ModalWatcher::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal == m_last)
        return;
    if (!m_answerAll)
        m_timer.stop();
    m_last = modal;
    m_seen = true;
    m_title = modal->windowTitle();
    m_className = QString::fromLatin1(modal->metaObject()->className());

    m_buttons.clear();
    m_text.clear();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        m_text = box->text();
        const auto buttons = box->buttons();
        for (QAbstractButton* button : buttons)
            m_buttons << button->text().remove(QLatin1Char('&'));
    }
    m_history.append({m_title, m_text});

    if (m_handler) {
        m_handler(modal);
        return;
    }
    const auto buttons = modal->findChildren<QAbstractButton*>();
    for (QAbstractButton* button : buttons) {
        if (button->isVisible() && button->text().remove(QLatin1Char('&')) == m_buttonText) {
            m_pressed = true;
            button->click();
            return;
        }
    }
    // No such button: close the dialog so the test does not hang, and let it fail on pressed().
    modal->close();
}

QStringList ModalWatcher::titles() const
{
    QStringList list;
    for (const Seen& seen : m_history)
        list << seen.title;
    return list;
}

bool ModalWatcher::chooseFile(QFileDialog* dialog, const QString& path)
{
    const QFileInfo info(path);
    dialog->setDirectory(info.absolutePath());
    dialog->selectFile(path);
    if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        name->setText(info.fileName());
    static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept checks the name
    if (!dialog->isVisible())
        return true;
    dialog->reject();
    return false;
}
