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

} // namespace Bootloader
