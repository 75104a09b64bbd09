#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// The fuzzer's bytes as the program would see them: read off a wire or out of a file as
// Latin-1 text, the way the consoles and importers decode what they receive.
inline QString fuzzText(const uint8_t* data, size_t size) {
    return QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}
