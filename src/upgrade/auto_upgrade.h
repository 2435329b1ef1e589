#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

// Rules of the main window's own firmware check and automatic upgrade: which update
// file a connected controller is checked against, what counts as newer, the offer
// text, and how the restarted controller's bootloader is recognised in the upgrade
// dialog's device list. Nothing here touches a widget or a port.
namespace AutoUpgrade {

// --- the firmware check table (index 1..5; 0 is "no row") ---

// The first row whose model name the reported model line contains (case-sensitive),
// in the order ZRT-10, ZRT-20, ZRT-30, KX-3, KX-1.
int checkIndexFor(const QString& deviceModel);
QString modelName(int index);     // "ZRT-10" ... "KX-1"; empty for no row
QUrl updateFileUrl(int index);    // the row's update file on the download server
QUrl imageUrl(int index, const QString& release); // .../Update/<release>.bin

// --- the update file ---
struct UpdateFile
{
    QString release; // e.g. ZRT-10_V1.1.0; empty when the text does not start with one
    QString content; // everything after "Update content:" and its white space, untrimmed
};
UpdateFile parseUpdateFile(const QByteArray& body, int index);

// --- versions ---

// Version numbers are read as the upgrade dialog reads them (FirmwareVersion), but
// only major and minor count: V1.0.3 against ZRT-10_V1.0.5 is not newer, against
// ZRT-10_V1.1.0 it is.
bool isNewerMajorMinor(const QString& deviceVersion, const QString& release);

// The text of the offer box.
QString offerText(int index, const QString& deviceVersion, const QString& release, const QString& content);

// --- finding the bootloader ---

// Whether a port's description (or a list item's text) names the bootloader of
// `model`: it contains the model name and one of "BootLoad", "Bootloader", " B",
// case-insensitively. Only the four models whose bootloader this transfer serves
// (ZRT-10, ZRT-20, KX-3, KX-1) are ever found.
bool namesBootloaderOf(const QString& text, const QString& model);

// --- timing ---
struct Timing
{
    int preparingMs = 3000;   // after the enter-bootloader request, before scanning
    int scanMs = 150;         // scan period
    int scanTimeoutMs = 20000;
    int waitTickMs = 50;      // waiting for the dialog to be connected
    int waitTicks = 61;
    int watchMs = 200;        // watching the transfer to its end
    int downloadStallMs = 30000; // a download that receives nothing for this long fails
};
const Timing& timing();
// Tests shorten the waits; a default-constructed Timing restores the real one.
void setTimingForTesting(const Timing& timing);

} // namespace AutoUpgrade
