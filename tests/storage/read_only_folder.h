#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <unistd.h>
#if defined(__linux__)
#include <linux/capability.h>
#include <sys/syscall.h>
#endif

#include <cstring>

// A folder nobody may write into, for as long as the object lives. Root passes any
// permission bits, so when the test runs as root the calling thread also gives up the
// capabilities that override them (and takes them back at the end).
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString& path) : m_path(path)
    {
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                                        QFile::ReadOther | QFile::ExeOther);
#if defined(__linux__)
        if (geteuid() == 0) {
            m_header.version = _LINUX_CAPABILITY_VERSION_3;
            m_header.pid = 0;
            if (syscall(SYS_capget, &m_header, m_saved) == 0) {
                __user_cap_data_struct reduced[2];
                std::memcpy(reduced, m_saved, sizeof reduced);
                reduced[0].effective &=
                    ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
                m_dropped = syscall(SYS_capset, &m_header, reduced) == 0;
            }
        }
#endif
    }

    ~ReadOnlyFolder()
    {
#if defined(__linux__)
        if (m_dropped)
            syscall(SYS_capset, &m_header, m_saved);
#endif
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Whether writing there really fails for this process.
    bool holds() const
    {
        QFile probe(m_path + QStringLiteral("/probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.close();
            probe.remove();
            return false;
        }
        return true;
    }

private:
    QString m_path;
#if defined(__linux__)
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
    bool m_dropped = false;
#endif
};
