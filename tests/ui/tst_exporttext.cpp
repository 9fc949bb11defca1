// Files > Export Plain Text from the main window: the chooser, the file replaced whole, and
// the message, with nothing left behind, when the file cannot be written.
#include "support/logic/TestFiles.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/MainWindow.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestExportText : public QObject {
    Q_OBJECT

private slots:
    void writesTheChosenFileOrReportsWhyNot()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("folder")));
        const QString path = writeTestFile(dir.path(), QStringLiteral("poem"), QByteArray(100, 'z'));
        const QString folder = dir.filePath(QStringLiteral("folder"));
        FakeDialogs dialogs;
        MainWindow main(dialogs);
        main.sheet().setSize(2, 1);
        main.sheet().setCellText(1, 1, u"春"_qs);
        dialogs.answers << QString() << path << folder; // a cancel first
        for (int i = 0; i < 3; ++i)
            findControl<QAction>(main, "ExportText")->trigger();

        QCOMPARE(dialogs.requests.size(), 3);
        QVERIFY(dialogs.requests[1].save);
        QCOMPARE(dialogs.requests[1].title, QStringLiteral("テキストファイルの書き込み"));
        QCOMPARE(dialogs.requests[1].filter, QStringLiteral("テキストファイル (*.txt)|*.txt||"));
        // Replaced whole, under the name as chosen.
        QCOMPARE(hexBytes(readTestFile(path)), QByteArray("8F 74 81 40 0D 0A"));
        // A folder cannot be written: the message, no partial or temporary file, the normal pointer back.
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages[0].icon, MessageIcon::Error);
        QVERIFY(dialogs.messages[0].text.startsWith(u"書き込みエラー\r\n"_qs + folder));
        QCOMPARE(folderEntries(dir.path()), QStringList({"folder", "poem"}));
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

QTEST_MAIN(TestExportText)
#include "tst_exporttext.moc"
