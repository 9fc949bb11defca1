// Telling a file's kind from its first bytes: the grid file's magic before anything else, no
// picture from a header alone, text in either encoding even where the sample ends inside a
// character. Each kind's opening, and missing and binary files, are the window's tests.
#include "core/Cp932.h"
#include "document/ContentKind.h"
#include "gridfile/GridFile.h"
#include "support/logic/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class ContentKindTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void kindOfFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<ContentKind>("kind");

        const auto file = [this](const char *name, const QByteArray &bytes) {
            return writeTestFile(dir_.path(), QString::fromLatin1(name), bytes);
        };
        const QByteArray magic(GridFile::kMagic, sizeof GridFile::kMagic);
        const QByteArray spring = Cp932::encode(QStringLiteral("春の野に\r\n"), Cp932::Unencodable::QuestionMark);
        // Both samples end inside a character. "だ" in UTF-8 (E3 81 A0) is no Shift_JIS, and
        // "あ" is two bytes in Shift_JIS.
        const QByteArray longUtf8 = "ab" + QStringLiteral("だ").repeated(kTextSampleBytes / 3 + 1).toUtf8();
        const QByteArray longSjis = "a"
            + Cp932::encode(QStringLiteral("あ").repeated(kTextSampleBytes / 2 + 1), Cp932::Unencodable::QuestionMark);

        QTest::newRow("grid magic, damaged after it") << file("a.txt", magic + "\0\0") << ContentKind::Grid;
        QTest::newRow("picture header cut short")
            << file("c.png", "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x04"_ba) << ContentKind::Foreign;
        QTest::newRow("shift_jis starting like a bitmap") << file("d.png", "BM" + spring) << ContentKind::Text;
        QTest::newRow("utf-8, sample ends inside a character") << file("f", longUtf8) << ContentKind::Text;
        QTest::newRow("shift_jis, sample ends inside a character") << file("g", longSjis) << ContentKind::Text;
        QTest::newRow("invalid in both encodings") << file("i.txt", "\x80\xFF") << ContentKind::Foreign;
    }

    void kindOfFile()
    {
        QFETCH(QString, path);
        QFETCH(ContentKind, kind);
        QCOMPARE(contentKindOf(path), kind);
    }
};

QTEST_GUILESS_MAIN(ContentKindTest)
#include "tst_contentkind.moc"
