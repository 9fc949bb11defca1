// Every kind of step is undone and redone exactly.
#include "document/Document.h"
#include "document/commands/ClearTexts.h"
#include "document/commands/ConvertPicture.h"
#include "document/commands/EditCells.h"
#include "document/commands/MoveCells.h"
#include "document/commands/PourText.h"
#include "document/commands/ReplaceSheet.h"
#include "document/commands/ResizeSheet.h"
#include "document/commands/SetCellColors.h"
#include "gridfile/GridFile.h"
#include "support/logic/SheetBuilder.h"
#include "support/logic/TestFiles.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

enum class Step { TypeInCell, Move, Copy, Delete, CellColours, ToGrid, ImportText, ShrinkGrid, LoadGrid };

// The sheet's cells and its active cell.
static QByteArray stateOf(const GridSheet &sheet)
{
    return "active " + QByteArray::number(sheet.activeColumn()) + ',' + QByteArray::number(sheet.activeRow())
        + ", cells " + sheetBytes(sheet);
}

// A sheet with hand edits of every kind: texts short and long, colours, a moved cursor.
static void makeHandEdits(GridSheet &sheet)
{
    sheet.setSize(6, 5);
    sheet.setCellText(1, 1, QStringLiteral("春"));
    sheet.setCellText(2, 1, QStringLiteral("ab"));
    sheet.setCellText(6, 5, QStringLiteral("long text"));
    sheet.setCellColors(3, 2, 0x00336699, kWhite);
    sheet.setCellColors(6, 4, 0x00FFCC99, 0x00010203);
    sheet.setActiveCell(5, 4);
}

class SheetCommandsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    std::unique_ptr<SheetCommand> makeStep(Step step, GridSheet &sheet)
    {
        QImage picture(8, 6, QImage::Format_RGB32);
        picture.fill(QColor(200, 40, 10));
        switch (step) {
        case Step::TypeInCell:
            return std::make_unique<EditCells>(
                sheet, QStringLiteral("Typing"), QList<CellTextEdit> {{6, 5, QStringLiteral("夏")}}, QPoint(6, 5));
        case Step::Move: return std::make_unique<MoveCells>(sheet, QRect(1, 1, 3, 2), QPoint(2, 2));
        case Step::Copy:
            return std::make_unique<MoveCells>(sheet, QRect(1, 1, 3, 2), QPoint(5, 5), MoveCells::Kind::Copy);
        case Step::Delete: return std::make_unique<ClearTexts>(sheet, QRect(1, 1, 6, 5));
        case Step::CellColours:
            return std::make_unique<SetCellColors>(sheet, QRect(3, 2, 4, 3), 0x00123456, std::nullopt);
        case Step::ToGrid: return std::make_unique<ConvertPicture>(sheet, picture, QStringLiteral("1"), GridProgress());
        case Step::ImportText: {
            TextPouringInputs inputs;
            inputs.path = dir_.filePath(QStringLiteral("poem.txt"));
            return std::make_unique<PourText>(sheet, inputs);
        }
        case Step::ShrinkGrid: return std::make_unique<ResizeSheet>(sheet, GridSize {3, 2});
        case Step::LoadGrid:
            return std::make_unique<ReplaceSheet>(
                sheet, dir_.filePath(QStringLiteral("two.grd")), FileKinds::RegularOnly);
        }
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        writeTestFile(dir_.path(), QStringLiteral("poem.txt"), QByteArray("\x8f\x74\x82\xcd\x82\xa0\r\nxy\r\n"));
        auto saved = buildSheet({{{QStringLiteral("x"), 0x00112233}, {QStringLiteral("yz")}}});
        QVERIFY(saveSheet(*saved, dir_.filePath(QStringLiteral("two.grd"))));
    }

    void undoAndRedoRestoreTheSheet_data()
    {
        QTest::addColumn<Step>("step");
        QTest::newRow("typing in a cell") << Step::TypeInCell;
        QTest::newRow("move over itself") << Step::Move;
        QTest::newRow("copy past the edge") << Step::Copy;
        QTest::newRow("Delete") << Step::Delete;
        QTest::newRow("Cell Colours") << Step::CellColours;
        QTest::newRow("To Grid") << Step::ToGrid;
        QTest::newRow("Import Text") << Step::ImportText;
        QTest::newRow("Grid Size, smaller") << Step::ShrinkGrid;
        QTest::newRow("Load Grid Image") << Step::LoadGrid;
    }

    void undoAndRedoRestoreTheSheet()
    {
        QFETCH(Step, step);
        Document document;
        makeHandEdits(document.sheet());
        const QByteArray before = stateOf(document.sheet());
        const QByteArray cellsBefore = sheetBytes(document.sheet());

        QVERIFY(document.perform(makeStep(step, document.sheet())));
        const QByteArray after = stateOf(document.sheet());
        QVERIFY(sheetBytes(document.sheet()) != cellsBefore);

        document.undoStack().undo();
        QCOMPARE(stateOf(document.sheet()), before);
        document.undoStack().redo();
        QCOMPARE(stateOf(document.sheet()), after);
        document.undoStack().undo();
        QCOMPARE(stateOf(document.sheet()), before);
    }
};

QTEST_GUILESS_MAIN(SheetCommandsTest)
#include "tst_sheetcommands.moc"
