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

    FakeDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;

    QString sheetSize() const
    {
        return u"%1x%2"_s.arg(window_->sheet().columnCount()).arg(window_->sheet().rowCount());
    }

private slots:
    void init()
    {
        dialogs_ = FakeDialogs();
        window_ = std::make_unique<MainWindow>(dialogs_);
    }

    void menuOpensItModalWithTheSheetsSize()
    {
        QString seen; // the menu waits while the window is open: read and cancel it from the event loop
        QTimer::singleShot(0, this, [&] {
            auto *setting = qobject_cast<GridSizeDialog *>(QApplication::activeModalWidget());
            QVERIFY(setting);
            seen = findControl<QLineEdit>(*setting, "txtMaxCol")->text() + u'x'
                + findControl<QLineEdit>(*setting, "txtMaxRow")->text();
            findControl<QLineEdit>(*setting, "txtMaxCol")->setText(u"40"_s);
            QTest::mouseClick(findControl<QPushButton>(*setting, "btnCancel"), Qt::LeftButton);
        });
        findControl<QAction>(*window_, "Setting")->trigger();
        QCOMPARE(seen, u"25x22"_s);
        QCOMPARE(sheetSize(), u"25x22"_s);
    }

    // The size applied with the texts kept, or the message shown and the window kept open as
    // typed. How counts read and round is the number field's.
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
        QTest::newRow("trailing letter") << u"25"_s << u"12a"_s << invalid << u"25x22"_s;
        QTest::newRow("99999x501") << u"99999"_s << u"501"_s << tooLarge << u"25x22"_s;
    }

    void countsAreCheckedRoundedAndApplied()
    {
        QFETCH(QString, columns);
        QFETCH(QString, rows);
        QFETCH(QString, message);
        QFETCH(QString, after);

        window_->sheet().setCellText(1, 1, u"春"_s);
        GridSizeDialog setting(window_->document(), dialogs_, window_.get());
        setting.show();
        findControl<QLineEdit>(setting, "txtMaxCol")->setText(columns);
        findControl<QLineEdit>(setting, "txtMaxRow")->setText(rows);
        QTest::mouseClick(findControl<QPushButton>(setting, "btnOK"), Qt::LeftButton);

        QCOMPARE(sheetSize(), after);
        QCOMPARE(window_->sheet().getCellText(1, 1), u"春"_s);
        QCOMPARE(setting.isVisible(), !message.isEmpty());
        QCOMPARE(dialogs_.messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(dialogs_.messages[0].text, message);
            QCOMPARE(dialogs_.messages[0].icon, MessageIcon::None);
            QCOMPARE(findControl<QLineEdit>(setting, "txtMaxCol")->text(), columns);
            QCOMPARE(findControl<QLineEdit>(setting, "txtMaxRow")->text(), rows);
        }
    }
};

QTEST_MAIN(TestGridSizeDialog)
#include "tst_gridsizedialog.moc"
