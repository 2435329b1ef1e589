#pragma once

#include "app/app_style.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QString>

// Puts the test application into the state main() leaves the real one in.
inline void applyApplicationLook()
{
    AppStyle::initResources();
    qApp->setStyleSheet(AppStyle::applicationStyleSheet());
}

// The settings file the window reads ("config.ini" in the per-user configuration folder).
inline QString settingsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/config.ini");
}
