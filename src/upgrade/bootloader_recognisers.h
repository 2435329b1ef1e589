#pragma once

#include <QByteArray>
#include <QString>

// What the receive path looks for in the bootloader traffic. Every function here
// reads a receive buffer (all bytes since it was last cleared) and decides; the
// SerialPort and Widget members only act on the answer.
//
// Version frame: AA CC 06 "V1.0.3" CR LF. Model reply: any text holding a model
// name such as "ZRT-10" (the application firmware answers with a bare bootloader
// frame of the name, the bootloader with a line such as "ZRT-10 BL V1.0").
namespace BootloaderRecognisers {

// The text of a byte sequence: the bytes up to, not including, the first zero byte,
// decoded as UTF-8.
QString textOf(const QByteArray& bytes);

// The model pattern shared by every recogniser of a model name.
QString modelPattern();

// --- SerialPort::deal_updata ---
struct UpdataResult
{
    enum Kind {
        Nothing, // no version frame, no model text
        Version, // a complete version frame; `text` is its version, e.g. V1.0.3
        Model,   // a model name; `text` is the name, the version request is due
    };
    Kind kind = Nothing;
    QString text;
};
// A version frame wins over a model text in the same buffer. The version is read from
// the frame itself, from its "V" up to the first CR LF after it; a "V" earlier in the
// buffer (inside a model line, say) is not part of it. A frame without its CR LF yet
// yields Nothing.
UpdataResult recogniseUpdata(const QByteArray& buffer);

// --- SerialPort::deal_erase ---
enum class EraseResult {
    Nothing,
    EraseDone, // "ERASE END": the flash is erased
    LogOnly,   // a 7-byte reply (an acknowledgement) or "Reset": worth a debug line only
};
EraseResult recogniseErase(const QByteArray& buffer);

// --- Widget::rec_data ---
struct Identity
{
    bool ignored = false;    // an erase, acknowledgement or reset reply: nothing to take
    bool marker = false;     // at least 7 bytes and byte 6 is not 'o'; gates version and check
    bool hasModel = false;   // a model line ("KX-..." or "ZRT-..." up to CR LF) was found
    QString model;
    bool hasVersion = false; // a version frame (only looked for when no model line is present)
    QString version;
};
Identity recogniseIdentity(const QByteArray& data);

} // namespace BootloaderRecognisers
