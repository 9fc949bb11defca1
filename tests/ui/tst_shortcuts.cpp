// The main window's keys from every field under X11, where a line edit claims Ctrl+E and other
// emacs-style keys for itself; skips without a display.
#include "support/ui/Controls.h"
#include "support/ui/ShownMainWindow.h"
#include "ui/GridSheetView.h"

#include <QtTest>
#include <QtWidgets>

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

    // Editing keys stay with the field that has the focus, though the window's Edit menu has
    // them too; the cells and their selection stay as they were. "FF" is typed at the start.
    void editingKeysStayWithTheField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("selected");

        QTest::newRow("Back Ground: Ctrl+A")
            << u"txtBGcolor"_s << QKeySequence(u"Ctrl+A"_s) << u"FF#FFFFFF"_s << u"FF#FFFFFF"_s;
        QTest::newRow("Back Ground: Ctrl+Z")
            << u"txtBGcolor"_s << QKeySequence(u"Ctrl+Z"_s) << u"#FFFFFF"_s << QString();
        QTest::newRow("Back Ground: Delete") << u"txtBGcolor"_s << QKeySequence(u"Del"_s) << u"FFFFFFFF"_s << QString();
        QTest::newRow("cell editor: Ctrl+A") << u"cell editor"_s << QKeySequence(u"Ctrl+A"_s) << u"FFab"_s << u"FFab"_s;
        QTest::newRow("cell editor: Delete") << u"cell editor"_s << QKeySequence(u"Del"_s) << u"FFb"_s << QString();
    }

    void editingKeysStayWithTheField()
    {
        QFETCH(QString, field);
        QFETCH(QKeySequence, key);
        QFETCH(QString, text);
        QFETCH(QString, selected);

        ShownMainWindow shown;
        QVERIFY(shown.active());
        shown.window.sheet().setCellText(1, 1, u"ab"_s);
        auto *view = findControl<GridSheetView>(shown.window, "sprEdit");
        view->selectArea(QRect(1, 1, 2, 1));
        auto *edit = qobject_cast<QLineEdit *>(focusField(shown.window, field));
        QVERIFY(edit);
        edit->home(false);
        QTest::keyClicks(edit, u"FF"_s);
        QTest::keySequence(edit, key);
        QCOMPARE(edit->text(), text);
        QCOMPARE(edit->selectedText(), selected);
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(shown.window.sheet().getCellText(1, 1), u"ab"_s);
        QCOMPARE(view->selectedArea(), QRect(1, 1, 2, 1));
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
