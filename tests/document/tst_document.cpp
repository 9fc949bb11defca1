// The document's history: its size limit, and a step too large to undo.
#include "document/Document.h"
#include "document/commands/EditCells.h"
#include "document/commands/ResizeSheet.h"
#include "support/logic/AddressSpaceLimit.h"

#include <QTest>

static bool typeText(Document &document, int column, const QString &text)
{
    return document.perform(
        std::make_unique<EditCells>(document.sheet(), text, QList<CellTextEdit> {{column, 1, text}}));
}

class DocumentTest : public QObject {
    Q_OBJECT
private slots:
    // Steps of one cell each cost the same; the limit is given in such steps.
    void historyLimitDropsTheOldestSteps_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("limitInSteps");
        QTest::addColumn<int>("kept");
        QTest::newRow("over the limit") << 8 << 3 << 3;
        QTest::newRow("newest step alone over the limit") << 4 << 0 << 1;
    }

    void historyLimitDropsTheOldestSteps()
    {
        QFETCH(int, steps);
        QFETCH(int, limitInSteps);
        QFETCH(int, kept);
        Document document;
        QVERIFY(typeText(document, 1, QStringLiteral("w")));
        const qint64 stepBytes = document.historyBytes();
        document.undoStack().undo();
        document.setHistoryLimit(stepBytes * limitInSteps);

        for (int i = 1; i <= steps; ++i)
            QVERIFY(typeText(document, i, QString::number(i)));

        QCOMPARE(document.undoStack().count(), kept);
        QCOMPARE(document.undoStack().undoText(), QString::number(steps));
        // The kept steps still undo, newest first, back to the oldest kept one.
        while (document.undoStack().canUndo())
            document.undoStack().undo();
        for (int i = 1; i <= steps; ++i)
            QCOMPARE(document.sheet().getCellText(i, 1), i <= steps - kept ? QString::number(i) : QString());
    }

    // Memory for the old cells runs out: the user's step is made, and the history, which no
    // longer matches the cells, goes.
    void stepTooLargeToUndoIsStillMade()
    {
        if (!AddressSpaceLimit::works())
            QSKIP("an address space limit does not work under AddressSanitizer");
        Document document;
        GridSheet &sheet = document.sheet();
        QVERIFY(sheet.setSize(3000, 3000));
        QVERIFY(typeText(document, 1, QStringLiteral("a")));
        document.markSaved(QStringLiteral("/tmp/poem.grd"));
        bool made = false;
        {
            const AddressSpaceLimit limit(16 * 1024 * 1024);
            made = document.perform(std::make_unique<ResizeSheet>(sheet, GridSize {10, 10}));
        }
        QVERIFY(made);
        QCOMPARE(sheet.columnCount(), 10);
        QCOMPARE(sheet.getCellText(1, 1), QStringLiteral("a"));
        QCOMPARE(document.undoStack().count(), 0);
        QVERIFY(document.isModified());
    }
};

QTEST_GUILESS_MAIN(DocumentTest)
#include "tst_document.moc"
