// The edit support window: opened modeless from the main window, at most once, emptied
// when closed; its arrows lay the typed text into the grid from the active cell.
#include "core/GridSheet.h"
#include "support/ui/FakeDialogs.h"
#include "ui/frmEdit.h"
#include "ui/frmEditSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

// Counts the field's paints, to see it repainted while the arrows write.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *widget) : widget_(widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == widget_ && event->type() == QEvent::Paint)
            ++paints;
        return false;
    }

private:
    QWidget *widget_;
};

// Every non-empty cell as "column,row=text", row by row.
QStringList WrittenCells(const GridSheet &sheet)
{
    QStringList cells;
    for (int row = 1; row <= sheet.RowCount(); ++row)
        for (int column = 1; column <= sheet.ColumnCount(); ++column)
            if (!sheet.GetCellText(column, row).isEmpty())
                cells << QStringLiteral("%1,%2=%3").arg(column).arg(row).arg(sheet.GetCellText(column, row));
    return cells;
}

} // namespace

class TestFrmEditSupport : public QObject {
    Q_OBJECT

private:
    FakeDialogs dialogs_;
    std::unique_ptr<frmEdit> window_;

    frmEditSupport *Open()
    {
        QTest::mouseClick(window_->btnEditSupport, Qt::LeftButton);
        const auto windows = window_->findChildren<frmEditSupport *>();
        return windows.size() == 1 ? windows.first() : nullptr;
    }

    QPushButton *Arrow(frmEditSupport *support, const QString &name)
    {
        for (QPushButton *button : {support->btnUp, support->btnDown, support->btnLeft, support->btnRight})
            if (button->text() == name)
                return button;
        return nullptr;
    }

private slots:
    void init()
    {
        window_ = std::make_unique<frmEdit>(dialogs_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() { window_.reset(); }

    void opensModelessOnceAndEmptiesWhenClosed()
    {
        frmEditSupport *support = Open();
        QVERIFY(support);
        QVERIFY(QTest::qWaitForWindowExposed(support));
        QCOMPARE(support->windowTitle(), QStringLiteral("Edit Support"));
        QVERIFY(support->isWindow());
        QCOMPARE(support->parentWidget(), window_.get());
        QVERIFY(!support->isModal());
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(support->txtEdit->text().isEmpty());
        QCOMPARE(support->btnUp->text(), QStringLiteral("↑"));
        QCOMPARE(support->btnDown->text(), QStringLiteral("↓"));
        QCOMPARE(support->btnLeft->text(), QStringLiteral("←"));
        QCOMPARE(support->btnRight->text(), QStringLiteral("→"));
        // The arrows sit in a cross to the right of the field.
        QCOMPARE(support->btnUp->geometry().center().x(), support->btnDown->geometry().center().x());
        QVERIFY(support->btnLeft->x() < support->btnUp->x() && support->btnUp->x() < support->btnRight->x());
        QVERIFY(support->btnUp->y() < support->btnLeft->y() && support->btnLeft->y() < support->btnDown->y());
        QVERIFY(support->txtEdit->geometry().right() < support->btnLeft->x());

        QTest::keyClicks(support->txtEdit, QStringLiteral("abc"));
        QCOMPARE(Open(), support);
        QCOMPARE(support->txtEdit->text(), QStringLiteral("abc"));

        // Enter in the field presses no arrow.
        QTest::keyClick(support->txtEdit, Qt::Key_Return);
        QVERIFY(support->isVisible());
        QCOMPARE(support->txtEdit->text(), QStringLiteral("abc"));
        QVERIFY(WrittenCells(window_->Sheet()).isEmpty());

        support->close();
        QTRY_VERIFY(window_->findChildren<frmEditSupport *>().isEmpty());
        frmEditSupport *again = Open();
        QVERIFY(again);
        QVERIFY(again->txtEdit->text().isEmpty());
    }

    void arrowsWriteFromTheActiveCell_data()
    {
        QTest::addColumn<QPoint>("size");
        QTest::addColumn<QPoint>("active");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("arrow");
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QString>("rest");
        QTest::addColumn<QPoint>("activeAfter");

        const QPoint sheet(25, 22);
        QTest::newRow("full-width run") << sheet << QPoint(1, 1) << "春夏秋" << "→"
                                        << QStringList{"1,1=春", "2,1=夏", "3,1=秋"} << "" << QPoint(4, 1);
        QTest::newRow("half-width pairs") << sheet << QPoint(1, 1) << "abc" << "→" << QStringList{"1,1=ab", "2,1=c"}
                                          << "" << QPoint(3, 1);
        QTest::newRow("half then full width") << sheet << QPoint(1, 1) << "a春b" << "→"
                                              << QStringList{"1,1=a", "2,1=春", "3,1=b"} << "" << QPoint(4, 1);
        QTest::newRow("half-width katakana pair") << sheet << QPoint(5, 5) << "ｱｲｳ" << "↓"
                                                  << QStringList{"5,5=ｱｲ", "5,6=ｳ"} << "" << QPoint(5, 7);
        QTest::newRow("last column") << sheet << QPoint(25, 3) << "春夏" << "→" << QStringList{"25,3=春"} << "夏"
                                     << QPoint(25, 3);
        QTest::newRow("row 1 upwards") << sheet << QPoint(7, 1) << "春夏" << "↑" << QStringList{"7,1=春"} << "夏"
                                       << QPoint(7, 1);
        QTest::newRow("down to the last row") << sheet << QPoint(2, 21) << "春夏秋" << "↓"
                                              << QStringList{"2,21=春", "2,22=夏"} << "秋" << QPoint(2, 22);
        QTest::newRow("leftwards") << sheet << QPoint(3, 2) << "ab春" << "←" << QStringList{"2,2=春", "3,2=ab"} << ""
                                   << QPoint(1, 2);
        QTest::newRow("space pairs with half-width") << sheet << QPoint(1, 1) << " a b" << "→"
                                                     << QStringList{"1,1= a", "2,1= b"} << "" << QPoint(3, 1);
        QTest::newRow("space before full-width") << sheet << QPoint(1, 1) << " 春  " << "→"
                                                 << QStringList{"1,1= ", "2,1=春", "3,1=  "} << "" << QPoint(4, 1);
        QTest::newRow("surrogate pair is one character") << sheet << QPoint(1, 1) << "a𠮷b𠮷" << "→"
                                                         << QStringList{"1,1=a", "2,1=𠮷", "3,1=b", "4,1=𠮷"} << ""
                                                         << QPoint(5, 1);
        QTest::newRow("surrogate pair at the edge") << sheet << QPoint(25, 1) << "𠮷𠮷" << "→"
                                                    << QStringList{"25,1=𠮷"} << "𠮷" << QPoint(25, 1);
        QTest::newRow("empty field") << sheet << QPoint(4, 4) << "" << "→" << QStringList{} << "" << QPoint(4, 4);
        QTest::newRow("sheet without cells keeps the text") << QPoint(0, 22) << QPoint(1, 1) << "春" << "→"
                                                            << QStringList{} << "春" << QPoint(1, 1);
    }

    void arrowsWriteFromTheActiveCell()
    {
        QFETCH(QPoint, size);
        QFETCH(QPoint, active);
        QFETCH(QString, text);
        QFETCH(QString, arrow);
        QFETCH(QStringList, written);
        QFETCH(QString, rest);
        QFETCH(QPoint, activeAfter);

        GridSheet &sheet = window_->Sheet();
        sheet.SetSize(size.x(), size.y());
        sheet.SetActiveCell(active.x(), active.y());
        sheet.SetCellColors(active.x(), active.y(), 0x00336699, 0x00FFFFFF);
        frmEditSupport *support = Open();
        QVERIFY(support);
        support->txtEdit->setText(text);
        QTest::mouseClick(Arrow(support, arrow), Qt::LeftButton);

        QCOMPARE(WrittenCells(sheet), written);
        QCOMPARE(support->txtEdit->text(), rest);
        QCOMPARE(QPoint(sheet.ActiveColumn(), sheet.ActiveRow()), activeAfter);
        // Writing replaces the text only.
        if (sheet.Contains(active.x(), active.y())) {
            QCOMPARE(sheet.BackColorAt(active.x(), active.y()), 0x00336699);
            QCOMPARE(sheet.ForeColorAt(active.x(), active.y()), 0x00FFFFFF);
        }
    }

    void secondArrowAtTheEdgeOverwritesTheSameCell()
    {
        GridSheet &sheet = window_->Sheet();
        sheet.SetActiveCell(25, 1);
        frmEditSupport *support = Open();
        QVERIFY(support);
        QTest::keyClicks(support->txtEdit, QStringLiteral("xy"));
        support->txtEdit->setText(QStringLiteral("春夏"));
        QTest::mouseClick(support->btnRight, Qt::LeftButton);
        QCOMPARE(sheet.GetCellText(25, 1), QStringLiteral("春"));
        QTest::mouseClick(support->btnRight, Qt::LeftButton);
        QCOMPARE(sheet.GetCellText(25, 1), QStringLiteral("夏"));
        QCOMPARE(WrittenCells(sheet).size(), 1);
        QVERIFY(support->txtEdit->text().isEmpty());
        QCOMPARE(sheet.ActiveColumn(), 25);
    }

    void typedTextFollowsTheActiveCellAndRepaintsTheField()
    {
        GridSheet &sheet = window_->Sheet();
        frmEditSupport *support = Open();
        QVERIFY(support);
        QVERIFY(QTest::qWaitForWindowExposed(support));
        // The user picks a cell in the sheet, with the window still open.
        QTest::mouseClick(window_->btnEditSupport, Qt::LeftButton);
        sheet.SetActiveCell(10, 5);
        QTest::keyClicks(support->txtEdit, QStringLiteral("abcdef"));
        PaintCounter counter(support->txtEdit);
        QTest::mouseClick(support->btnDown, Qt::LeftButton);
        QCOMPARE(WrittenCells(sheet), (QStringList{"10,5=ab", "10,6=cd", "10,7=ef"}));
        QVERIFY2(counter.paints >= 3, qPrintable(QString::number(counter.paints)));
        QCOMPARE(QPoint(sheet.ActiveColumn(), sheet.ActiveRow()), QPoint(10, 8));
    }
};

QTEST_MAIN(TestFrmEditSupport)
#include "tst_frmeditsupport.moc"
