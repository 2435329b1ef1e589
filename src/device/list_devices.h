#pragma once

#include <QMap>
#include <QPair>
#include <QString>

// Product strings of the USB devices whose string contains a pattern,
// keyed by (product id, vendor id). A key seen twice keeps the last device's string.
using DeviceTable = QMap<QPair<int, int>, QString>;

DeviceTable ListDevices(const char* pattern);
