// Opening a file named on the command line or dropped on the main window: each kind opens
// where its menu command would open it, and anything else changes nothing.
#include "gridfile/GridFile.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/MainWindow.h"
#include "ui/TextImportDialog.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

namespace {

QByteArray pngBytes()
{
    QImage picture(16, 8, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

// Drags the file over the window and drops it there when the window takes it; false when
// the window refused the drag, as the no-entry pointer shows.
bool drop(MainWindow &window, const QString &path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint inside(window.width() / 2, window.height() / 2);
    QDragEnterEvent enter(inside, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (enter.isAccepted()) {
        QDropEvent dropped(inside, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &dropped);
    }
    return enter.isAccepted();
}

} // namespace

class TestOpenFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void eachKindOpensWhereItsCommandWould_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("dropped"); // or opened as from the command line
        QTest::addColumn<QString>("opened"); // grid, picture, text, message or nothing

        const QByteArray grid = sheetBytes(*buildSheet({{{"春"}, {"夏"}}}));
        QTest::newRow("grid file") << u"poem.grd"_s << grid << false << u"grid"_s;
        QTest::newRow("picture without its extension") << u"picture"_s << pngBytes() << false << u"picture"_s;
        QTest::newRow("text") << u"poem.txt"_s << "\xEF\xBB\xBFspring"_ba << false << u"text"_s;
        QTest::newRow("missing") << QString() << QByteArray() << false << u"message"_s;
        QTest::newRow("foreign") << u"data.bin"_s << "\0\1\2"_ba << false << u"message"_s;
        QTest::newRow("dropped grid file") << u"poem.grd"_s << grid << true << u"grid"_s;
        QTest::newRow("dropped picture") << u"picture.png"_s << pngBytes() << true << u"picture"_s;
        QTest::newRow("dropped text") << u"poem.txt"_s << "spring"_ba << true << u"text"_s;
        QTest::newRow("dropped foreign file is refused") << u"data.bin"_s << "\0\1\2"_ba << true << u"nothing"_s;
    }

    void eachKindOpensWhereItsCommandWould()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, dropped);
        QFETCH(QString, opened);

        const QString path = name.isEmpty() ? dir_.filePath(u"none.grd"_s) : writeTestFile(dir_.path(), name, bytes);
        FakeDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // The text import window is modal: note its path and close it once it is up.
        QString textPath;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (auto *text = qobject_cast<TextImportDialog *>(QApplication::activeModalWidget())) {
                textPath = findControl<QLineEdit>(*text, "txtPath")->text();
                text->reject();
            }
        });
        closer.start(10);
        if (dropped) {
            QCOMPARE(drop(window, path), opened != u"nothing");
            QTest::qWait(50); // the file opens through the event loop, once the drop is over
        } else {
            window.openFile(path);
        }

        QCOMPARE(window.document().filePath() == path, opened == u"grid");
        QCOMPARE(window.sheet().columnCount() == 2, opened == u"grid");
        QCOMPARE(window.isPictureLoaded(), opened == u"picture");
        QCOMPARE(textPath, opened == u"text" ? path : QString());
        QCOMPARE(dialogs.messages.size(), opened == u"message" ? 1 : 0);
        if (opened == u"message")
            QVERIFY2(dialogs.messages.constFirst().text.contains(path), qPrintable(dialogs.messages.constFirst().text));
    }
};

QTEST_MAIN(TestOpenFile)
#include "tst_openfile.moc"
