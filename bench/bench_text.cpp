// Times text pouring of a 10 MB code page 932 file into a 1000 x 1000 sheet with background
// skip, in both line-break modes, the plain text export of the poured sheet, and the look at
// a file's encoding that the text import window takes before pouring, with the UTF-8 pour.
// Usage: bench_text [repetitions]
#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/GridSheet.h"
#include "text/PlainTextExport.h"
#include "text/TextPouring.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kSide = 1000;
constexpr qsizetype kFileBytes = 10 * 1000 * 1000;

// kSide lines of about 10 KB each: kana, kanji, ASCII pairs, spaces and tabs mixed.
QByteArray makeText()
{
    const QString pieces[] = {u"春はあけぼの"_qs, u"やうやう白くなりゆく"_qs, u" shape poem "_qs, u"山ぎは\t"_qs,
        u"ｶﾀｶﾅ"_qs, u"　少しあかりて"_qs, u"purple clouds"_qs};
    QByteArray text;
    text.reserve(kFileBytes + 4096);
    const qsizetype lineBytes = kFileBytes / kSide;
    int next = 0;
    while (text.size() < kFileBytes) {
        const qsizetype lineEnd = text.size() + lineBytes - 2;
        while (text.size() < lineEnd)
            Cp932::appendEncoded(text, pieces[next++ % 7], Cp932::Unencodable::QuestionMark);
        text += "\r\n";
    }
    return text;
}

// A white background around a coloured disc that covers about half the cells.
void paintFigure(GridSheet &sheet)
{
    const double radius = kSide * 0.4;
    for (int row = 1; row <= kSide; ++row) {
        for (int column = 1; column <= kSide; ++column) {
            const double dx = column - kSide / 2.0;
            const double dy = row - kSide / 2.0;
            const bool figure = dx * dx + dy * dy < radius * radius;
            sheet.setCellColors(column, row, figure ? makeColor(200, 40, (row + column) % 256) : kWhite, kBlack);
        }
    }
}

double bestMilliseconds(int repetitions, const std::function<void()> &run)
{
    double best = 1e300;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;

    const QByteArray text = makeText();
    const QString textPath = dir.filePath(QStringLiteral("poem.txt"));
    {
        QFile file(textPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return 1;
    }
    std::printf("text file: %.1f MB, %d lines\n", text.size() / 1e6, kSide);

    GridSheet sheet(kSide, kSide);
    paintFigure(sheet);

    for (LineBreakMode mode : {LineBreakMode::ByLine, LineBreakMode::Flow}) {
        TextPouringInputs inputs;
        inputs.path = textPath;
        inputs.mode = mode;
        inputs.skipBackground = true;
        bool done = true;
        const double ms = bestMilliseconds(repetitions, [&] { done = pourText(sheet, inputs).done() && done; });
        std::printf("pour %-8s with background skip: %8.1f ms%s\n", mode == LineBreakMode::ByLine ? "by line" : "flow",
            ms, done ? "" : "  (FAILED)");
    }

    {
        // Every byte decoded and poured: a sheet large enough to take the whole file.
        GridSheet large(2500, 2500);
        TextPouringInputs inputs;
        inputs.path = textPath;
        inputs.mode = LineBreakMode::Flow;
        bool done = true;
        const double ms = bestMilliseconds(repetitions, [&] { done = pourText(large, inputs).done() && done; });
        std::printf("pour flow, whole file into 2500 x 2500:  %8.1f ms%s\n", ms, done ? "" : "  (FAILED)");
    }

    {
        // The same text in UTF-8: examined whole (the worst case), and poured whole.
        const QByteArray utf8 = Cp932::decode(text).toUtf8();
        const QString utf8Path = dir.filePath(QStringLiteral("poem-utf8.txt"));
        QFile file(utf8Path);
        if (!file.open(QIODevice::WriteOnly) || file.write(utf8) != utf8.size())
            return 1;
        file.close();
        for (const QString &path : {textPath, utf8Path}) {
            TextPouringInputs inputs;
            inputs.path = path;
            TextFileTraits traits;
            const double ms = bestMilliseconds(repetitions, [&] { examineTextFile(inputs, &traits); });
            std::printf("examine %-9s %.1f MB:           %8.1f ms%s\n", path == textPath ? "Shift_JIS" : "UTF-8",
                QFileInfo(path).size() / 1e6, ms, traits.validUtf8 == (path == utf8Path) ? "" : "  (WRONG)");
        }
        GridSheet large(2500, 2500);
        TextPouringInputs inputs;
        inputs.path = utf8Path;
        inputs.mode = LineBreakMode::Flow;
        inputs.encoding = TextEncoding::Utf8;
        bool done = true;
        const double ms = bestMilliseconds(repetitions, [&] {
            const TextPouringResult result = pourText(large, inputs);
            done = result.done() && result.invalidBytes == 0 && done;
        });
        std::printf("pour UTF-8 flow, whole file into 2500 x 2500: %8.1f ms%s\n", ms, done ? "" : "  (FAILED)");
    }

    const QString exportPath = dir.filePath(QStringLiteral("export.txt"));
    bool written = true;
    const double exportMs = bestMilliseconds(repetitions, [&] {
        QString error;
        written = writeFileAtomically(
                      exportPath, [&](QIODevice &device, QString *) { return writePlainText(device, sheet); }, &error)
            && written;
    });
    std::printf("export %d x %d as plain text:       %8.1f ms, %.1f MB%s\n", kSide, kSide, exportMs,
        QFileInfo(exportPath).size() / 1e6, written ? "" : "  (FAILED)");
    return 0;
}
