// The edit support window: modeless, at most one; its arrows write from the active cell up
// to the sheet's edge, in one step that undoes.
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

private slots:
    void init() { window_ = std::make_unique<MainWindow>(dialogs_); }

    void arrowsWriteFromTheActiveCell_data()
    {
        QTest::addColumn<QPoint>("active"); // (0, 0): a sheet without cells
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("arrow"); // its caption
        QTest::addColumn<QString>("state"); // the cells written / the text left / the active cell

        QTest::newRow("full-width") << QPoint(1, 1) << u"春夏秋"_s << u"→"_s << u"1,1=春|2,1=夏|3,1=秋| /  / 4,1"_s;
        QTest::newRow("leftward") << QPoint(3, 2) << u"ab春"_s << u"←"_s << u"2,2=春|3,2=ab| /  / 1,2"_s;
        QTest::newRow("katakana downward") << QPoint(5, 5) << u"ｱｲｳ"_s << u"↓"_s << u"5,5=ｱｲ|5,6=ｳ| /  / 5,7"_s;
        QTest::newRow("top edge keeps the rest") << QPoint(7, 1) << u"春夏"_s << u"↑"_s << u"7,1=春| / 夏 / 7,1"_s;
        QTest::newRow("no cells") << QPoint(0, 0) << u"春"_s << u"→"_s << u" / 春 / 1,1"_s; // kept, not dropped
    }

    void arrowsWriteFromTheActiveCell()
    {
        QFETCH(QPoint, active);
        QFETCH(QString, text);
        QFETCH(QString, arrow);
        QFETCH(QString, state);
        GridSheet &sheet = window_->sheet();
        if (active.isNull())
            sheet.setSize(0, 22);
        sheet.setActiveCell(active.x(), active.y());
        const QByteArray before = sheetBytes(sheet);
        TypingAidWindow *support = open();
        QVERIFY(support && support->isWindow() && !support->isModal() && support->parentWidget() == window_.get());
        findControl<QLineEdit>(*support, "txtEdit")->setText(text);
        for (QPushButton *button : support->findChildren<QPushButton *>())
            if (button->text() == arrow)
                QTest::mouseClick(button, Qt::LeftButton);

        QString written;
        for (int row = 1; row <= sheet.rowCount(); ++row)
            for (int column = 1; column <= sheet.columnCount(); ++column)
                if (!sheet.getCellText(column, row).isEmpty())
                    written += u"%1,%2=%3|"_s.arg(column).arg(row).arg(sheet.getCellText(column, row));
        const QString left = findControl<QLineEdit>(*support, "txtEdit")->text();
        QCOMPARE(u"%1 / %2 / %3,%4"_s.arg(written, left).arg(sheet.activeColumn()).arg(sheet.activeRow()), state);
        QCOMPARE(open(), support); // at most one
        window_->document().undoStack().undo();
        QCOMPARE(sheetBytes(sheet), before);
    }
};

QTEST_MAIN(TestTypingAidWindow)
#include "tst_typingaidwindow.moc"
