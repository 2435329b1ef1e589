#include "app/logging.h"

Q_LOGGING_CATEGORY(lcApp, "quillmar.app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSerial, "quillmar.serial", QtInfoMsg)
Q_LOGGING_CATEGORY(lcProtocol, "quillmar.protocol", QtInfoMsg)
Q_LOGGING_CATEGORY(lcEditor, "quillmar.editor", QtInfoMsg)
Q_LOGGING_CATEGORY(lcStorage, "quillmar.storage", QtInfoMsg)
Q_LOGGING_CATEGORY(lcMonitor, "quillmar.monitor", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUpgrade, "quillmar.upgrade", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUpdate, "quillmar.update", QtInfoMsg)
