// libFuzzer entry for the grid file reader: any input either loads, and then survives a
// save and a second load unchanged, or fails with a reason and leaves the sheet alone.
#include "core/GridSheet.h"
#include "gridfile/GridFile.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QByteArray snapshot(const GridSheet &sheet)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!writeGridFile(buffer, sheet)) {
        std::fprintf(stderr, "writing a loaded sheet failed\n");
        std::abort();
    }
    return bytes;
}

bool load(const QByteArray &bytes, GridSheet &into, GridFileFailure *failure)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return readGridFile(buffer, into, failure);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));

    GridSheet sheet(3, 2);
    sheet.setCellText(2, 1, QStringLiteral("元"));
    sheet.setCellColors(3, 2, 0x00102030, 0x00405060);
    const QByteArray before = snapshot(sheet);

    GridFileFailure failure;
    if (!load(input, sheet, &failure)) {
        if (failure.error == GridFileError::None || snapshot(sheet) != before) {
            std::fprintf(stderr, "a failed load gave no reason or changed the sheet\n");
            std::abort();
        }
        return 0;
    }

    const QByteArray saved = snapshot(sheet);
    GridSheet again(1, 1);
    if (!load(saved, again, &failure) || snapshot(again) != saved) {
        std::fprintf(stderr, "a loaded sheet does not survive a save and a load: code %d\n", int(failure.error));
        std::abort();
    }
    return 0;
}
