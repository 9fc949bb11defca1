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
            auto* setting = qobject_cast<GridSizeDialog*>(QApplication::activeModalWidget());
            QVERIFY(setting);
            seen = findControl<QLineEdit>(*setting, "txtMaxCol")->text() + u'x'
                + findControl<QLineEdit>(*setting, "txtMaxRow")->text();
            findControl<QLineEdit>(*setting, "txtMaxCol")->setText(u"40"_s);
            QTest::mouseClick(findControl<QPushButton>(*setting, "btnCancel"), Qt::LeftButton);
        });
        findControl<QAction>(*window_, "Setting")->trigger();
        QCOMPARE(seen + QString::number(window_->sheet().columnCount()), u"25x2225"_s);
    }

    void countsAreCheckedRoundedAndApplied()
    {
        const QString invalid = QStringLiteral("不正な値です");
        const QString tooLarge = QStringLiteral("グリッドが大きすぎます\r\n列数 × 行数は 50,000,000 セルまでです");
        // Columns, rows, and the size applied or the message shown.
        const QList<std::tuple<QString, QString, QString>> cases = {
            { "30", "40", "30x40" },
            { "12.5", "22", "12x22" },
            { "13.5", "2.51", "14x3" },
            { " +7 ", "\t8.", "7x8" },
            { "３０", "４．５", "30x4" },
            { "-3", "0", "0x0" },
            { "", "22", invalid },
            { "25", "  ", invalid },
            { "abc", "22", invalid },
            { "25", "12a", invalid },
            { "1e3", "22", invalid },
            { "1.2.3", "1", invalid },
            { "99999", "501", tooLarge },
            { "99999", "99999", tooLarge },
        };
        for (const auto& [columns, rows, expected] : cases) {
            init();
            GridSizeDialog setting(window_->sheet(), dialogs_, window_.get());
            setting.show();
            findControl<QLineEdit>(setting, "txtMaxCol")->setText(columns);
            findControl<QLineEdit>(setting, "txtMaxRow")->setText(rows);
            QTest::mouseClick(findControl<QPushButton>(setting, "btnOK"), Qt::LeftButton);
            const GridSheet& sheet = window_->sheet();
            const QString size = QStringLiteral("%1x%2").arg(sheet.columnCount()).arg(sheet.rowCount());
            const QString name = columns + u'x' + rows;
            const bool refused = !dialogs_.messages.isEmpty();
            QVERIFY2((refused ? dialogs_.messages[0].text : size) == expected, qPrintable(name + " gave " + size));
            QVERIFY2(setting.isVisible() == refused && dialogs_.messages.size() <= 1, qPrintable(name));
            // A refusal has no icon and keeps the sheet, and the window open with the texts as typed.
            QVERIFY2(!refused
                    || (dialogs_.messages[0].icon == MessageIcon::None && size == "25x22"
                        && findControl<QLineEdit>(setting, "txtMaxCol")->text() + u'x'
                                + findControl<QLineEdit>(setting, "txtMaxRow")->text()
                            == name),
                qPrintable(name));
        }
    }
};

QTEST_MAIN(TestGridSizeDialog)
#include "tst_gridsizedialog.moc"
