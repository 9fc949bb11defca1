#include "ui/frmSetting.h"

#include "core/GridSheet.h"
#include "ui/FileChooser.h"
#include "ui/Fonts.h"
#include "ui/Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

frmSetting::frmSetting(GridSheet &sheet, Dialogs &dialogs, QWidget *owner)
    : QDialog(owner)
    , sheet_(sheet)
    , dialogs_(dialogs)
{
    setObjectName(QStringLiteral("frmSetting"));
    setWindowTitle(QStringLiteral("Setting"));
    setFixedSize(TwipsToPixels(3855), TwipsToPixels(1575));

    Frame1 = new QGroupBox(QStringLiteral("Grid Size"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label1 = new QLabel(QStringLiteral("Column"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    txtMaxCol = new QLineEdit(Frame1);
    txtMaxCol->setObjectName(QStringLiteral("txtMaxCol"));
    txtMaxCol->setMaxLength(5);
    Label2 = new QLabel(QStringLiteral("Row"), Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    txtMaxRow = new QLineEdit(Frame1);
    txtMaxRow->setObjectName(QStringLiteral("txtMaxRow"));
    txtMaxRow->setMaxLength(5);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Ｃａｎｃｅｌ"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);

    SetTabChain({txtMaxCol, txtMaxRow, btnOK, btnCancel});

    connect(btnOK, &QPushButton::clicked, this, &frmSetting::btnOK_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmSetting::btnCancel_Click);

    ApplyWindowFont(this);
    PlaceTwips(Frame1, 120, 120, 3615, 735);
    PlaceTwips(Label1, 240, 360, 570, 180);
    PlaceTwips(txtMaxCol, 840, 315, 975, 270);
    PlaceTwips(Label2, 2040, 360, 330, 180);
    PlaceTwips(txtMaxRow, 2400, 315, 975, 270);
    PlaceTwips(btnOK, 1440, 1080, 1095, 375);
    PlaceTwips(btnCancel, 2640, 1080, 1095, 375);

    Form_Load();
    txtMaxCol->setFocus();
}

void frmSetting::Form_Load()
{
    txtMaxCol->setText(QString::number(sheet_.ColumnCount()));
    txtMaxRow->setText(QString::number(sheet_.RowCount()));
}

void frmSetting::btnOK_Click()
{
    const std::optional<GridSize> size = ReadGridSize(txtMaxCol->text(), txtMaxRow->text());
    if (!size) {
        dialogs_.ShowMessage(this, MessageIcon::None, QStringLiteral("不正な値です"));
        return;
    }
    switch (ResizeSheet(sheet_, *size)) {
    case SheetResize::Done:
        accept();
        return;
    case SheetResize::TooLarge:
        dialogs_.ShowMessage(this, MessageIcon::None,
                             QStringLiteral("グリッドが大きすぎます\r\n列数 × 行数は %1 セルまでです")
                                 .arg(QLocale(QLocale::English).toString(GridSheet::kMaxCells)));
        return;
    case SheetResize::OutOfMemory:
        dialogs_.ShowMessage(this, MessageIcon::Error, QStringLiteral("メモリが足りません"));
        return;
    }
}

void frmSetting::btnCancel_Click() { reject(); }
