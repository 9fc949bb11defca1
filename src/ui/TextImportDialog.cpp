#include "ui/TextImportDialog.h"

#include "document/Document.h"
#include "document/commands/PourText.h"
#include "text/TextPouring.h"
#include "ui/BusyPointer.h"
#include "ui/FileChooser.h"
#include "ui/Fonts.h"
#include "ui/Messages.h"
#include "ui/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {

const char kTextFilter[] = "テキストファイル (*.txt)|*.txt||";

} // namespace

TextImportDialog::TextImportDialog(Document &document, Dialogs &dialogs, QWidget *owner)
    : QDialog(owner)
    , document_(document)
    , dialogs_(dialogs)
    , fileChooser_(dialogs.newFileChooser(this))
{
    setObjectName(QStringLiteral("frmTextLoad"));
    setWindowTitle(QStringLiteral("テキスト読み込みオプション"));
    setFixedSize(twipsToPixels(4935), twipsToPixels(1935));
    createControls();
    applyWindowFont(this);
    placeControls();
    pathEdit_->setFocus();
}

TextImportDialog::~TextImportDialog() = default;

void TextImportDialog::createControls()
{
    pathEdit_ = new QLineEdit(this);
    pathEdit_->setObjectName(QStringLiteral("txtPath"));

    browseButton_ = new QPushButton(QStringLiteral("…"), this);
    browseButton_->setObjectName(QStringLiteral("cmdRef"));

    lineBreakButtons_[0] = new QRadioButton(QStringLiteral("改行で列を変更する"), this);
    lineBreakButtons_[0]->setObjectName(QStringLiteral("rdoText0"));
    lineBreakButtons_[0]->setChecked(true);
    lineBreakButtons_[1] = new QRadioButton(QStringLiteral("改行を無視する"), this);
    lineBreakButtons_[1]->setObjectName(QStringLiteral("rdoText1"));

    skipBackgroundCheckBox_ = new QCheckBox(QStringLiteral("背景色のセルをスキップする"), this);
    skipBackgroundCheckBox_->setObjectName(QStringLiteral("chkBackSkip"));
    skipBlanksCheckBox_ = new QCheckBox(QStringLiteral("空白文字を読み飛ばす（スペース、TAB）"), this);
    skipBlanksCheckBox_->setObjectName(QStringLiteral("chkSpaceSkip"));

    encodingLabel_ = new QLabel(QStringLiteral("文字コード"), this);
    encodingLabel_->setObjectName(QStringLiteral("lblEncoding"));
    encodingLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    encodingBox_ = new QComboBox(this);
    encodingBox_->setObjectName(QStringLiteral("cmbEncoding"));
    encodingBox_->addItem(QStringLiteral("Shift_JIS"), QVariant::fromValue(int(TextEncoding::ShiftJis)));
    encodingBox_->addItem(QStringLiteral("UTF-8"), QVariant::fromValue(int(TextEncoding::Utf8)));
    encodingLabel_->setBuddy(encodingBox_);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("cmdOK"));
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("cmdCancel"));

    setTabChain({pathEdit_, browseButton_, lineBreakButtons_[0], lineBreakButtons_[1], skipBackgroundCheckBox_,
        cancelButton_, okButton_, skipBlanksCheckBox_, encodingBox_});

    connect(browseButton_, &QPushButton::clicked, this, &TextImportDialog::browse);
    connect(okButton_, &QPushButton::clicked, this, &TextImportDialog::pourChosenFile);
    connect(cancelButton_, &QPushButton::clicked, this, &TextImportDialog::cancel);
}

void TextImportDialog::placeControls()
{
    placeTwips(pathEdit_, 120, 120, 4215, 270);
    placeTwips(browseButton_, 4440, 120, 375, 255);
    // "…" fits its narrow designed width; the style's minimum button width would push it
    // over the path field and out of the window.
    const QRect designed = twipsRect(4440, 120, 375, 255);
    browseButton_->setGeometry(designed.left(), browseButton_->y(), designed.width(), browseButton_->height());
    placeTwips(lineBreakButtons_[0], 120, 600, 1935, 180);
    placeTwips(lineBreakButtons_[1], 120, 840, 1935, 180);
    // The two options stand 240 twips apart: grown for their captions they must not
    // overlap, or a click near their edge would pick the other one.
    for (QRadioButton *option : lineBreakButtons_) {
        const int height = std::min(option->height(), twipsToPixels(240));
        const int centre = option->geometry().center().y();
        option->setGeometry(option->x(), centre - (height - 1) / 2, option->width(), height);
    }
    // The encoding sits right of the line-break options, above the buttons.
    placeTwips(encodingLabel_, 2160, 540, 900, 330);
    placeTwips(encodingBox_, 3120, 540, 1695, 330);
    placeTwips(cancelButton_, 3720, 960, 1095, 375);
    placeTwips(skipBackgroundCheckBox_, 120, 1200, 2535, 255);
    placeTwips(okButton_, 3720, 1440, 1095, 375);
    placeTwips(skipBlanksCheckBox_, 120, 1560, 3495, 180);
}

void TextImportDialog::browse()
{
    const QString path
        = fileChooser().chooseFileToOpen(QStringLiteral("テキストファイルの読み込み"), QString::fromUtf8(kTextFilter));
    if (!path.isEmpty())
        pathEdit_->setText(path);
}

void TextImportDialog::setFilePath(const QString &path)
{
    pathEdit_->setText(path);
}

void TextImportDialog::pourChosenFile()
{
    const bool done = lineBreakButtons_[0]->isChecked() ? pourByLine() : pourFlowing();
    if (done)
        accept();
}

void TextImportDialog::cancel()
{
    reject();
}

bool TextImportDialog::pourByLine()
{
    return pour(LineBreakMode::ByLine);
}

bool TextImportDialog::pourFlowing()
{
    return pour(LineBreakMode::Flow);
}

bool TextImportDialog::pour(LineBreakMode mode)
{
    TextPouringInputs inputs;
    inputs.path = pathEdit_->text();
    inputs.mode = mode;
    inputs.skipBlanks = skipBlanksCheckBox_->isChecked();
    inputs.skipBackground = skipBackgroundCheckBox_->isChecked();
    inputs.backgroundText = document_.backgroundText();
    inputs.nearText = document_.nearColorText();
    inputs.files = FileKinds::RegularOnly;

    // The file is looked at before any cell changes: a question or a refusal keeps them all.
    TextFileTraits traits;
    TextPouringResult result;
    {
        BusyPointer busy;
        result = examineTextFile(inputs, &traits);
    }
    if (result.done()) {
        const std::optional<TextEncoding> encoding = encodingToRead(traits);
        if (!encoding)
            return false;
        if (*encoding == TextEncoding::Utf8 && !traits.validUtf8) {
            dialogs_.showMessage(this, MessageIcon::Error,
                readErrorText(inputs.path,
                    QStringLiteral("This file is not UTF-8: line %1 holds bytes that UTF-8 does not allow.")
                        .arg(traits.firstInvalidUtf8Line)));
            return false;
        }
        inputs.encoding = *encoding;
        BusyPointer busy;
        document_.perform(std::make_unique<PourText>(document_.sheet(), inputs, &result));
    }
    switch (result.outcome) {
    case TextPouringOutcome::Done:
    case TextPouringOutcome::NoFile: // the path is there to be corrected
        break;
    case TextPouringOutcome::EmptyPath:
        dialogs_.showMessage(this, MessageIcon::Error, QStringLiteral("ファイルを選択して下さい"));
        break;
    case TextPouringOutcome::OpenFailed:
    case TextPouringOutcome::ReadFailed:
        dialogs_.showMessage(this, MessageIcon::Error, readErrorText(inputs.path, failureReason(result)));
        break;
    }
    return result.done();
}

std::optional<TextEncoding> TextImportDialog::encodingToRead(const TextFileTraits &traits)
{
    const auto chosen = TextEncoding(encodingBox_->currentData().toInt());
    if (traits.byteOrderMark || chosen == TextEncoding::Utf8)
        return TextEncoding::Utf8;
    if (!traits.looksLikeUtf8())
        return TextEncoding::ShiftJis;
    // Short UTF-8 Japanese often decodes as Shift_JIS too, so only the user can tell.
    switch (dialogs_.askYesNoCancel(this, QStringLiteral("This file looks like UTF-8. Read it as UTF-8?"))) {
    case Answer::Yes: return TextEncoding::Utf8;
    case Answer::No: return TextEncoding::ShiftJis;
    case Answer::Cancel: break;
    }
    return std::nullopt;
}
