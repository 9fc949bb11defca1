#include "ui/TypingAidWindow.h"

#include "core/GridSheet.h"
#include "document/Document.h"
#include "document/commands/EditCells.h"
#include "text/TextLaying.h"
#include "ui/Fonts.h"
#include "ui/Twips.h"

#include <QLineEdit>
#include <QPushButton>

TypingAidWindow::TypingAidWindow(Document &document, QWidget *owner)
    : QDialog(owner)
    , document_(document)
{
    setObjectName(QStringLiteral("frmEditSupport"));
    setWindowTitle(QStringLiteral("Edit Support"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twipsToPixels(7200), twipsToPixels(1335));

    textEdit_ = new QLineEdit(this);
    textEdit_->setObjectName(QStringLiteral("txtEdit"));
    auto arrow = [this](const char *name, const QString &caption) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(QLatin1String(name));
        // Enter in the field must not press an arrow.
        button->setAutoDefault(false);
        return button;
    };
    upButton_ = arrow("btnUp", QStringLiteral("↑"));
    downButton_ = arrow("btnDown", QStringLiteral("↓"));
    rightButton_ = arrow("btnRight", QStringLiteral("→"));
    leftButton_ = arrow("btnLeft", QStringLiteral("←"));

    setTabChain({textEdit_, upButton_, downButton_, rightButton_, leftButton_});

    connect(upButton_, &QPushButton::clicked, this, &TypingAidWindow::layUpward);
    connect(downButton_, &QPushButton::clicked, this, &TypingAidWindow::layDownward);
    connect(leftButton_, &QPushButton::clicked, this, &TypingAidWindow::layLeftward);
    connect(rightButton_, &QPushButton::clicked, this, &TypingAidWindow::layRightward);

    applyWindowFont(this);
    placeTwips(textEdit_, 120, 532, 5775, 270);
    // The arrows keep their designed squares: a push button's usual minimum width would
    // make the cross overlap, and one arrow glyph fits.
    upButton_->setGeometry(twipsRect(6360, 120, 375, 375));
    leftButton_->setGeometry(twipsRect(6000, 480, 375, 375));
    rightButton_->setGeometry(twipsRect(6720, 480, 375, 375));
    downButton_->setGeometry(twipsRect(6360, 840, 375, 375));
}

void TypingAidWindow::layUpward()
{
    layText(0, -1);
}

void TypingAidWindow::layDownward()
{
    layText(0, 1);
}

void TypingAidWindow::layLeftward()
{
    layText(-1, 0);
}

void TypingAidWindow::layRightward()
{
    layText(1, 0);
}

void TypingAidWindow::layText(int columnStep, int rowStep)
{
    GridSheet &sheet = document_.sheet();
    QString rest = textEdit_->text();
    if (rest.isEmpty())
        return;
    int column = sheet.activeColumn();
    int row = sheet.activeRow();
    // A sheet without cells has nowhere to write: keep the text rather than drop it.
    if (!sheet.contains(column, row))
        return;
    QList<CellTextEdit> edits;
    QPoint activeAfter(column, row);
    while (!rest.isEmpty()) {
        const qsizetype length = firstCellTextLength(rest);
        edits.append({column, row, rest.left(length)});
        rest.remove(0, length);
        column += columnStep;
        row += rowStep;
        // The edge of the sheet ends the writing; the rest stays in the field.
        if (!sheet.contains(column, row))
            break;
        activeAfter = QPoint(column, row);
    }
    document_.perform(std::make_unique<EditCells>(sheet, QStringLiteral("Edit Support"), edits, activeAfter));
    textEdit_->setText(rest);
}
