#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class QFileDialog;
class QWidget;

// Answers the next modal dialog that opens, the way a person would: it polls for the
// active modal widget, records what the dialog shows, then presses a named button
// (or hands the dialog to a custom handler). Product code stays unaware of tests.
class ModalWatcher : public QObject
{
    Q_OBJECT

public:
    // Presses the button whose text (without '&') equals buttonText.
    explicit ModalWatcher(QString buttonText, QObject* parent = nullptr);
    // Calls handler(dialog) once the dialog is up; the handler must close it.
    explicit ModalWatcher(std::function<void(QWidget*)> handler, QObject* parent = nullptr);

    bool seen() const { return m_seen; }
    QString title() const { return m_title; }
    QString text() const { return m_text; }
    QStringList buttonTexts() const { return m_buttons; }
    QString className() const { return m_className; }
    bool pressed() const { return m_pressed; }

    // Spins the event loop until a dialog was handled or the time is up.
    bool waitHandled(int timeoutMs = 5000);

    // Keeps answering every further dialog the same way; each one is recorded.
    void answerAll() { m_answerAll = true; }
    struct Seen
    {
        QString title;
        QString text;
    };
    QList<Seen> history() const { return m_history; }
    QStringList titles() const;

    // Chooses path in an open file dialog and accepts it, as typing the name and pressing
    // Save/Open does. The name is typed into the name field itself: selectFile() leaves
    // that field alone once it has the keyboard focus, and the dialog would then take its
    // folder for the answer and stay open. A dialog that still refuses is cancelled, so a
    // test fails instead of hanging; returns whether the dialog took the name.
    static bool chooseFile(QFileDialog* dialog, const QString& path);

private:
    void poll();

    QString m_buttonText;
    std::function<void(QWidget*)> m_handler;
    QTimer m_timer;
    bool m_seen = false;
    bool m_pressed = false;
    QString m_title;
    QString m_text;
    QString m_className;
    QStringList m_buttons;
    bool m_answerAll = false;
    QList<Seen> m_history;
    QPointer<QWidget> m_last;
};
