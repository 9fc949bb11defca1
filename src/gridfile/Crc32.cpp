#include "gridfile/Crc32.h"

#include <QtEndian>

#include <array>
#include <cstring>

namespace {

using Tables = std::array<std::array<quint32, 256>, 8>;

constexpr Tables makeTables()
{
    Tables tables {};
    for (quint32 byte = 0; byte < 256; ++byte) {
        quint32 crc = byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        tables[0][byte] = crc;
    }
    for (quint32 byte = 0; byte < 256; ++byte)
        for (size_t slice = 1; slice < 8; ++slice)
            tables[slice][byte] = (tables[slice - 1][byte] >> 8) ^ tables[0][tables[slice - 1][byte] & 0xFF];
    return tables;
}

constexpr Tables kTables = makeTables();

} // namespace

void Crc32::update(const char *data, qsizetype size)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(data);
    quint32 crc = state_;
    while (size >= 8) {
        quint32 low = 0, high = 0;
        std::memcpy(&low, bytes, 4);
        std::memcpy(&high, bytes + 4, 4);
        low = qFromLittleEndian(low) ^ crc;
        high = qFromLittleEndian(high);
        crc = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF]
            ^ kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF]
            ^ kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
        bytes += 8;
        size -= 8;
    }
    while (size-- > 0)
        crc = (crc >> 8) ^ kTables[0][(crc ^ *bytes++) & 0xFF];
    state_ = crc;
}
