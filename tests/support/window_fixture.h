#pragma once

#include "app/app_style.h"
#include "upgrade/download_server.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QString>

// Puts the test application into the state main() leaves the real one in.
// Also keeps window tests off the real download server: a shown window checks for
// updates, so its requests go to a local port nobody listens on unless a test
// points them at its own server.
inline void applyApplicationLook()
{
    AppStyle::initResources();
    qApp->setStyleSheet(AppStyle::applicationStyleSheet());
    DownloadServer::setBaseAddressForTesting(QStringLiteral("https://127.0.0.1:9"));
}

// The settings file the window reads ("config.ini" in the per-user configuration folder).
inline QString settingsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/config.ini");
}
