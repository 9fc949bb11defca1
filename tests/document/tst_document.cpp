#include "document/Document.h"
#include "document/commands/EditCells.h"

#include <QSignalSpy>
#include <QTest>

class DocumentTest : public QObject {
    Q_OBJECT
private slots:
    void historyLimitDropsTheOldestSteps_data();
    void historyLimitDropsTheOldestSteps();
    void modifiedFollowsTheSavedState();
};

static bool typeText(Document &document, int column, const QString &text)
{
    return document.perform(
        std::make_unique<EditCells>(document.sheet(), text, QList<CellTextEdit> {{column, 1, text}}));
}

// Steps of one cell each cost the same; the limit is given in such steps.
void DocumentTest::historyLimitDropsTheOldestSteps_data()
{
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("limitInSteps");
    QTest::addColumn<int>("kept");
    QTest::newRow("under the limit") << 5 << 10 << 5;
    QTest::newRow("at the limit") << 5 << 5 << 5;
    QTest::newRow("over the limit") << 8 << 3 << 3;
    QTest::newRow("newest step alone over the limit") << 4 << 0 << 1;
}

void DocumentTest::historyLimitDropsTheOldestSteps()
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

void DocumentTest::modifiedFollowsTheSavedState()
{
    Document document;
    QSignalSpy modified(&document, &Document::modifiedChanged);
    QVERIFY(!document.isModified());

    QVERIFY(typeText(document, 1, QStringLiteral("a")));
    QVERIFY(document.isModified());
    document.markSaved(QStringLiteral("/tmp/poem.grd"));
    QVERIFY(!document.isModified());
    QCOMPARE(document.filePath(), QStringLiteral("/tmp/poem.grd"));

    QVERIFY(typeText(document, 2, QStringLiteral("b")));
    QVERIFY(document.isModified());
    document.undoStack().undo();
    QVERIFY(!document.isModified());
    document.undoStack().undo();
    QVERIFY(document.isModified());
    QCOMPARE(modified.count(), 5);
}

QTEST_GUILESS_MAIN(DocumentTest)
#include "tst_document.moc"
