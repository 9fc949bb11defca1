#include "ui/GridSizeDialog.h"

#include "core/GridSheet.h"
#include "document/Document.h"
#include "document/commands/ResizeSheet.h"
#include "ui/FileChooser.h"
#include "ui/Fonts.h"
#include "ui/Twips.h"
#include "wording/FailureReasons.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

GridSizeDialog::GridSizeDialog(Document &document, Dialogs &dialogs, QWidget *owner)
    : QDialog(owner)
    , document_(document)
    , dialogs_(dialogs)
{
    setObjectName(QStringLiteral("frmSetting"));
    setWindowTitle(QStringLiteral("Setting"));
    setFixedSize(twipsToPixels(3855), twipsToPixels(1575));

    sizeGroup_ = new QGroupBox(QStringLiteral("Grid Size"), this);
    sizeGroup_->setObjectName(QStringLiteral("Frame1"));
    columnLabel_ = new QLabel(QStringLiteral("Column"), sizeGroup_);
    columnLabel_->setObjectName(QStringLiteral("Label1"));
    columnCountEdit_ = new QLineEdit(sizeGroup_);
    columnCountEdit_->setObjectName(QStringLiteral("txtMaxCol"));
    columnCountEdit_->setMaxLength(5);
    rowLabel_ = new QLabel(QStringLiteral("Row"), sizeGroup_);
    rowLabel_->setObjectName(QStringLiteral("Label2"));
    rowCountEdit_ = new QLineEdit(sizeGroup_);
    rowCountEdit_->setObjectName(QStringLiteral("txtMaxRow"));
    rowCountEdit_->setMaxLength(5);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("btnOK"));
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Ｃａｎｃｅｌ"), this);
    cancelButton_->setObjectName(QStringLiteral("btnCancel"));
    cancelButton_->setAutoDefault(false);

    setTabChain({columnCountEdit_, rowCountEdit_, okButton_, cancelButton_});

    connect(okButton_, &QPushButton::clicked, this, &GridSizeDialog::applySize);
    connect(cancelButton_, &QPushButton::clicked, this, &GridSizeDialog::cancel);

    applyWindowFont(this);
    placeTwips(sizeGroup_, 120, 120, 3615, 735);
    placeTwips(columnLabel_, 240, 360, 570, 180);
    placeTwips(columnCountEdit_, 840, 315, 975, 270);
    placeTwips(rowLabel_, 2040, 360, 330, 180);
    placeTwips(rowCountEdit_, 2400, 315, 975, 270);
    placeTwips(okButton_, 1440, 1080, 1095, 375);
    placeTwips(cancelButton_, 2640, 1080, 1095, 375);

    showSheetSize();
    columnCountEdit_->setFocus();
}

void GridSizeDialog::showSheetSize()
{
    columnCountEdit_->setText(QString::number(document_.sheet().columnCount()));
    rowCountEdit_->setText(QString::number(document_.sheet().rowCount()));
}

void GridSizeDialog::applySize()
{
    const std::optional<GridSize> size = readGridSize(columnCountEdit_->text(), rowCountEdit_->text());
    if (!size) {
        dialogs_.showMessage(this, MessageIcon::None, QStringLiteral("不正な値です"));
        return;
    }
    SheetResize result = SheetResize::Done;
    document_.perform(std::make_unique<ResizeSheet>(document_.sheet(), *size, &result));
    switch (result) {
    case SheetResize::Done: accept(); return;
    case SheetResize::TooLarge:
        dialogs_.showMessage(this, MessageIcon::None,
            QStringLiteral("グリッドが大きすぎます\r\n列数 × 行数は %1 セルまでです")
                .arg(groupedNumber(GridSheet::kMaxCells)));
        return;
    case SheetResize::OutOfMemory:
        dialogs_.showMessage(this, MessageIcon::Error, QStringLiteral("メモリが足りません"));
        return;
    }
}

void GridSizeDialog::cancel()
{
    reject();
}
