#include "upgrade/bootloader_commands.h"

#include "protocol/frames.h"

namespace Bootloader {

QByteArray identityQuery()
{
    return Protocol::fromHexText("AA CC 02 00 01 0D 0A");
}

QByteArray versionRequest()
{
    return Protocol::fromHexText("AA CC 02 00 03 0D 0A");
}

QByteArray enterBootloaderRequest()
{
    return Protocol::fromHexText("AA CC 02 00 09 0D 0A");
}

QByteArray eraseCommand()
{
    return Protocol::fromHexText("AA CC 02 00 02 0D 0A");
}

QByteArray chunkAck()
{
    return Protocol::fromHexText("AA CC 02 36 34 0D 0A");
}

QByteArray alternativeChunkAck()
{
    return Protocol::fromHexText("AA CC 02 00 36 34 0D 0A");
}

} // namespace Bootloader
