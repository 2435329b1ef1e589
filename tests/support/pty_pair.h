#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal: the application opens the slave end with QSerialPort as if it
// were the controller's port; the test (or the simulator) owns the master end.
class PtyPair
{
public:
    PtyPair() = default;
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool open();
    QString slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }

    bool writeToSlave(const QByteArray& bytes);
    // Reads what the application wrote, waiting up to timeoutMs for the first byte.
    QByteArray readFromSlave(int timeoutMs);
    // Hangs up as an unplugged device would.
    void closeMaster();

private:
    int m_master = -1;
    int m_slave = -1; // kept open so the line does not hang up between opens
    QString m_slavePath;
};
