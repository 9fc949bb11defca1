// Files > Export Plain Text from the main window: the chooser, the file written whole, and
// the message when it cannot be written.
#include "core/GridSheet.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/FakeDialogs.h"
#include "ui/frmEdit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestExportText : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    static void MakeWorkedExample(GridSheet &sheet)
    {
        sheet.SetSize(3, 2);
        sheet.SetCellText(1, 1, u"春"_qs);
        sheet.SetCellText(2, 1, QStringLiteral("a"));
        sheet.SetCellText(1, 2, QStringLiteral("ab"));
        sheet.SetCellText(2, 2, QStringLiteral(" "));
        sheet.SetCellText(3, 2, QStringLiteral("x"));
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void writesTheChosenFile_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("new file") << QByteArray();
        QTest::newRow("longer file replaced whole") << QByteArray(100, 'z');
    }

    void writesTheChosenFile()
    {
        QFETCH(QByteArray, before);
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        MakeWorkedExample(main.Sheet());
        const QString path = dir_.filePath(QStringLiteral("poem"));
        QFile::remove(path);
        if (!before.isEmpty())
            WriteTestFile(dir_.path(), QStringLiteral("poem"), before);

        dialogs.answers << path;
        main.ExportText->trigger();

        QCOMPARE(dialogs.requests.size(), 1);
        QVERIFY(dialogs.requests[0].save);
        QCOMPARE(dialogs.requests[0].title, QStringLiteral("テキストファイルの書き込み"));
        QCOMPARE(dialogs.requests[0].filter, QStringLiteral("テキストファイル (*.txt)|*.txt||"));
        QVERIFY(dialogs.messages.isEmpty());
        // The name is used as chosen: no extension added.
        QCOMPARE(HexBytes(ReadAll(path)), QByteArray("8F 74 61 20 81 40 0D 0A 61 62 81 40 78 20 0D 0A"));
        QCOMPARE(main.Sheet().GetCellText(1, 1), u"春"_qs);
    }

    void cancelWritesNothing()
    {
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        const QStringList before = QDir(dir_.path()).entryList(QDir::Files);
        dialogs.answers << QString();
        main.ExportText->trigger();
        QCOMPARE(dialogs.requests.size(), 1);
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), before);
    }

    void unwritablePathIsReported_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing folder") << QStringLiteral("no/such/folder/poem.txt");
        QTest::newRow("a folder itself") << QStringLiteral("folder");
    }

    void unwritablePathIsReported()
    {
        QFETCH(QString, name);
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("folder")));
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        MakeWorkedExample(main.Sheet());
        const QString path = dir_.filePath(name);
        const QStringList before = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

        dialogs.answers << path;
        main.ExportText->trigger();

        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages[0].icon, MessageIcon::Error);
        QVERIFY(dialogs.messages[0].text.startsWith(QStringLiteral("書き込みエラー")));
        QVERIFY(dialogs.messages[0].text.contains(path));
        // No partial or temporary file is left behind.
        QCOMPARE(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QVERIFY(QFileInfo(dir_.filePath(QStringLiteral("folder"))).isDir());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }
};

QTEST_MAIN(TestExportText)
#include "tst_exporttext.moc"
