#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// The firmware image travels raw in 64-byte blocks; the bootloader acknowledges each
// block with AA CC 02 36 34 0D 0A (payload "64") or the 8-byte form AA CC 02 00 36 34 0D 0A.
namespace BlockTransfer {

constexpr int kBlockSize = 64;

// Length of the block that starts at offset `sent` of an image of `size` bytes
// (0 once everything is sent).
int blockLength(qint64 size, qint64 sent);
// Lengths of all blocks of an image, in sending order.
QList<int> blockSizes(qint64 size);
// Progress shown after `sent` of `size` bytes went out: rounded half up, never 100
// before the final report. size must be positive.
int progressPercent(qint64 sent, qint64 size);

struct AckMatch
{
    int position = -1; // start of the acknowledgement in the buffer, -1 when none
    int length = 0;
    bool found() const { return position >= 0; }
};
// The earliest acknowledgement of either form in the buffer; on equal positions the
// 7-byte form.
AckMatch findAck(const QByteArray& buffer);

QByteArray chunkAck();
QByteArray alternativeChunkAck();

} // namespace BlockTransfer
