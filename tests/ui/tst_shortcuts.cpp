// The main window's menu shortcuts from every field, under X11: there a line edit claims
// Ctrl+E (end of line) and other emacs-style keys for itself. Runs on the xcb platform
// when a display is at hand and skips otherwise.
#include "support/ui/Controls.h"
#include "support/ui/ShownMainWindow.h"
#include "ui/GridSheetView.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Puts the keyboard focus where the test row says: a field, or a cell being edited in place.
QWidget *focusField(MainWindow &window, const QString &field)
{
    if (field == u"cell editor"_s) {
        auto *view = findControl<GridSheetView>(window, "sprEdit");
        view->setFocus();
        view->edit(view->currentIndex());
    } else {
        findControl<QLineEdit>(window, qPrintable(field))->setFocus();
    }
    QWidget *focused = QApplication::focusWidget();
    return qobject_cast<QLineEdit *>(focused) ? focused : nullptr;
}

} // namespace

class TestShortcuts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != u"xcb"_s)
            QSKIP("needs an X display (DISPLAY) for the xcb platform");
    }

    // Each key opens its command's chooser, or for Ctrl+T the text import window.
    void menuShortcutsFromEveryField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QString>("opened");

        const QList<std::pair<QString, QString>> commands = {{u"Ctrl+E"_s, u"HTMLの書き込み"_s},
            {u"Ctrl+I"_s, u"イメージの読み込み"_s}, {u"Ctrl+O"_s, u"グリッドイメージの読み込み"_s},
            {u"Ctrl+S"_s, u"グリッドイメージの書き込み"_s}, {u"Ctrl+T"_s, u"frmTextLoad"_s}};
        for (const QString &field : {u"txtNear"_s, u"txtBGcolor"_s, u"cell editor"_s}) {
            for (const auto &[key, opened] : commands)
                QTest::addRow("%s: %s", qPrintable(field), qPrintable(key)) << field << QKeySequence(key) << opened;
        }
    }

    void menuShortcutsFromEveryField()
    {
        QFETCH(QString, field);
        QFETCH(QKeySequence, key);
        QFETCH(QString, opened);

        ShownMainWindow shown; // every chooser is cancelled
        QVERIFY(shown.active());
        QWidget *focused = focusField(shown.window, field);
        QVERIFY(focused);
        QString seen;
        QTimer::singleShot(0, &shown.window, [&seen] {
            if (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                seen = modal->objectName();
                modal->reject();
            }
        });
        QTest::keySequence(focused, key);
        for (const ChooserRequest &request : std::as_const(shown.dialogs.requests))
            seen += request.title;
        QCOMPARE(seen, opened);
    }

    // The editing keys stay with the field that has the focus, Ctrl+Z too, which is also
    // the window's Undo.
    void editingKeysStayWithTheField_data()
    {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("selected");

        // The field holds "#FFFFFF" with "FF" typed over the end, the cursor after them.
        QTest::newRow("Ctrl+A selects all") << QKeySequence(u"Ctrl+A"_s) << u"#FFFFFFFF"_s << u"#FFFFFFFF"_s;
        QTest::newRow("Ctrl+Z undoes") << QKeySequence(u"Ctrl+Z"_s) << u"#FFFFFF"_s << QString();
    }

    void editingKeysStayWithTheField()
    {
        QFETCH(QKeySequence, key);
        QFETCH(QString, text);
        QFETCH(QString, selected);

        ShownMainWindow shown;
        QVERIFY(shown.active());
        auto *field = qobject_cast<QLineEdit *>(focusField(shown.window, u"txtBGcolor"_s));
        QVERIFY(field);
        field->end(false);
        QTest::keyClicks(field, u"FF"_s);
        QTest::keySequence(field, key);
        QCOMPARE(field->text(), text);
        QCOMPARE(field->selectedText(), selected);
        QCOMPARE(QApplication::focusWidget(), field);
    }
};

// Without a display the test falls back to the offscreen platform and skips.
int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    TestShortcuts test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_shortcuts.moc"
