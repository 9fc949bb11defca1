// The main window's keys from every field under X11, where a line edit claims Ctrl+E for itself.
#include "support/ui/Controls.h"
#include "support/ui/ShownMainWindow.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

class TestShortcuts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != u"xcb"_s)
            QSKIP("needs an X display (DISPLAY) for the xcb platform");
    }

    // Menu keys open their command from every field; editing keys stay with the field that has
    // the focus, though the Edit menu has them too. "FF" is typed at the field's start first.
    void keysFromEveryField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("opened"); // a chooser's title or a window's name
        QTest::addColumn<QString>("text"); // the field's, after an editing key

        // Ctrl+E is a line edit's own under X11; Ctrl+T opens a modal window.
        const QList<std::pair<QString, QString>> commands = {{u"Ctrl+E"_s, u"HTMLの書き込み"_s},
            {u"Ctrl+S"_s, u"グリッドイメージの書き込み"_s}, {u"Ctrl+T"_s, u"frmTextLoad"_s}};
        for (const QString &field : {u"txtNear"_s, u"txtBGcolor"_s, u"cell editor"_s}) {
            for (const auto &[key, opened] : commands)
                QTest::addRow("%s: %s", qPrintable(field), qPrintable(key)) << field << key << opened << QString();
        }
        QTest::newRow("Back Ground: Ctrl+A") << u"txtBGcolor"_s << u"Ctrl+A"_s << QString() << u"FF#FFFFFF"_s;
        QTest::newRow("Back Ground: Ctrl+Z") << u"txtBGcolor"_s << u"Ctrl+Z"_s << QString() << u"#FFFFFF"_s;
        QTest::newRow("cell editor: Delete") << u"cell editor"_s << u"Del"_s << QString() << u"FFb"_s;
    }

    void keysFromEveryField()
    {
        QFETCH(QString, field);
        QFETCH(QString, key);
        QFETCH(QString, opened);
        QFETCH(QString, text);
        ShownMainWindow shown; // every chooser is cancelled
        QVERIFY(shown.active());
        shown.window.sheet().setCellText(1, 1, u"ab"_s);
        auto *view = findControl<GridSheetView>(shown.window, "sprEdit");
        view->selectArea(QRect(1, 1, 2, 1));
        if (field == u"cell editor"_s) {
            view->setFocus();
            view->edit(view->currentIndex());
        } else {
            findControl<QLineEdit>(shown.window, qPrintable(field))->setFocus();
        }
        auto *edit = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(edit);
        edit->home(false);
        QTest::keyClicks(edit, u"FF"_s);
        QString seen;
        QTimer::singleShot(0, &shown.window, [&seen] {
            if (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                seen = modal->objectName();
                modal->reject();
            }
        });
        QTest::keySequence(edit, QKeySequence(key));
        seen += shown.dialogs.requests.value(0).title;
        QCOMPARE(seen, opened);
        if (!opened.isEmpty())
            return; // a modal window takes the focus, and the cell editor may close with it
        QCOMPARE(edit->text(), text);
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
