// CRC-32 as in zlib, PNG and Ethernet (reflected polynomial 0xEDB88320), computed eight
// bytes at a time so that checking a large grid file costs little next to reading it.
#pragma once

#include <QtGlobal>

class Crc32 {
public:
    void Update(const char *data, qsizetype size);
    quint32 Value() const { return ~state_; }

    static quint32 Of(const char *data, qsizetype size)
    {
        Crc32 crc;
        crc.Update(data, size);
        return crc.Value();
    }

private:
    quint32 state_ = 0xFFFFFFFFu;
};
