// The settings window: opened modal from Option > Setting, it shows the sheet's size,
// refuses what is no number or too large, and applies the rounded counts.
#include "core/GridSheet.h"
#include "support/ui/FakeDialogs.h"
#include "ui/frmEdit.h"
#include "ui/frmSetting.h"

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

class TestFrmSetting : public QObject {
    Q_OBJECT

private:
    FakeDialogs dialogs_;
    std::unique_ptr<frmEdit> window_;

    // Opens the window from the menu and hands it to check while the menu's handler waits.
    // The window is closed afterwards whatever check did, so a failure cannot hang the test.
    bool RunSetting(const std::function<void(frmSetting *)> &check)
    {
        bool found = false;
        QTimer::singleShot(0, this, [&] {
            auto *setting = qobject_cast<frmSetting *>(QApplication::activeModalWidget());
            if (setting) {
                found = true;
                check(setting);
                if (setting->isVisible())
                    setting->reject();
            }
        });
        window_->Setting->trigger();
        return found;
    }

private slots:
    void init()
    {
        dialogs_ = FakeDialogs();
        window_ = std::make_unique<frmEdit>(dialogs_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() { window_.reset(); }

    void opensModalWithTheSheetsSize()
    {
        window_->Sheet().SetCellText(3, 3, QStringLiteral("春"));
        const bool opened = RunSetting([&](frmSetting *setting) {
            QVERIFY(setting->isModal());
            QCOMPARE(setting->parentWidget(), window_.get());
            QCOMPARE(setting->windowTitle(), QStringLiteral("Setting"));
            QCOMPARE(setting->Frame1->title(), QStringLiteral("Grid Size"));
            QCOMPARE(setting->txtMaxCol->text(), QStringLiteral("25"));
            QCOMPARE(setting->txtMaxRow->text(), QStringLiteral("22"));
            QCOMPARE(setting->txtMaxCol->maxLength(), 5);
            QCOMPARE(setting->txtMaxRow->maxLength(), 5);
            QVERIFY(setting->btnOK->isDefault());
            QCOMPARE(setting->btnCancel->text(), QStringLiteral("Ｃａｎｃｅｌ"));
            // The columns field sits left of the rows field, the buttons under the frame.
            QVERIFY(setting->txtMaxCol->x() < setting->txtMaxRow->x());
            QVERIFY(setting->btnOK->y() > setting->Frame1->geometry().bottom());

            setting->txtMaxCol->setText(QStringLiteral("40"));
            QTest::mouseClick(setting->btnCancel, Qt::LeftButton);
            QVERIFY(!setting->isVisible());
        });
        QVERIFY(opened);
        QCOMPARE(window_->Sheet().ColumnCount(), 25);
        QCOMPARE(window_->Sheet().RowCount(), 22);

        // Each opening reads the sheet afresh.
        window_->Sheet().SetSize(7, 9);
        QVERIFY(RunSetting([](frmSetting *setting) {
            QCOMPARE(setting->txtMaxCol->text(), QStringLiteral("7"));
            QCOMPARE(setting->txtMaxRow->text(), QStringLiteral("9"));
        }));
        QCOMPARE(window_->Sheet().GetCellText(3, 3), QStringLiteral("春"));
    }

    void enterAppliesTheTypedSize()
    {
        window_->Sheet().SetCellText(2, 2, QStringLiteral("春"));
        QVERIFY(RunSetting([](frmSetting *setting) {
            setting->activateWindow();
            QTRY_VERIFY(setting->txtMaxCol->hasFocus());
            setting->txtMaxCol->selectAll();
            QTest::keyClicks(setting->txtMaxCol, QStringLiteral("30"));
            QTest::keyClick(setting->txtMaxCol, Qt::Key_Tab);
            QVERIFY(setting->txtMaxRow->hasFocus());
            setting->txtMaxRow->selectAll();
            QTest::keyClicks(setting->txtMaxRow, QStringLiteral("40"));
            QTest::keyClick(setting->txtMaxRow, Qt::Key_Return);
            QVERIFY(!setting->isVisible());
        }));
        QCOMPARE(window_->Sheet().ColumnCount(), 30);
        QCOMPARE(window_->Sheet().RowCount(), 40);
        QCOMPARE(window_->Sheet().GetCellText(2, 2), QStringLiteral("春"));
        QVERIFY(dialogs_.messages.isEmpty());
    }

    void countsAreTestedRoundedAndApplied_data()
    {
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("message"); // empty: applied
        QTest::addColumn<int>("columnsAfter");
        QTest::addColumn<int>("rowsAfter");

        const QString invalid = QStringLiteral("不正な値です");
        const QString tooLarge = QStringLiteral("グリッドが大きすぎます\r\n列数 × 行数は 50,000,000 セルまでです");
        QTest::newRow("30 x 40") << "30" << "40" << "" << 30 << 40;
        QTest::newRow("12.5 gives 12") << "12.5" << "22" << "" << 12 << 22;
        QTest::newRow("13.5 gives 14") << "13.5" << "2.5" << "" << 14 << 2;
        QTest::newRow("just over a half") << "2.51" << "0.49" << "" << 3 << 0;
        QTest::newRow("blanks and signs") << " +7 " << "\t8." << "" << 7 << 8;
        QTest::newRow("point first") << ".6" << "9" << "" << 1 << 9;
        QTest::newRow("full-width digits") << "３０" << "４．５" << "" << 30 << 4;
        QTest::newRow("zero") << "0" << "5" << "" << 0 << 5;
        QTest::newRow("below zero acts as zero") << "-3" << "-0.5" << "" << 0 << 0;
        QTest::newRow("empty columns") << "" << "22" << invalid << 25 << 22;
        QTest::newRow("blank rows") << "25" << "  " << invalid << 25 << 22;
        QTest::newRow("letters") << "abc" << "22" << invalid << 25 << 22;
        QTest::newRow("trailing letters") << "25" << "12a" << invalid << 25 << 22;
        QTest::newRow("exponent") << "1e3" << "22" << invalid << 25 << 22;
        QTest::newRow("point alone") << "." << "22" << invalid << 25 << 22;
        QTest::newRow("sign alone") << "-" << "22" << invalid << 25 << 22;
        QTest::newRow("inner blank") << "2 5" << "22" << invalid << 25 << 22;
        QTest::newRow("two points") << "1.2.3" << "22" << invalid << 25 << 22;
        QTest::newRow("over the cell limit") << "99999" << "99999" << tooLarge << 25 << 22;
        QTest::newRow("just over the cell limit") << "99999" << "501" << tooLarge << 25 << 22;
        QTest::newRow("beyond 32 bits") << "9999999999999999999999" << "1" << tooLarge << 25 << 22;
    }

    void countsAreTestedRoundedAndApplied()
    {
        QFETCH(QString, columns);
        QFETCH(QString, rows);
        QFETCH(QString, message);
        QFETCH(int, columnsAfter);
        QFETCH(int, rowsAfter);

        frmSetting setting(window_->Sheet(), dialogs_, window_.get());
        setting.show();
        QVERIFY(QTest::qWaitForWindowExposed(&setting));
        // Set directly: the typed length limit is the field's, not the test's.
        setting.txtMaxCol->setMaxLength(32);
        setting.txtMaxCol->setText(columns);
        setting.txtMaxRow->setText(rows);
        setting.txtMaxRow->setFocus();
        QTest::mouseClick(setting.btnOK, Qt::LeftButton);

        QCOMPARE(window_->Sheet().ColumnCount(), columnsAfter);
        QCOMPARE(window_->Sheet().RowCount(), rowsAfter);
        if (message.isEmpty()) {
            QVERIFY(dialogs_.messages.isEmpty());
            QVERIFY(!setting.isVisible());
            QCOMPARE(setting.result(), int(QDialog::Accepted));
            return;
        }
        QCOMPARE(dialogs_.messages.size(), 1);
        QCOMPARE(dialogs_.messages[0].text, message);
        QCOMPARE(dialogs_.messages[0].icon, MessageIcon::None);
        // The window stays open with the texts as typed.
        QVERIFY(setting.isVisible());
        QCOMPARE(setting.txtMaxCol->text(), columns);
        QCOMPARE(setting.txtMaxRow->text(), rows);
    }

    void closeBoxIsCancel()
    {
        QVERIFY(RunSetting([](frmSetting *setting) {
            setting->txtMaxCol->setText(QStringLiteral("3"));
            setting->close();
        }));
        QCOMPARE(window_->Sheet().ColumnCount(), 25);
    }
};

QTEST_MAIN(TestFrmSetting)
#include "tst_frmsetting.moc"
