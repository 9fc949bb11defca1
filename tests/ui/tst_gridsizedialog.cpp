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
        QCOMPARE(seen + QString::number(window_->sheet().columnCount()), u"25x2225"_s);
    }

    // The size applied, or the message shown and the window kept open as typed. How counts
    // read and round is the number field's.
    void countsAreCheckedRoundedAndApplied_data()
    {
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("size"); // empty when refused
        QTest::addColumn<QString>("message"); // empty when applied

        const QString invalid = QStringLiteral("不正な値です");
        const QString tooLarge = QStringLiteral("グリッドが大きすぎます\r\n列数 × 行数は 50,000,000 セルまでです");
        QTest::newRow("13.5x2.51") << u"13.5"_s << u"2.51"_s << u"14x3"_s << QString();
        QTest::newRow("no columns") << QString() << u"22"_s << QString() << invalid;
        QTest::newRow("trailing letter") << u"25"_s << u"12a"_s << QString() << invalid;
        QTest::newRow("99999x501") << u"99999"_s << u"501"_s << QString() << tooLarge;
    }

    void countsAreCheckedRoundedAndApplied()
    {
        QFETCH(QString, columns);
        QFETCH(QString, rows);
        QFETCH(QString, size);
        QFETCH(QString, message);

        GridSizeDialog setting(window_->document(), dialogs_, window_.get());
        setting.show();
        findControl<QLineEdit>(setting, "txtMaxCol")->setText(columns);
        findControl<QLineEdit>(setting, "txtMaxRow")->setText(rows);
        QTest::mouseClick(findControl<QPushButton>(setting, "btnOK"), Qt::LeftButton);

        const GridSheet &sheet = window_->sheet();
        const bool refused = !message.isEmpty();
        // A refusal has no icon and keeps the sheet, and the window open with the texts as typed.
        QCOMPARE(QStringLiteral("%1x%2").arg(sheet.columnCount()).arg(sheet.rowCount()), refused ? u"25x22"_s : size);
        QCOMPARE(dialogs_.messages.size(), refused ? 1 : 0);
        QCOMPARE(setting.isVisible(), refused);
        if (refused) {
            QCOMPARE(dialogs_.messages[0].text, message);
            QCOMPARE(dialogs_.messages[0].icon, MessageIcon::None);
            QCOMPARE(findControl<QLineEdit>(setting, "txtMaxCol")->text(), columns);
            QCOMPARE(findControl<QLineEdit>(setting, "txtMaxRow")->text(), rows);
        }
    }

    // Columns first against the old row count would pass the cell limit on the way to a size that fits.
    void sizeIsAppliedInOneStep()
    {
        QVERIFY(window_->sheet().setSize(1, 2'500'000));
        window_->sheet().setCellText(1, 1, u"春"_s);
        GridSizeDialog setting(window_->document(), dialogs_, window_.get());
        setting.show();
        findControl<QLineEdit>(setting, "txtMaxCol")->setText(u"21"_s);
        findControl<QLineEdit>(setting, "txtMaxRow")->setText(u"1"_s);
        QTest::mouseClick(findControl<QPushButton>(setting, "btnOK"), Qt::LeftButton);

        QCOMPARE(dialogs_.messages.size(), 0);
        QCOMPARE(window_->sheet().columnCount(), 21);
        QCOMPARE(window_->sheet().rowCount(), 1);
        QCOMPARE(window_->sheet().getCellText(1, 1), u"春"_s);
        QVERIFY(!setting.isVisible());
    }
};

QTEST_MAIN(TestGridSizeDialog)
#include "tst_gridsizedialog.moc"
