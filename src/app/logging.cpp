#include "app/logging.h"

Q_LOGGING_CATEGORY(lcApp, "quillmar.app")
Q_LOGGING_CATEGORY(lcSerial, "quillmar.serial")
Q_LOGGING_CATEGORY(lcProtocol, "quillmar.protocol")
Q_LOGGING_CATEGORY(lcEditor, "quillmar.editor")
Q_LOGGING_CATEGORY(lcStorage, "quillmar.storage")
Q_LOGGING_CATEGORY(lcMonitor, "quillmar.monitor")
Q_LOGGING_CATEGORY(lcUpgrade, "quillmar.upgrade")
Q_LOGGING_CATEGORY(lcUpdate, "quillmar.update")
