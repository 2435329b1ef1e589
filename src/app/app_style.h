#pragma once

#include <QString>

namespace AppStyle {

// Registers the compiled-in images and style sheets; safe to call more than once.
void initResources();

QString applicationStyleSheet(); // dark and gold look of the whole application
QString comboBoxStyleSheet();    // local sheet of every combo box of the main window
QString tableStyleSheet();       // live-data tables

} // namespace AppStyle
