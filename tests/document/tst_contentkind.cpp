// Telling a text file's kind from its first bytes, in either encoding, where the sample ends
// inside a character. Each kind's opening, and missing and foreign files, are the window's tests.
#include "core/Cp932.h"
#include "document/ContentKind.h"
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
        // Both samples end inside a character. "だ" in UTF-8 (E3 81 A0) is no Shift_JIS, and
        // "あ" is two bytes in Shift_JIS.
        const QByteArray longUtf8 = "ab" + QStringLiteral("だ").repeated(kTextSampleBytes / 3 + 1).toUtf8();
        const QByteArray longSjis = "a"
            + Cp932::encode(QStringLiteral("あ").repeated(kTextSampleBytes / 2 + 1), Cp932::Unencodable::QuestionMark);

        QTest::newRow("utf-8, sample ends inside a character") << file("f", longUtf8) << ContentKind::Text;
        QTest::newRow("shift_jis, sample ends inside a character") << file("g", longSjis) << ContentKind::Text;
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
