#pragma once

#include <QByteArray>

// Bootloader frames: AA CC, a payload length N, N payload bytes, CR LF.
// The application firmware answers the identity and version requests too.
namespace Bootloader {

QByteArray identityQuery();   // AA CC 02 00 01 0D 0A: answered with the model line
QByteArray versionRequest();  // AA CC 02 00 03 0D 0A: answered with the version frame

} // namespace Bootloader
