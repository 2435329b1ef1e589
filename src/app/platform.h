#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Every difference between the desktop platforms lives here; nothing else tests Q_OS_*.
// The functions take the platform as an argument (defaulting to the one we run on),
// so the rules of every platform can be checked on any build machine.
namespace Platform {

enum class Os { MacOS, Linux };

Os current();

// Whether a serial port name may belong to a controller in bootloader mode.
// macOS lists call-out devices ("cu.*"), Linux CDC-ACM and USB-serial ttys.
bool isBootloaderPortName(const QString& portName, Os os = current());

// The system command that hands a downloaded installer to the desktop.
struct Command
{
    QString program;
    QStringList arguments;
};
Command openWithSystemCommand(const QString& filePath, Os os = current());

// Starts the command detached from this process; returns whether it started.
// Tests replace the launcher so that no real viewer is opened.
using Launcher = std::function<bool(const Command&)>;
bool startDetached(const Command& command);
void setLauncherForTesting(Launcher launcher); // an empty launcher restores the real one

// Hands a file to the system ("open" on macOS, "xdg-open" on Linux).
bool openWithSystem(const QString& filePath);

} // namespace Platform
