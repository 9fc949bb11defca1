#include "ui/frmEditSupport.h"

#include "core/Cp932.h"
#include "core/GridSheet.h"
#include "ui/Fonts.h"
#include "ui/Twips.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

// UTF-16 units of the first character: a surrogate pair is one character.
qsizetype FirstCharacterLength(QStringView text)
{
    if (text.size() >= 2 && text[0].isHighSurrogate() && text[1].isLowSurrogate())
        return 2;
    return text.isEmpty() ? 0 : 1;
}

// What the next cell takes from the front of the text: one character, or two half-width
// characters, which share a cell.
qsizetype NextCellTextLength(QStringView text)
{
    const qsizetype first = FirstCharacterLength(text);
    if (first != 1 || Cp932::ByteLength(text.first(1)) != 1)
        return first;
    const QStringView rest = text.sliced(1);
    if (FirstCharacterLength(rest) == 1 && Cp932::ByteLength(rest.first(1)) == 1)
        return 2;
    return 1;
}

} // namespace

frmEditSupport::frmEditSupport(GridSheet &sheet, QWidget *owner)
    : QDialog(owner)
    , sheet_(sheet)
{
    setObjectName(QStringLiteral("frmEditSupport"));
    setWindowTitle(QStringLiteral("Edit Support"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(TwipsToPixels(7200), TwipsToPixels(1335));

    txtEdit = new QLineEdit(this);
    txtEdit->setObjectName(QStringLiteral("txtEdit"));
    auto arrow = [this](const char *name, const QString &caption) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(QLatin1String(name));
        // Enter in the field must not press an arrow.
        button->setAutoDefault(false);
        return button;
    };
    btnUp = arrow("btnUp", QStringLiteral("↑"));
    btnDown = arrow("btnDown", QStringLiteral("↓"));
    btnRight = arrow("btnRight", QStringLiteral("→"));
    btnLeft = arrow("btnLeft", QStringLiteral("←"));

    SetTabChain({txtEdit, btnUp, btnDown, btnRight, btnLeft});

    connect(btnUp, &QPushButton::clicked, this, &frmEditSupport::btnUp_Click);
    connect(btnDown, &QPushButton::clicked, this, &frmEditSupport::btnDown_Click);
    connect(btnLeft, &QPushButton::clicked, this, &frmEditSupport::btnLeft_Click);
    connect(btnRight, &QPushButton::clicked, this, &frmEditSupport::btnRight_Click);

    ApplyWindowFont(this);
    PlaceTwips(txtEdit, 120, 532, 5775, 270);
    // The arrows keep their designed squares: a push button's usual minimum width would
    // make the cross overlap, and one arrow glyph fits.
    btnUp->setGeometry(TwipsRect(6360, 120, 375, 375));
    btnLeft->setGeometry(TwipsRect(6000, 480, 375, 375));
    btnRight->setGeometry(TwipsRect(6720, 480, 375, 375));
    btnDown->setGeometry(TwipsRect(6360, 840, 375, 375));
}

void frmEditSupport::btnUp_Click() { MoveAndWrite(0, -1); }
void frmEditSupport::btnDown_Click() { MoveAndWrite(0, 1); }
void frmEditSupport::btnLeft_Click() { MoveAndWrite(-1, 0); }
void frmEditSupport::btnRight_Click() { MoveAndWrite(1, 0); }

void frmEditSupport::MoveAndWrite(int columnStep, int rowStep)
{
    QString rest = txtEdit->text();
    if (rest.isEmpty())
        return;
    int column = sheet_.ActiveColumn();
    int row = sheet_.ActiveRow();
    // A sheet without cells has nowhere to write: keep the text rather than drop it.
    if (!sheet_.Contains(column, row))
        return;
    while (!rest.isEmpty()) {
        const qsizetype length = NextCellTextLength(rest);
        sheet_.SetCurrentColumn(column);
        sheet_.SetCurrentRow(row);
        sheet_.SetText(rest.left(length));
        rest.remove(0, length);
        txtEdit->setText(rest);
        txtEdit->repaint(); // the user sees the text shrink cell by cell

        column += columnStep;
        row += rowStep;
        // The edge of the sheet ends the writing; the rest stays in the field.
        if (!sheet_.Contains(column, row))
            return;
        sheet_.SetCurrentColumn(column);
        sheet_.SetCurrentRow(row);
        sheet_.ActivateCurrentCell();
    }
}
