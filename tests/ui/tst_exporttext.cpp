// Files > Export Plain Text from the main window: the chooser, the file replaced whole, and
// the message, with nothing left behind, when the file cannot be written.
#include "support/logic/SheetBuilder.h"
#include "support/ui/FakeDialogs.h"
#include "ui/frmEdit.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestExportText : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QStringList Entries() const { return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); }

private slots:
    void writesTheChosenFileWhole()
    {
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        main.Sheet().SetSize(2, 1);
        main.Sheet().SetCellText(1, 1, u"春"_qs);
        const QString path = WriteTestFile(dir_.path(), QStringLiteral("poem"), QByteArray(100, 'z'));
        dialogs.answers << QString() << path;
        main.ExportText->trigger(); // cancelled: nothing happens
        QCOMPARE(Entries(), QStringList{ QStringLiteral("poem") });
        main.ExportText->trigger();

        QCOMPARE(dialogs.requests.size(), 2);
        QVERIFY(dialogs.requests[1].save);
        QCOMPARE(dialogs.requests[1].title, QStringLiteral("テキストファイルの書き込み"));
        QCOMPARE(dialogs.requests[1].filter, QStringLiteral("テキストファイル (*.txt)|*.txt||"));
        QVERIFY(dialogs.messages.isEmpty());
        QFile file(path); // the name as chosen, no extension added
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(HexBytes(file.readAll()), QByteArray("8F 74 81 40 0D 0A"));
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
        const QStringList before = Entries();
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        dialogs.answers << dir_.filePath(name);
        main.ExportText->trigger();

        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages[0].icon, MessageIcon::Error);
        QVERIFY(dialogs.messages[0].text.startsWith(QStringLiteral("書き込みエラー")));
        QVERIFY(dialogs.messages[0].text.contains(dir_.filePath(name)));
        QCOMPARE(Entries(), before); // no partial or temporary file
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

QTEST_MAIN(TestExportText)
#include "tst_exporttext.moc"
