#pragma once

#include <QString>

namespace mojing {

// What the program records about the operating system at start.
namespace SystemInfo {

// "64" on a 64-bit system, otherwise "32".
QString osBitness();
// One line: product name, " 版本:" release, " (内部版本:" kernel ")", then "[" + bitness + "]".
QString osDescription(const QString& bitness);

// Bitness of a CPU architecture name as Qt reports it ("x86_64", "arm64", "i386", ...).
QString bitnessOf(const QString& cpuArchitecture);

} // namespace SystemInfo
} // namespace mojing
