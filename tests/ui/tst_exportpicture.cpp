// Files > Export Picture: each cell a square of the chosen side in the grid's look, the same
// bytes as glyphscape-batch --png, and pictures too large refused before any file.
#include "gridfile/GridFile.h"
#include "support/logic/TestFiles.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/GridSheetView.h"
#include "ui/MainWindow.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

class TestExportPicture : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    FakeDialogs dialogs_;
    MainWindow main_ {dialogs_};

private slots:
    void init()
    {
        dialogs_ = {};
        main_.sheet().setSize(3, 2);
        main_.sheet().setCellColors(2, 1, 0x001E1EC8, 0x005A140A);
        main_.sheet().setCellText(2, 1, u"■"_s);
        findControl<QLineEdit>(main_, "txtBGcolor")->setText(u"#F0E0D0"_s);
    }

    void batchWritesWhatTheEditorExports_data()
    {
        QTest::addColumn<bool>("pageLook");
        QTest::addColumn<QRgb>("square"); // the colour of the square character
        QTest::newRow("cells") << false << qRgb(0x0A, 0x14, 0x5A);
        QTest::newRow("page") << true << qRgb(0xC8, 0x1E, 0x1E);
    }

    void batchWritesWhatTheEditorExports()
    {
        QFETCH(bool, pageLook);
        QFETCH(QRgb, square);
        findControl<GridSheetView>(main_, "sprEdit")->setPageLook(pageLook);
        const QString path = dir_.filePath(u"poem.png"_s);
        dialogs_.numberAnswers << 12;
        dialogs_.answers << path;
        findControl<QAction>(main_, "ExportPicture")->trigger();
        QVERIFY(dialogs_.messages.isEmpty());
        const QByteArray exported = readTestFile(path);
        const QImage picture = QImage::fromData(exported);
        QCOMPARE(picture.size(), QSize(36, 24));
        QCOMPARE(picture.pixel(18, 6), square);

        const QString grid = dir_.filePath(u"poem.grd"_s);
        QVERIFY(saveSheet(main_.sheet(), grid));
        QStringList arguments {u"--grid"_s, grid, u"--bg"_s, u"#F0E0D0"_s, u"--png"_s, dir_.filePath(u"batch.png"_s),
            u"--cell-size"_s, u"12"_s};
        if (pageLook)
            arguments << u"--page-look"_s;
        QProcess batch;
        // The batch must start its own platform whatever the caller's.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"QT_QPA_PLATFORM"_s);
        batch.setProcessEnvironment(environment);
        batch.start(qEnvironmentVariable("GLYPHSCAPE_BINARY_DIR") + u"/bin/glyphscape-batch"_s, arguments);
        QVERIFY(batch.waitForFinished(60000));
        QCOMPARE(batch.exitCode(), 0);
        QCOMPARE(readTestFile(dir_.filePath(u"batch.png"_s)), exported);
    }

    // Refused with the largest side that fits, before the chooser: nothing is written.
    void refusesPicturesTooLarge()
    {
        main_.sheet().setSize(2000, 2000);
        dialogs_.numberAnswers << 16;
        findControl<QAction>(main_, "ExportPicture")->trigger();
        QVERIFY(dialogs_.requests.isEmpty());
        QCOMPARE(dialogs_.messages.size(), 1);
        QVERIFY(dialogs_.messages[0].text.contains(u"The largest cell size that fits is 8 pixels."_s));
    }
};

QTEST_MAIN(TestExportPicture)
#include "tst_exportpicture.moc"
