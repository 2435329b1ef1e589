#include "support/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::~PtyPair()
{
    closeMaster();
    if (m_slave >= 0)
        ::close(m_slave);
}

bool PtyPair::open()
{
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (::openpty(&m_master, &m_slave, name, &raw, nullptr) != 0)
        return false;
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slavePath = QString::fromLocal8Bit(name);
    return true;
}

bool PtyPair::writeToSlave(const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0)
            return false;
        done += n;
    }
    return true;
}

QByteArray PtyPair::readFromSlave(int timeoutMs)
{
    QByteArray out;
    pollfd pfd{m_master, POLLIN, 0};
    if (::poll(&pfd, 1, timeoutMs) <= 0)
        return out;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof(buffer));
        if (n <= 0)
            break;
        out.append(buffer, int(n));
    }
    return out;
}

void PtyPair::closeMaster()
{
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}
