#pragma once

#include <QByteArray>

// Bootloader frames: AA CC, a payload length N, N payload bytes, CR LF.
// The application firmware answers the identity and version requests too.
namespace Bootloader {

QByteArray identityQuery();   // AA CC 02 00 01 0D 0A: answered with the model line
QByteArray versionRequest();  // AA CC 02 00 03 0D 0A: answered with the version frame
QByteArray eraseCommand();   // AA CC 02 00 02 0D 0A: answered with "ERASE END" once the flash is erased
QByteArray chunkAck();       // AA CC 02 36 34 0D 0A: a 64-byte data block was received
QByteArray alternativeChunkAck(); // AA CC 02 00 36 34 0D 0A: the same, as some bootloaders send it
QByteArray enterBootloaderRequest(); // AA CC 02 00 09 0D 0A: the application restarts into its bootloader

} // namespace Bootloader
