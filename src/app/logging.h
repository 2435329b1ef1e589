#pragma once

#include <QLoggingCategory>

// Diagnostic categories; enable with QT_LOGGING_RULES, e.g. "quillmar.serial.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcSerial)
Q_DECLARE_LOGGING_CATEGORY(lcProtocol)
Q_DECLARE_LOGGING_CATEGORY(lcEditor)
Q_DECLARE_LOGGING_CATEGORY(lcStorage)
Q_DECLARE_LOGGING_CATEGORY(lcMonitor)
Q_DECLARE_LOGGING_CATEGORY(lcUpgrade)
Q_DECLARE_LOGGING_CATEGORY(lcUpdate)
