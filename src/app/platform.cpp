#include "app/platform.h"

#include <QProcess>

namespace Platform {

namespace {

Launcher& launcherOverride()
{
    static Launcher launcher;
    return launcher;
}

} // namespace

Os current()
{
#if defined(Q_OS_MACOS)
    return Os::MacOS;
#else
    return Os::Linux;
#endif
}

bool isBootloaderPortName(const QString& portName, Os os)
{
    switch (os) {
    case Os::MacOS:
        return portName.startsWith(QLatin1String("cu."));
    case Os::Linux:
        return portName.startsWith(QLatin1String("ttyACM")) || portName.startsWith(QLatin1String("ttyUSB"));
    }
    return false;
}

Command openWithSystemCommand(const QString& filePath, Os os)
{
    switch (os) {
    case Os::MacOS:
        return {QStringLiteral("open"), {filePath}};
    case Os::Linux:
        return {QStringLiteral("xdg-open"), {filePath}};
    }
    return {};
}

bool startDetached(const Command& command)
{
    if (launcherOverride())
        return launcherOverride()(command);
    return QProcess::startDetached(command.program, command.arguments);
}

void setLauncherForTesting(Launcher launcher)
{
    launcherOverride() = std::move(launcher);
}

bool openWithSystem(const QString& filePath)
{
    return startDetached(openWithSystemCommand(filePath));
}

} // namespace Platform
