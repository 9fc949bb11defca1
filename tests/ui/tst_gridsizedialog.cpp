// The settings window: shows the sheet's size, refuses what is no number or too large, applies rounded counts.
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/GridSizeDialog.h"
#include "ui/MainWindow.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

class TestGridSizeDialog : public QObject {
    Q_OBJECT
private slots:
    // Opened from the menu as a modal window showing the sheet's size; OK applies the size with
    // the texts kept, or shows the message and keeps the window open as typed, for Cancel to
    // leave the sheet as it was. How counts read and round is the number field's.
    void countsAreCheckedRoundedAndApplied_data()
    {
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("message"); // empty when applied
        QTest::addColumn<QString>("after");

        const QString invalid = u"不正な値です"_s;
        const QString tooLarge = u"グリッドが大きすぎます\r\n列数 × 行数は 50,000,000 セルまでです"_s;
        QTest::newRow("13.5x2.51") << u"13.5"_s << u"2.51"_s << QString() << u"14x3"_s;
        QTest::newRow("no columns") << QString() << u"22"_s << invalid << u"25x22"_s;
        QTest::newRow("99999x501") << u"99999"_s << u"501"_s << tooLarge << u"25x22"_s;
    }

    void countsAreCheckedRoundedAndApplied()
    {
        QFETCH(QString, columns);
        QFETCH(QString, rows);
        QFETCH(QString, message);
        QFETCH(QString, after);
        FakeDialogs dialogs;
        MainWindow window(dialogs);
        window.sheet().setCellText(1, 1, u"春"_s);
        QStringList seen; // the menu waits while the window is open: drive it from the event loop
        QTimer::singleShot(0, this, [&] {
            auto *setting = qobject_cast<GridSizeDialog *>(QApplication::activeModalWidget());
            QVERIFY(setting);
            auto *columnsField = findControl<QLineEdit>(*setting, "txtMaxCol");
            auto *rowsField = findControl<QLineEdit>(*setting, "txtMaxRow");
            seen << columnsField->text() + u'x' + rowsField->text();
            columnsField->setText(columns);
            rowsField->setText(rows);
            QTest::mouseClick(findControl<QPushButton>(*setting, "btnOK"), Qt::LeftButton);
            if (setting->isVisible()) {
                seen << columnsField->text() + u'x' + rowsField->text();
                QTest::mouseClick(findControl<QPushButton>(*setting, "btnCancel"), Qt::LeftButton);
            }
        });
        findControl<QAction>(window, "Setting")->trigger();

        QCOMPARE(seen.join(u' '), message.isEmpty() ? u"25x22"_s : u"25x22 "_s + columns + u'x' + rows);
        QCOMPARE(u"%1x%2"_s.arg(window.sheet().columnCount()).arg(window.sheet().rowCount()), after);
        QCOMPARE(window.sheet().getCellText(1, 1), u"春"_s);
        QCOMPARE(dialogs.messages.size(), message.isEmpty() ? 0 : 1);
        QCOMPARE(dialogs.messages.value(0).text, message);
        QCOMPARE(dialogs.messages.value(0).icon, MessageIcon::None); // a notice, not an error
    }
};

QTEST_MAIN(TestGridSizeDialog)
#include "tst_gridsizedialog.moc"
