#include "ui/frmEdit.h"

#include "core/AtomicFile.h"
#include "core/Color.h"
#include "core/Version.h"
#include "gridfile/GridFile.h"
#include "html/HtmlPageWriter.h"
#include "image/PictureFile.h"
#include "text/PlainTextExport.h"
#include "ui/BusyPointer.h"
#include "ui/Fonts.h"
#include "ui/GridSheetView.h"
#include "ui/Twips.h"
#include "ui/frmEditSupport.h"
#include "ui/frmSetting.h"
#include "ui/frmTextLoad.h"
#include "ui/frmView.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

frmEdit::frmEdit(Dialogs &dialogs, QWidget *parent)
    : QMainWindow(parent)
    , dialogs_(dialogs)
    , comDlg_(dialogs.NewFileChooser(this))
{
    setObjectName(QStringLiteral("frmEdit"));
    CreateControls();
    CreateMenus();
    ApplyWindowFont(this);
    PlaceControls();
    Form_Load();
}

frmEdit::~frmEdit() = default;

void frmEdit::CreateControls()
{
    auto *client = new QWidget(this);
    client->setFixedSize(TwipsToPixels(9615), TwipsToPixels(6135));
    setCentralWidget(client);

    sprEdit = new GridSheetView(sheet_, client);
    sprEdit->setObjectName(QStringLiteral("sprEdit"));
    sprEdit->setToolTip(QStringLiteral("文字の編集を行います"));
    sprEdit->setGeometry(TwipsRect(120, 120, 8130, 5880));

    auto label = [client](const char *name, const QString &caption) {
        auto *widget = new QLabel(caption, client);
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    auto field = [client](const char *name, const QString &text, const QString &toolTip) {
        auto *widget = new QLineEdit(text, client);
        widget->setObjectName(QLatin1String(name));
        widget->setToolTip(toolTip);
        return widget;
    };
    auto button = [client](const char *name, const QString &caption, const QString &toolTip) {
        auto *widget = new QPushButton(caption, client);
        widget->setObjectName(QLatin1String(name));
        widget->setToolTip(toolTip);
        widget->setAutoDefault(false);
        return widget;
    };

    Label2 = label("Label2", QStringLiteral("Near Color"));
    txtNear = field("txtNear", QStringLiteral("8"), QStringLiteral("どこまでを近似色とするか設定します"));
    txtNear->setMaxLength(3);
    Label3 = label("Label3", QStringLiteral("Back Ground"));
    txtBGcolor = field("txtBGcolor", QStringLiteral("#FFFFFF"), QStringLiteral("背景色を設定します"));
    btnCellToBG = button("btnCellToBG", QStringLiteral("Cell >> BG"),
                         QStringLiteral("アクティブセルの色を背景色に設定します"));
    btnEditSupport = button("btnEditSupport", QStringLiteral("Edit Support"),
                            QStringLiteral("編集補助のダイアログを表示します"));
    btnMakeHtml = button("btnMakeHtml", QStringLiteral("Make Html"), QStringLiteral("HTMLファイルを出力します"));
    chkAsIs = new QCheckBox(QStringLiteral("as-is"), client);
    chkAsIs->setObjectName(QStringLiteral("chkAsIs"));
    chkAsIs->setToolTip(QStringLiteral("チェックするとグリッドのイメージで HTML を出力します"));
    Label5 = label("Label5", ApplicationTitle());
    lblVer = label("lblVer", QString());
    Label4 = label("Label4", QStringLiteral("Free software"));

    SetTabChain({sprEdit, txtNear, txtBGcolor, btnCellToBG, btnEditSupport, btnMakeHtml, chkAsIs});

    connect(btnMakeHtml, &QPushButton::clicked, this, &frmEdit::btnMakeHtml_Click);
    connect(btnCellToBG, &QPushButton::clicked, this, &frmEdit::btnCellToBG_Click);
    connect(btnEditSupport, &QPushButton::clicked, this, &frmEdit::btnEditSupport_Click);
}

void frmEdit::PlaceControls()
{
    PlaceTwips(Label2, 8415, 105, 1080, 180);
    PlaceTwips(txtNear, 8430, 345, 1065, 270);
    PlaceTwips(Label3, 8475, 720, 990, 180);
    PlaceTwips(txtBGcolor, 8415, 960, 1080, 270);
    PlaceTwips(btnCellToBG, 8400, 1440, 1095, 375);
    PlaceTwips(btnEditSupport, 8400, 2040, 1095, 375);
    PlaceTwips(btnMakeHtml, 8400, 2640, 1080, 375);
    PlaceTwips(chkAsIs, 8400, 3120, 1095, 180);
    PlaceTwips(Label5, 8400, 5040, 1110, 180);
    PlaceTwips(lblVer, 8280, 5400, 1215, 180);
    PlaceTwips(Label4, 8280, 5760, 1200, 180);
}

void frmEdit::CreateMenus()
{
    auto item = [this](QMenu *menu, const char *name, const QString &caption, const QKeySequence &shortcut,
                       void (frmEdit::*handler)()) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    QMenu *files = menuBar()->addMenu(QStringLiteral("Files"));
    files->setObjectName(QStringLiteral("Files"));
    ImportImage = item(files, "ImportImage", QStringLiteral("Import Image"), QKeySequence(QStringLiteral("Ctrl+I")),
                       &frmEdit::ImportImage_Click);
    ImportText = item(files, "ImportText", QStringLiteral("Import Text"), QKeySequence(QStringLiteral("Ctrl+T")),
                      &frmEdit::ImportText_Click);
    ExportText = item(files, "ExportText", QStringLiteral("Export Plain Text"), QKeySequence(),
                      &frmEdit::ExportText_Click);
    files->addSeparator()->setObjectName(QStringLiteral("sep1"));
    MakeHtml = item(files, "MakeHtml", QStringLiteral("Make Html"), QKeySequence(QStringLiteral("Ctrl+E")),
                    &frmEdit::MakeHtml_Click);
    files->addSeparator()->setObjectName(QStringLiteral("sep2"));
    LoadGridImage = item(files, "LoadGridImage", QStringLiteral("Load Grid Image"),
                         QKeySequence(QStringLiteral("Ctrl+O")), &frmEdit::LoadGridImage_Click);
    SavaGridImage = item(files, "SavaGridImage", QStringLiteral("Save Grid Image"),
                         QKeySequence(QStringLiteral("Ctrl+S")), &frmEdit::SavaGridImage_Click);
    QMenu *option = menuBar()->addMenu(QStringLiteral("Option"));
    option->setObjectName(QStringLiteral("option"));
    Setting = item(option, "Setting", QStringLiteral("Setting"), QKeySequence(), &frmEdit::Setting_Click);
}

void frmEdit::Form_Load()
{
    ImageLoaded = false;
    lblVer->setText(QStringLiteral("ver. ") + VersionText());
    setWindowTitle(ApplicationTitle() + QStringLiteral(" ver. ") + VersionText());
}

void frmEdit::WriteChosenFile(const QString &path, const DeviceWriter &writer)
{
    QString error;
    bool written = false;
    {
        BusyPointer busy;
        written = WriteFileAtomically(path, writer, &error);
    }
    if (!written)
        dialogs_.ShowMessage(this, MessageIcon::Error, WriteErrorText(path, error));
}


void frmEdit::btnMakeHtml_Click()
{
    HtmlPageSettings settings;
    settings.nearText = txtNear->text();
    settings.backgroundText = txtBGcolor->text();
    settings.asIs = chkAsIs->isChecked();

    const QString path = ComDlg().ChooseFileToSave(QStringLiteral("HTMLの書き込み"),
                                                   QStringLiteral("HTML ファイル (*.htm, *.html)|*.htm;*.html||"));
    if (path.isEmpty())
        return;
    settings.pageTitle = PageTitleFromFileTitle(ComDlg().ChosenFileTitle());

    WriteChosenFile(path, [&](QIODevice &device, QString *error) {
        return WriteHtmlPage(device, sheet_, settings, error);
    });
}

void frmEdit::MakeHtml_Click() { btnMakeHtml_Click(); }

void frmEdit::btnCellToBG_Click()
{
    sheet_.SetCurrentColumn(sheet_.ActiveColumn());
    sheet_.SetCurrentRow(sheet_.ActiveRow());
    txtBGcolor->setText(ColorToHex(sheet_.BackColor()));
}

// --- Edit Support ---
void frmEdit::btnEditSupport_Click()
{
    if (!editSupportWindow_)
        editSupportWindow_ = new frmEditSupport(sheet_, this);
    editSupportWindow_->show();
    editSupportWindow_->raise();
    editSupportWindow_->activateWindow();
}

// --- Import Image ---
void frmEdit::ImportImage_Click()
{
    const QString path = ComDlg().ChooseFileToOpen(
        QStringLiteral("イメージの読み込み"),
        QStringLiteral("Jpeg (*.jpeg, *.jpg)|*.jpeg;*.jpg|GIF (*.gif)|*.gif|BitMap (*.bmp)|*.bmp||"));
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    // Decode before touching the window, so a broken file leaves the shown picture alone.
    QString error;
    QImage picture;
    {
        BusyPointer busy;
        picture = LoadPicture(path, &error, FileKinds::RegularOnly);
    }
    if (picture.isNull()) {
        dialogs_.ShowMessage(this, MessageIcon::Error, ReadErrorText(path, error));
        return;
    }
    if (!viewWindow_)
        viewWindow_ = new frmView(*this);
    viewWindow_->picLoad->SetPicture(picture);
    viewWindow_->DlgSize();
    viewWindow_->setWindowTitle(ComDlg().ChosenFileTitle());
    viewWindow_->show();
    viewWindow_->raise();
    viewWindow_->activateWindow();
    ImageLoaded = true;
}

// --- Import Text ---
void frmEdit::ImportText_Click()
{
    // A fresh window each time: nothing of an earlier opening is kept.
    frmTextLoad window(*this);
    window.exec();
}

// --- Export Plain Text ---
void frmEdit::ExportText_Click()
{
    const QString path = ComDlg().ChooseFileToSave(QStringLiteral("テキストファイルの書き込み"),
                                                   QStringLiteral("テキストファイル (*.txt)|*.txt||"));
    if (path.isEmpty())
        return;
    WriteChosenFile(path, [this](QIODevice &device, QString *error) { return WritePlainText(device, sheet_, error); });
}

// --- Grid files ---
static QString GridFileFilter() { return QStringLiteral("グリッドファイル (*.grd)|*.grd||"); }

void frmEdit::LoadGridImage_Click()
{
    const QString path = ComDlg().ChooseFileToOpen(QStringLiteral("グリッドイメージの読み込み"), GridFileFilter());
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    QString error;
    bool loaded = false;
    {
        BusyPointer busy;
        loaded = LoadSheet(sheet_, path, &error, FileKinds::RegularOnly);
    }
    if (!loaded)
        dialogs_.ShowMessage(this, MessageIcon::Error, ReadErrorText(path, error));
}

void frmEdit::SavaGridImage_Click()
{
    // The path is used as chosen: no extension is added.
    const QString path = ComDlg().ChooseFileToSave(QStringLiteral("グリッドイメージの書き込み"), GridFileFilter());
    if (path.isEmpty())
        return;
    WriteChosenFile(path, [this](QIODevice &device, QString *error) { return WriteGridFile(device, sheet_, error); });
}

// --- Setting ---
void frmEdit::Setting_Click()
{
    // A fresh window each time reads the sheet's size afresh.
    frmSetting window(sheet_, dialogs_, this);
    window.exec();
}
