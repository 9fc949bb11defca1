#include "ui/MainWindow.h"

#include "core/AtomicFile.h"
#include "core/Color.h"
#include "core/NumberField.h"
#include "core/Version.h"
#include "document/CellClipboard.h"
#include "document/ContentKind.h"
#include "document/commands/ClearTexts.h"
#include "document/commands/PasteCells.h"
#include "document/commands/ReplaceSheet.h"
#include "document/commands/SetCellColors.h"
#include "gridfile/GridFile.h"
#include "html/HtmlPageWriter.h"
#include "image/PictureFile.h"
#include "render/SheetPicture.h"
#include "text/PlainTextExport.h"
#include "ui/AnchoredArea.h"
#include "ui/BusyPointer.h"
#include "ui/Fonts.h"
#include "ui/GridSheetView.h"
#include "ui/GridSizeDialog.h"
#include "ui/MenuShortcuts.h"
#include "ui/Messages.h"
#include "ui/PictureWindow.h"
#include "ui/StatusTexts.h"
#include "ui/TextImportDialog.h"
#include "ui/Twips.h"
#include "ui/TypingAidWindow.h"
#include "wording/FailureReasons.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>

MainWindow::MainWindow(Dialogs &dialogs, QWidget *parent)
    : QMainWindow(parent)
    , dialogs_(dialogs)
    , fileChooser_(dialogs.newFileChooser(this))
{
    setObjectName(QStringLiteral("frmEdit"));
    createControls();
    createMenus();
    createStatusBar();
    applyWindowFont(this);
    placeControls();
    showVersion();
    fitToScreen();
    setAcceptDrops(true);
}

MainWindow::~MainWindow()
{
    // The grid's widgets go while the document is still there: a cell editor open at this
    // point saves its text into the document as it closes.
    delete takeCentralWidget();
}

void MainWindow::createControls()
{
    auto *client = new AnchoredArea(QSize(twipsToPixels(9615), twipsToPixels(6135)), this);
    setCentralWidget(client);
    client_ = client;

    gridView_ = new GridSheetView(document_, client);
    gridView_->setObjectName(QStringLiteral("sprEdit"));
    gridView_->setToolTip(QStringLiteral("文字の編集を行います"));

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

    nearColorLabel_ = label("Label2", QStringLiteral("Near Color"));
    nearColorEdit_ = field("txtNear", QStringLiteral("8"), QStringLiteral("どこまでを近似色とするか設定します"));
    nearColorEdit_->setMaxLength(3);
    backgroundLabel_ = label("Label3", QStringLiteral("Back Ground"));
    backgroundEdit_ = field("txtBGcolor", QStringLiteral("#FFFFFF"), QStringLiteral("背景色を設定します"));
    cellToBackgroundButton_
        = button("btnCellToBG", QStringLiteral("Cell >> BG"), QStringLiteral("アクティブセルの色を背景色に設定します"));
    typingAidButton_
        = button("btnEditSupport", QStringLiteral("Edit Support"), QStringLiteral("編集補助のダイアログを表示します"));
    makeHtmlButton_ = button("btnMakeHtml", QStringLiteral("Make Html"), QStringLiteral("HTMLファイルを出力します"));
    asIsCheckBox_ = new QCheckBox(QStringLiteral("as-is"), client);
    asIsCheckBox_->setObjectName(QStringLiteral("chkAsIs"));
    asIsCheckBox_->setToolTip(QStringLiteral("チェックするとグリッドのイメージで HTML を出力します"));
    titleLabel_ = label("Label5", applicationTitle());
    versionLabel_ = label("lblVer", QString());
    licenceLabel_ = label("Label4", QStringLiteral("Free software"));

    // The page settings live in the document, where the writers and text import read them.
    connect(nearColorEdit_, &QLineEdit::textChanged, &document_, &Document::setNearColorText);
    connect(backgroundEdit_, &QLineEdit::textChanged, &document_, &Document::setBackgroundText);
    connect(asIsCheckBox_, &QCheckBox::toggled, &document_, &Document::setAsIs);
    document_.setNearColorText(nearColorEdit_->text());
    document_.setBackgroundText(backgroundEdit_->text());
    document_.setAsIs(asIsCheckBox_->isChecked());

    setTabChain({gridView_, nearColorEdit_, backgroundEdit_, cellToBackgroundButton_, typingAidButton_, makeHtmlButton_,
        asIsCheckBox_});

    connect(makeHtmlButton_, &QPushButton::clicked, this, &MainWindow::makeHtml);
    connect(cellToBackgroundButton_, &QPushButton::clicked, this, &MainWindow::copyCellColorToBackground);
    connect(typingAidButton_, &QPushButton::clicked, this, &MainWindow::showTypingAid);
}

void MainWindow::placeControls()
{
    gridView_->setGeometry(twipsRect(120, 120, 8130, 5880));
    placeTwips(nearColorLabel_, 8415, 105, 1080, 180);
    placeTwips(nearColorEdit_, 8430, 345, 1065, 270);
    placeTwips(backgroundLabel_, 8475, 720, 990, 180);
    placeTwips(backgroundEdit_, 8415, 960, 1080, 270);
    placeTwips(cellToBackgroundButton_, 8400, 1440, 1095, 375);
    placeTwips(typingAidButton_, 8400, 2040, 1095, 375);
    placeTwips(makeHtmlButton_, 8400, 2640, 1080, 375);
    placeTwips(asIsCheckBox_, 8400, 3120, 1095, 180);
    placeTwips(titleLabel_, 8400, 5040, 1110, 180);
    placeTwips(versionLabel_, 8280, 5400, 1215, 180);
    placeTwips(licenceLabel_, 8280, 5760, 1200, 180);

    // The grid takes what the window gains or loses; the column keeps to the right edge, its
    // closing labels to the bottom.
    client_->setFilling(gridView_,
        QSize(gridView_->horizontalHeader()->defaultSectionSize() * 4,
            gridView_->verticalHeader()->defaultSectionSize() * 4));
    for (QWidget *control : std::initializer_list<QWidget *> {nearColorLabel_, nearColorEdit_, backgroundLabel_,
             backgroundEdit_, cellToBackgroundButton_, typingAidButton_, makeHtmlButton_, asIsCheckBox_})
        client_->anchor(control, Qt::TopEdge | Qt::RightEdge);
    for (QWidget *control : {titleLabel_, versionLabel_, licenceLabel_})
        client_->anchor(control, Qt::BottomEdge | Qt::RightEdge);
}

void MainWindow::fitToScreen()
{
    resize(sizeHint());
    const QScreen *screen = this->screen();
    if (!screen)
        return;
    // The frame is unknown until the window is shown; allow for a usual title bar and border.
    const int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    const QSize frame(2 * border, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * border);
    const QSize available = screen->availableGeometry().size();
    if (width() + frame.width() <= available.width() && height() + frame.height() <= available.height())
        return;
    resize((available - frame).expandedTo(minimumSizeHint()));
    setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::createMenus()
{
    auto item = [this](QMenu *menu, const char *name, const QString &caption, const QKeySequence &shortcut,
                    void (MainWindow::*handler)()) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    QMenu *files = menuBar()->addMenu(QStringLiteral("Files"));
    files->setObjectName(QStringLiteral("Files"));
    importPictureAction_ = item(files, "ImportImage", QStringLiteral("Import Image"),
        QKeySequence(QStringLiteral("Ctrl+I")), &MainWindow::importPicture);
    importTextAction_ = item(files, "ImportText", QStringLiteral("Import Text"), QKeySequence(QStringLiteral("Ctrl+T")),
        &MainWindow::importText);
    exportTextAction_
        = item(files, "ExportText", QStringLiteral("Export Plain Text"), QKeySequence(), &MainWindow::exportPlainText);
    exportPictureAction_ = item(files, "ExportPicture", QStringLiteral("Export Picture"),
        QKeySequence(QStringLiteral("Ctrl+Shift+E")), &MainWindow::exportPicture);
    files->addSeparator()->setObjectName(QStringLiteral("sep1"));
    makeHtmlAction_ = item(
        files, "MakeHtml", QStringLiteral("Make Html"), QKeySequence(QStringLiteral("Ctrl+E")), &MainWindow::makeHtml);
    files->addSeparator()->setObjectName(QStringLiteral("sep2"));
    loadGridAction_ = item(files, "LoadGridImage", QStringLiteral("Load Grid Image"),
        QKeySequence(QStringLiteral("Ctrl+O")), &MainWindow::loadGrid);
    saveGridAction_ = item(files, "SavaGridImage", QStringLiteral("Save Grid Image"),
        QKeySequence(QStringLiteral("Ctrl+S")), &MainWindow::saveGrid);
    QMenu *edit = menuBar()->addMenu(QStringLiteral("Edit"));
    edit->setObjectName(QStringLiteral("Edit"));
    // The items name the step they undo or redo ("Undo Import Text") and are disabled with none.
    undoAction_ = document_.undoStack().createUndoAction(this, QStringLiteral("Undo"));
    undoAction_->setObjectName(QStringLiteral("Undo"));
    undoAction_->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Z"))});
    redoAction_ = document_.undoStack().createRedoAction(this, QStringLiteral("Redo"));
    redoAction_->setObjectName(QStringLiteral("Redo"));
    redoAction_->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))});
    edit->addAction(undoAction_);
    edit->addAction(redoAction_);
    edit->addSeparator()->setObjectName(QStringLiteral("sepEdit1"));
    // The clipboard's keys, Delete and Ctrl+A stay with a text field that has the focus: they
    // are not among the shortcuts MenuShortcuts puts first.
    cutAction_ = item(edit, "Cut", QStringLiteral("Cut"), QKeySequence::Cut, &MainWindow::cutCells);
    copyAction_ = item(edit, "Copy", QStringLiteral("Copy"), QKeySequence::Copy, &MainWindow::copyCells);
    pasteAction_ = item(edit, "Paste", QStringLiteral("Paste"), QKeySequence::Paste, &MainWindow::pasteCells);
    deleteAction_ = edit->addAction(QStringLiteral("Delete"));
    deleteAction_->setObjectName(QStringLiteral("Delete"));
    deleteAction_->setShortcut(QKeySequence::Delete);
    connect(deleteAction_, &QAction::triggered, gridView_, &GridSheetView::clearSelectedTexts);
    selectAllAction_ = edit->addAction(QStringLiteral("Select All"));
    selectAllAction_->setObjectName(QStringLiteral("SelectAll"));
    selectAllAction_->setShortcut(QKeySequence(QStringLiteral("Ctrl+A")));
    connect(selectAllAction_, &QAction::triggered, gridView_, &GridSheetView::selectAll);
    edit->addSeparator()->setObjectName(QStringLiteral("sepEdit2"));
    cellColorsAction_
        = item(edit, "CellColors", QStringLiteral("Cell Colours…"), QKeySequence(), &MainWindow::chooseCellColors);
    pickColorAction_
        = item(edit, "PickColor", QStringLiteral("Pick Colour"), QKeySequence(), &MainWindow::pickCellColors);
    QMenu *view = menuBar()->addMenu(QStringLiteral("View"));
    view->setObjectName(QStringLiteral("View"));
    auto viewItem = [view](const char *name, const QString &text, const QList<QKeySequence> &shortcuts) {
        QAction *action = view->addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setShortcuts(shortcuts);
        return action;
    };
    // Ctrl+= too: on many keyboards "+" needs Shift.
    connect(viewItem("ZoomIn", QStringLiteral("Zoom In"),
                {QKeySequence(QStringLiteral("Ctrl++")), QKeySequence(QStringLiteral("Ctrl+="))}),
        &QAction::triggered, gridView_, &GridSheetView::zoomIn);
    connect(viewItem("ZoomOut", QStringLiteral("Zoom Out"), {QKeySequence(QStringLiteral("Ctrl+-"))}),
        &QAction::triggered, gridView_, &GridSheetView::zoomOut);
    connect(viewItem("ActualSize", QStringLiteral("Actual Size"), {QKeySequence(QStringLiteral("Ctrl+0"))}),
        &QAction::triggered, gridView_, &GridSheetView::resetZoom);
    connect(viewItem("Fit", QStringLiteral("Fit"), {QKeySequence(QStringLiteral("Ctrl+9"))}), &QAction::triggered,
        gridView_, &GridSheetView::fitToView);
    view->addSeparator()->setObjectName(QStringLiteral("sepView1"));
    pageLookAction_ = viewItem("PageLook", QStringLiteral("Page Look"), {QKeySequence(Qt::Key_F5)});
    pageLookAction_->setCheckable(true);
    connect(pageLookAction_, &QAction::toggled, gridView_, &GridSheetView::setPageLook);
    QMenu *option = menuBar()->addMenu(QStringLiteral("Option"));
    option->setObjectName(QStringLiteral("option"));
    gridSizeAction_ = item(option, "Setting", QStringLiteral("Setting"), QKeySequence(), &MainWindow::changeGridSize);

    new MenuShortcuts(this,
        {importPictureAction_, importTextAction_, exportTextAction_, makeHtmlAction_, loadGridAction_, saveGridAction_,
            gridSizeAction_});
}

void MainWindow::createStatusBar()
{
    auto label = [this](const char *name) {
        auto *widget = new QLabel(statusBar());
        widget->setObjectName(QLatin1String(name));
        statusBar()->addPermanentWidget(widget);
        return widget;
    };
    cellPositionLabel_ = label("lblCellPosition");
    cellColorsLabel_ = label("lblCellColors");
    sheetSizeLabel_ = label("lblSheetSize");
    selectionSizeLabel_ = label("lblSelectionSize");
    zoomLabel_ = label("lblZoom");
    zoomLabel_->setText(zoomText(gridView_->zoomPercent()));
    connect(
        gridView_, &GridSheetView::zoomChanged, this, [this](int percent) { zoomLabel_->setText(zoomText(percent)); });
    connect(gridView_, &GridSheetView::selectedAreaChanged, this, [this](QRect area) {
        const bool block = qint64(area.width()) * area.height() > 1;
        selectionSizeLabel_->setText(block ? selectionSizeText(area.width(), area.height()) : QString());
    });

    connect(&document_, &Document::activeCellChanged, this, &MainWindow::showActiveCell);
    connect(&document_, &Document::sizeChanged, this, &MainWindow::showActiveCell);
    connect(
        &document_, &Document::cellsChanged, this, [this](int firstColumn, int firstRow, int lastColumn, int lastRow) {
            const int column = sheet_.activeColumn();
            const int row = sheet_.activeRow();
            if (column >= firstColumn && column <= lastColumn && row >= firstRow && row <= lastRow)
                showActiveCell();
        });
    showActiveCell();
}

void MainWindow::showActiveCell()
{
    const int column = sheet_.activeColumn();
    const int row = sheet_.activeRow();
    cellPositionLabel_->setText(cellPositionText(column, row));
    cellColorsLabel_->setText(cellColorsText(sheet_.backColorAt(column, row), sheet_.foreColorAt(column, row)));
    sheetSizeLabel_->setText(sheetSizeText(sheet_.columnCount(), sheet_.rowCount()));
}

bool MainWindow::isPictureLoaded() const
{
    return pictureWindow_ && pictureWindow_->isPictureLoaded();
}

void MainWindow::showVersion()
{
    versionLabel_->setText(QStringLiteral("ver. ") + versionText());
    showCaption();
    connect(&document_, &Document::modifiedChanged, this, &QWidget::setWindowModified);
    connect(&document_, &Document::filePathChanged, this, &MainWindow::showCaption);
}

void MainWindow::showCaption()
{
    QString caption = applicationTitle() + QStringLiteral(" ver. ") + versionText();
    if (!document_.filePath().isEmpty())
        caption += QStringLiteral(" - ") + QFileInfo(document_.filePath()).fileName();
    setWindowTitle(caption + QStringLiteral("[*]")); // an unsaved poem shows its changes too
    setWindowModified(document_.isModified());
}

bool MainWindow::maySetChangesAside()
{
    if (!document_.isModified())
        return true;
    switch (dialogs_.askToSaveChanges(this)) {
    case SaveChoice::Save: return chooseAndSaveGrid();
    case SaveChoice::Discard: return true;
    case SaveChoice::Cancel: break;
    }
    return false;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (maySetChangesAside())
        event->accept();
    else
        event->ignore();
}

bool MainWindow::writeChosenFile(const QString &path, const DeviceWriter &writer)
{
    QString error;
    bool written = false;
    {
        BusyPointer busy;
        written = writeFileAtomically(path, writer, &error);
    }
    if (!written) {
        // An earlier write's note must not stand beside the failure.
        statusBar()->clearMessage();
        dialogs_.showMessage(this, MessageIcon::Error, writeErrorText(path, error));
        return false;
    }
    const QFileInfo file(path);
    statusBar()->showMessage(wroteFileText(file.fileName(), file.size()), 5000);
    return true;
}

void MainWindow::makeHtml()
{
    HtmlPageSettings settings;
    settings.nearText = document_.nearColorText();
    settings.backgroundText = document_.backgroundText();
    settings.asIs = document_.isAsIs();

    const QString path = fileChooser().chooseFileToSave(
        QStringLiteral("HTMLの書き込み"), QStringLiteral("HTML ファイル (*.htm, *.html)|*.htm;*.html||"));
    if (path.isEmpty())
        return;
    settings.pageTitle = pageTitleFromFileTitle(fileChooser().chosenFileTitle());

    writeChosenFile(path, wordedWriter<HtmlPageFailure>([&](QIODevice &device, HtmlPageFailure *failure) {
        return writeHtmlPage(device, sheet_, settings, failure);
    }));
}

void MainWindow::copyCellColorToBackground()
{
    sheet_.setCurrentColumn(sheet_.activeColumn());
    sheet_.setCurrentRow(sheet_.activeRow());
    backgroundEdit_->setText(colorToHex(sheet_.backColor()));
}

// --- Edit Support ---
void MainWindow::showTypingAid()
{
    if (!typingAidWindow_)
        typingAidWindow_ = new TypingAidWindow(document_, this);
    typingAidWindow_->show();
    typingAidWindow_->raise();
    typingAidWindow_->activateWindow();
}

// --- Import Image ---
void MainWindow::importPicture()
{
    // Every kind the editor reads comes first, PNG among them.
    const QString path = fileChooser().chooseFileToOpen(QStringLiteral("イメージの読み込み"),
        QStringLiteral("画像ファイル (*.jpeg, *.jpg, *.gif, *.bmp, *.png)|*.jpeg;*.jpg;*.gif;*.bmp;*.png"
                       "|Jpeg (*.jpeg, *.jpg)|*.jpeg;*.jpg|GIF (*.gif)|*.gif|BitMap (*.bmp)|*.bmp||"));
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    showPictureFile(path);
}

// --- Import Text ---
void MainWindow::importText()
{
    importTextFile({});
}

// --- Export Plain Text ---
void MainWindow::exportPlainText()
{
    const QString path = fileChooser().chooseFileToSave(
        QStringLiteral("テキストファイルの書き込み"), QStringLiteral("テキストファイル (*.txt)|*.txt||"));
    if (path.isEmpty())
        return;
    writeChosenFile(path, wordedWriter<PlainTextFailure>([this](QIODevice &device, PlainTextFailure *failure) {
        return writePlainText(device, sheet_, failure);
    }));
}

void MainWindow::exportPicture()
{
    const std::optional<int> side = dialogs_.askNumber(
        this, QStringLiteral("Cell size in pixels:"), pictureCellSide_, 1, int(SheetPicture::kMaxSide));
    if (!side)
        return;
    pictureCellSide_ = *side;
    if (!SheetPicture::fits(sheet_.columnCount(), sheet_.rowCount(), *side)) {
        dialogs_.showMessage(
            this, MessageIcon::Error, sheetPictureTooLargeText(sheet_.columnCount(), sheet_.rowCount(), *side));
        return;
    }
    const QString path
        = fileChooser().chooseFileToSave(QStringLiteral("画像の書き込み"), QStringLiteral("PNG 画像 (*.png)|*.png||"));
    if (path.isEmpty())
        return;
    SheetPictureSettings settings;
    settings.cellSide = *side;
    settings.look = gridView_->isPageLook() ? SheetPainter::Look::Page : SheetPainter::Look::Cells;
    settings.pageColors
        = readPageColorSettings(document_.nearColorText(), document_.backgroundText(), document_.isAsIs());
    writeChosenFile(path, wordedWriter<SheetPictureFailure>([&](QIODevice &device, SheetPictureFailure *failure) {
        return writeSheetPicture(device, sheet_, settings, failure);
    }));
}

// --- Grid files ---
static QString gridFileFilter()
{
    return QStringLiteral("グリッドファイル (*.grd)|*.grd||");
}

void MainWindow::loadGrid()
{
    // Loading replaces the sheet: unsaved changes are offered for saving first.
    if (!maySetChangesAside())
        return;
    const QString path = fileChooser().chooseFileToOpen(QStringLiteral("グリッドイメージの読み込み"), gridFileFilter());
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    loadGridFile(path);
}

void MainWindow::saveGrid()
{
    chooseAndSaveGrid();
}

bool MainWindow::chooseAndSaveGrid()
{
    // The path is used as chosen: no extension is added.
    fileChooser().proposeFile(document_.filePath());
    const QString path = fileChooser().chooseFileToSave(QStringLiteral("グリッドイメージの書き込み"), gridFileFilter());
    if (path.isEmpty())
        return false;
    const bool saved = writeChosenFile(path,
        wordedWriter<GridFileFailure>(
            [this](QIODevice &device, GridFileFailure *failure) { return writeGridFile(device, sheet_, failure); }));
    if (saved)
        document_.markSaved(path);
    return saved;
}

// --- gridSizeAction_ ---
void MainWindow::changeGridSize()
{
    // A fresh window each time reads the sheet's size afresh.
    GridSizeDialog window(document_, dialogs_, this);
    window.exec();
}

// --- Clipboard ---
void MainWindow::copyCells()
{
    copySelection();
}

bool MainWindow::copySelection()
{
    const QRect area = gridView_->selectedArea().intersected(QRect(1, 1, sheet_.columnCount(), sheet_.rowCount()));
    std::unique_ptr<QMimeData> data;
    if (!area.isEmpty()) {
        BusyPointer busy;
        data = mimeDataForCells(document_, area);
    }
    if (!data) {
        dialogs_.showMessage(this, MessageIcon::Error,
            area.isEmpty()
                ? QStringLiteral("There are no cells to copy.")
                : QStringLiteral("Not enough memory to copy %1 × %2 cells.").arg(area.width()).arg(area.height()));
        return false;
    }
    QGuiApplication::clipboard()->setMimeData(data.release());
    statusBar()->showMessage(copiedCellsText(area.width(), area.height()), 5000);
    return true;
}

void MainWindow::cutCells()
{
    // Cut is a copy and a Delete: the texts go, the colours of the figure stay.
    if (copySelection())
        document_.perform(std::make_unique<ClearTexts>(sheet_, gridView_->selectedArea()));
}

void MainWindow::pasteCells()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    GridFileFailure failure;
    PasteResult result;
    bool pasted = false;
    {
        BusyPointer busy;
        PasteContent content = data ? pasteContentOf(*data, &failure) : PasteContent();
        if (content.kind != PasteContent::Kind::Nothing) {
            document_.perform(std::make_unique<PasteCells>(sheet_, std::move(content), &result));
            pasted = true;
        }
    }
    if (!pasted && failure.error != GridFileError::None)
        dialogs_.showMessage(this, MessageIcon::Error,
            QStringLiteral("The cells on the clipboard cannot be pasted: ") + clipboardCellsFailureReason(failure));
    else if (!pasted)
        statusBar()->showMessage(QStringLiteral("Nothing to paste"), 5000);
    else if (result.clippedColumns > 0 || result.clippedRows > 0)
        statusBar()->showMessage(pasteClippedText(result.clippedColumns, result.clippedRows), 10000);
}

// --- Cell Colours ---
void MainWindow::chooseCellColors()
{
    CellColorsDialog window(dialogs_, cellColors_, this);
    if (window.exec() != QDialog::Accepted)
        return;
    cellColors_ = window.choice();
    if (!cellColors_.setsBack && !cellColors_.setsFore)
        return;
    document_.perform(std::make_unique<SetCellColors>(sheet_, gridView_->selectedArea(),
        cellColors_.setsBack ? std::optional(cellColors_.back) : std::nullopt,
        cellColors_.setsFore ? std::optional(cellColors_.fore) : std::nullopt));
}

void MainWindow::pickCellColors()
{
    cellColors_.back = sheet_.backColorAt(sheet_.activeColumn(), sheet_.activeRow());
    cellColors_.fore = sheet_.foreColorAt(sheet_.activeColumn(), sheet_.activeRow());
    statusBar()->showMessage(QStringLiteral("Picked ") + cellColorsText(cellColors_.back, cellColors_.fore), 5000);
}

// --- Opening a file by its kind ---
void MainWindow::showPictureFile(const QString &path)
{
    // Decode before touching the window, so a broken file leaves the shown picture alone.
    PictureError error;
    QImage picture;
    {
        BusyPointer busy;
        picture = loadPicture(path, &error, FileKinds::RegularOnly);
    }
    if (picture.isNull()) {
        dialogs_.showMessage(this, MessageIcon::Error, readErrorText(path, PictureWindow::pictureErrorText(error)));
        return;
    }
    if (!pictureWindow_)
        pictureWindow_ = new PictureWindow(document_, dialogs_, *this);
    pictureWindow_->showPicture(picture, QFileInfo(path).fileName());
}

void MainWindow::loadGridFile(const QString &path)
{
    GridFileFailure failure;
    bool loaded = false;
    {
        BusyPointer busy;
        loaded = document_.perform(std::make_unique<ReplaceSheet>(sheet_, path, FileKinds::RegularOnly, &failure));
    }
    if (!loaded) {
        dialogs_.showMessage(this, MessageIcon::Error, readErrorText(path, failureReason(failure)));
        return;
    }
    document_.markSaved(path);
}

void MainWindow::importTextFile(const QString &path)
{
    // A fresh window each time: nothing of an earlier opening is kept.
    TextImportDialog window(document_, dialogs_, this);
    if (!path.isEmpty())
        window.setFilePath(path);
    window.exec();
}

void MainWindow::openFile(const QString &path)
{
    OpenFailure failure;
    switch (contentKindOf(path, &failure)) {
    case ContentKind::Grid:
        if (maySetChangesAside())
            loadGridFile(path);
        return;
    case ContentKind::Picture: showPictureFile(path); return;
    case ContentKind::Text: importTextFile(path); return;
    case ContentKind::Foreign: break;
    case ContentKind::Unreadable:
        dialogs_.showMessage(this, MessageIcon::Error, readErrorText(path, failureReason(failure)));
        return;
    }
    dialogs_.showMessage(this, MessageIcon::Error, readErrorText(path, foreignFileReason()));
}

// The one local file a drag carries, when it is of a kind the editor opens; empty otherwise.
static QString openableDraggedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().constFirst().isLocalFile())
        return {};
    QString path = data->urls().constFirst().toLocalFile();
    switch (contentKindOf(path)) {
    case ContentKind::Grid:
    case ContentKind::Picture:
    case ContentKind::Text: return path;
    case ContentKind::Foreign:
    case ContentKind::Unreadable: break;
    }
    return {};
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    // Refused drags show the no-entry pointer.
    if (openableDraggedFile(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent *event)
{
    // The kind was read once on entering; the pointer moving changes nothing of it.
    event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QString path = openableDraggedFile(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // The windows open once the drag has ended: a modal window opened inside the drop would
    // hold the dragging application waiting.
    QMetaObject::invokeMethod(
        this, [this, path] { openFile(path); }, Qt::QueuedConnection);
}
