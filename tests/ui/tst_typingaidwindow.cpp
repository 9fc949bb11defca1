// The edit support window: modeless, at most one, emptied when closed; its arrows write from
// the active cell up to the sheet's edge, in one step that undoes.
#include "support/logic/SheetBuilder.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/MainWindow.h"
#include "ui/TypingAidWindow.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

class TestTypingAidWindow : public QObject {
    Q_OBJECT

    FakeDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;

    TypingAidWindow *open()
    {
        QTest::mouseClick(findControl<QPushButton>(*window_, "btnEditSupport"), Qt::LeftButton);
        const auto windows = window_->findChildren<TypingAidWindow *>();
        return windows.size() == 1 ? windows.first() : nullptr;
    }
    // The written cells as "column,row=text|…", then the field's rest and the active cell.
    QString describe(const TypingAidWindow *support) const
    {
        const GridSheet &sheet = window_->sheet();
        QString state;
        for (int row = 1; row <= sheet.rowCount(); ++row)
            for (int column = 1; column <= sheet.columnCount(); ++column)
                if (!sheet.getCellText(column, row).isEmpty())
                    state += QStringLiteral("%1,%2=%3|").arg(column).arg(row).arg(sheet.getCellText(column, row));
        return state + " / " + findControl<QLineEdit>(*support, "txtEdit")->text()
            + QStringLiteral(" / %1,%2").arg(sheet.activeColumn()).arg(sheet.activeRow());
    }

private slots:
    void init() { window_ = std::make_unique<MainWindow>(dialogs_); }

    void opensModelessOnceAndEmptiesWhenClosed()
    {
        TypingAidWindow *support = open();
        QVERIFY(support && support->isWindow() && !support->isModal() && support->parentWidget() == window_.get());
        QTest::keyClicks(findControl<QLineEdit>(*support, "txtEdit"), QStringLiteral("abc"));
        QCOMPARE(open(), support);
        QTest::keyClick(findControl<QLineEdit>(*support, "txtEdit"), Qt::Key_Return); // presses no arrow
        QCOMPARE(describe(support), QStringLiteral(" / abc / 1,1"));
        support->close();
        QTRY_VERIFY(window_->findChildren<TypingAidWindow *>().isEmpty());
        QVERIFY((support = open()) && findControl<QLineEdit>(*support, "txtEdit")->text().isEmpty());
    }

    void arrowsWriteFromTheActiveCell_data()
    {
        QTest::addColumn<QPoint>("active");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("arrow"); // its caption
        QTest::addColumn<QString>("state"); // the cells written / the text left / the active cell

        QTest::newRow("full-width") << QPoint(1, 1) << u"春夏秋"_s << u"→"_s << u"1,1=春|2,1=夏|3,1=秋| /  / 4,1"_s;
        QTest::newRow("katakana downward") << QPoint(5, 5) << u"ｱｲｳ"_s << u"↓"_s << u"5,5=ｱｲ|5,6=ｳ| /  / 5,7"_s;
        QTest::newRow("top edge keeps the rest") << QPoint(7, 1) << u"春夏"_s << u"↑"_s << u"7,1=春| / 夏 / 7,1"_s;
        QTest::newRow("leftward") << QPoint(3, 2) << u"ab春"_s << u"←"_s << u"2,2=春|3,2=ab| /  / 1,2"_s;
    }

    void arrowsWriteFromTheActiveCell()
    {
        QFETCH(QPoint, active);
        QFETCH(QString, text);
        QFETCH(QString, arrow);
        QFETCH(QString, state);

        window_->sheet().setActiveCell(active.x(), active.y());
        window_->sheet().setCellColors(active.x(), active.y(), 0x00336699, kWhite);
        const QByteArray before = sheetBytes(window_->sheet());
        TypingAidWindow *support = open();
        QVERIFY(support);
        findControl<QLineEdit>(*support, "txtEdit")->setText(text);
        for (QPushButton *button : support->findChildren<QPushButton *>())
            if (button->text() == arrow)
                QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(describe(support), state);
        QCOMPARE(window_->sheet().backColorAt(active.x(), active.y()), Color(0x00336699)); // texts alone

        window_->document().undoStack().undo();
        QCOMPARE(sheetBytes(window_->sheet()), before);
        QCOMPARE(QPoint(window_->sheet().activeColumn(), window_->sheet().activeRow()), active);
        QVERIFY(!window_->document().undoStack().canUndo());
    }

    // A sheet without cells keeps the text rather than dropping it.
    void celllessSheetKeepsTheText()
    {
        window_->sheet().setSize(0, 22);
        TypingAidWindow *support = open();
        QVERIFY(support);
        findControl<QLineEdit>(*support, "txtEdit")->setText(QStringLiteral("春"));
        QTest::mouseClick(findControl<QPushButton>(*support, "btnRight"), Qt::LeftButton);
        QCOMPARE(findControl<QLineEdit>(*support, "txtEdit")->text(), QStringLiteral("春"));
    }
};

QTEST_MAIN(TestTypingAidWindow)
#include "tst_typingaidwindow.moc"
