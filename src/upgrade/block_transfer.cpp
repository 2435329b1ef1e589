#include "upgrade/block_transfer.h"

#include "upgrade/bootloader_commands.h"

#include <algorithm>
#include <cmath>

namespace BlockTransfer {

int blockLength(qint64 size, qint64 sent)
{
    if (sent >= size)
        return 0;
    return int(std::min<qint64>(kBlockSize, size - sent));
}

QList<int> blockSizes(qint64 size)
{
    QList<int> sizes;
    for (qint64 sent = 0; sent < size; sent += kBlockSize)
        sizes << blockLength(size, sent);
    return sizes;
}

int progressPercent(qint64 sent, qint64 size)
{
    const double percent = std::trunc(double(sent) / double(size) * 100.0 + 0.5);
    return int(std::min(99.0, percent));
}

AckMatch findAck(const QByteArray& buffer)
{
    static const QByteArray ack = chunkAck();
    static const QByteArray alt = alternativeChunkAck();
    const int a = buffer.indexOf(ack);
    const int b = buffer.indexOf(alt);
    if (a < 0 && b < 0)
        return {};
    if (b < 0 || (a >= 0 && a <= b))
        return {a, int(ack.size())};
    return {b, int(alt.size())};
}

QByteArray chunkAck()
{
    return Bootloader::chunkAck();
}

QByteArray alternativeChunkAck()
{
    return Bootloader::alternativeChunkAck();
}

} // namespace BlockTransfer
