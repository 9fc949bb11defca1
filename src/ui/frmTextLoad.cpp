#include "ui/frmTextLoad.h"

#include "text/TextPouring.h"
#include "ui/BusyPointer.h"
#include "ui/FileChooser.h"
#include "ui/Fonts.h"
#include "ui/Twips.h"
#include "ui/frmEdit.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {

const char kTextFilter[] = "テキストファイル (*.txt)|*.txt||";

} // namespace

frmTextLoad::frmTextLoad(frmEdit &owner)
    : QDialog(&owner)
    , owner_(owner)
    , comDlg_(owner.DialogHost().NewFileChooser(this))
{
    setObjectName(QStringLiteral("frmTextLoad"));
    setWindowTitle(QStringLiteral("テキスト読み込みオプション"));
    setFixedSize(TwipsToPixels(4935), TwipsToPixels(1935));
    CreateControls();
    ApplyWindowFont(this);
    PlaceControls();
    txtPath->setFocus();
}

frmTextLoad::~frmTextLoad() = default;

void frmTextLoad::CreateControls()
{
    txtPath = new QLineEdit(this);
    txtPath->setObjectName(QStringLiteral("txtPath"));

    cmdRef = new QPushButton(QStringLiteral("…"), this);
    cmdRef->setObjectName(QStringLiteral("cmdRef"));

    rdoText[0] = new QRadioButton(QStringLiteral("改行で列を変更する"), this);
    rdoText[0]->setObjectName(QStringLiteral("rdoText0"));
    rdoText[0]->setChecked(true);
    rdoText[1] = new QRadioButton(QStringLiteral("改行を無視する"), this);
    rdoText[1]->setObjectName(QStringLiteral("rdoText1"));

    chkBackSkip = new QCheckBox(QStringLiteral("背景色のセルをスキップする"), this);
    chkBackSkip->setObjectName(QStringLiteral("chkBackSkip"));
    chkSpaceSkip = new QCheckBox(QStringLiteral("空白文字を読み飛ばす（スペース、TAB）"), this);
    chkSpaceSkip->setObjectName(QStringLiteral("chkSpaceSkip"));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    SetTabChain({txtPath, cmdRef, rdoText[0], rdoText[1], chkBackSkip, cmdCancel, cmdOK, chkSpaceSkip});

    connect(cmdRef, &QPushButton::clicked, this, &frmTextLoad::cmdRef_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmTextLoad::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmTextLoad::cmdCancel_Click);
}

void frmTextLoad::PlaceControls()
{
    PlaceTwips(txtPath, 120, 120, 4215, 270);
    PlaceTwips(cmdRef, 4440, 120, 375, 255);
    // "…" fits its narrow designed width; the style's minimum button width would push it
    // over the path field and out of the window.
    const QRect designed = TwipsRect(4440, 120, 375, 255);
    cmdRef->setGeometry(designed.left(), cmdRef->y(), designed.width(), cmdRef->height());
    PlaceTwips(rdoText[0], 120, 600, 1935, 180);
    PlaceTwips(rdoText[1], 120, 840, 1935, 180);
    // The two options stand 240 twips apart: grown for their captions they must not
    // overlap, or a click near their edge would pick the other one.
    for (QRadioButton *option : rdoText) {
        const int height = std::min(option->height(), TwipsToPixels(240));
        const int centre = option->geometry().center().y();
        option->setGeometry(option->x(), centre - (height - 1) / 2, option->width(), height);
    }
    PlaceTwips(cmdCancel, 3720, 960, 1095, 375);
    PlaceTwips(chkBackSkip, 120, 1200, 2535, 255);
    PlaceTwips(cmdOK, 3720, 1440, 1095, 375);
    PlaceTwips(chkSpaceSkip, 120, 1560, 3495, 180);
}

void frmTextLoad::cmdRef_Click()
{
    const QString path
        = comDlg().ChooseFileToOpen(QStringLiteral("テキストファイルの読み込み"), QString::fromUtf8(kTextFilter));
    if (!path.isEmpty())
        txtPath->setText(path);
}

void frmTextLoad::cmdOK_Click()
{
    const bool done = rdoText[0]->isChecked() ? LoadTextByLine() : LoadTextFlow();
    if (done)
        accept();
}

void frmTextLoad::cmdCancel_Click()
{
    reject();
}

bool frmTextLoad::LoadTextByLine()
{
    return LoadText(LineBreakMode::ByLine);
}

bool frmTextLoad::LoadTextFlow()
{
    return LoadText(LineBreakMode::Flow);
}

bool frmTextLoad::LoadText(LineBreakMode mode)
{
    TextPouringInputs inputs;
    inputs.path = txtPath->text();
    inputs.mode = mode;
    inputs.skipBlanks = chkSpaceSkip->isChecked();
    inputs.skipBackground = chkBackSkip->isChecked();
    inputs.backgroundText = owner_.txtBGcolor->text();
    inputs.nearText = owner_.txtNear->text();
    inputs.files = FileKinds::RegularOnly;

    TextPouringResult result;
    {
        BusyPointer busy;
        result = PourText(owner_.Sheet(), inputs);
    }
    switch (result.outcome) {
    case TextPouringOutcome::Done:
    case TextPouringOutcome::NoFile: // the path is there to be corrected
        break;
    case TextPouringOutcome::EmptyPath:
        owner_.DialogHost().ShowMessage(this, MessageIcon::Error, QStringLiteral("ファイルを選択して下さい"));
        break;
    case TextPouringOutcome::ReadFailed:
        owner_.DialogHost().ShowMessage(this, MessageIcon::Error, ReadErrorText(inputs.path, result.error));
        break;
    }
    return result.Done();
}
