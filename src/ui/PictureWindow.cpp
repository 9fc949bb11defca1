#include "ui/PictureWindow.h"

#include "document/Document.h"
#include "document/commands/ConvertPicture.h"

#include "ui/Messages.h"

#include "image/ImageToGrid.h"
#include "image/PictureFile.h"
#include "ui/BusyPointer.h"
#include "ui/FileChooser.h"
#include "ui/Fonts.h"
#include "ui/Twips.h"
#include "wording/FailureReasons.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QWindow>

#include <algorithm>

namespace {

// The progress caption is repainted at most about 30 times a second.
constexpr qint64 kCaptionPaintMs = 33;

} // namespace

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent)
{
}

void PictureBox::setPicture(const QImage &picture)
{
    picture_ = picture;
    resize(picture_.size());
    update();
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    const QRect area = event->rect() & picture_.rect();
    painter.drawImage(area.topLeft(), picture_, area);
}

PictureWindow::PictureWindow(Document &document, Dialogs &dialogs, QWidget &owner)
    : QWidget(&owner, Qt::Window)
    , document_(document)
    , dialogs_(dialogs)
    , owner_(owner)
{
    setObjectName(QStringLiteral("frmView"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ImageView"));

    // A picture larger than the screen's room is scrolled, still shown at its natural size.
    pictureArea_ = new QScrollArea(this);
    pictureArea_->setObjectName(QStringLiteral("pictureArea"));
    pictureArea_->setFrameShape(QFrame::NoFrame);
    pictureBox_ = new PictureBox;
    pictureBox_->setObjectName(QStringLiteral("picLoad"));
    pictureArea_->setWidget(pictureBox_);
    toGridButton_ = new QPushButton(QStringLiteral("To Grid"), this);
    toGridButton_->setObjectName(QStringLiteral("cmdToGrid"));
    toGridButton_->setAutoDefault(false);
    blockSizeLabel_ = new QLabel(QStringLiteral("Grid Size"), this);
    blockSizeLabel_->setObjectName(QStringLiteral("lblGSize"));
    blockSizeEdit_ = new QLineEdit(QStringLiteral("8"), this);
    blockSizeEdit_->setObjectName(QStringLiteral("txtPixs"));
    blockSizeEdit_->setMaxLength(3);
    blockSizeEdit_->setToolTip(QStringLiteral("イメージを読み込むブロックの大きさを指定します"));
    setTabChain({pictureArea_, toGridButton_, blockSizeEdit_});
    connect(toGridButton_, &QPushButton::clicked, this, &PictureWindow::convertToGrid);

    applyWindowFont(this);
    resize(twipsToPixels(6015), twipsToPixels(6390));
    pictureBox_->resize(twipsToPixels(6015), twipsToPixels(6015));
    fit_.rowBand = height() - pictureBox_->height();
    layOut();
}

PictureLayout::RowNeeds PictureWindow::rowNeeds() const
{
    return {toGridButton_->sizeHint(), blockSizeLabel_->sizeHint(), blockSizeEdit_->sizeHint()};
}

QMargins PictureWindow::frameOrGuess() const
{
    // Before the first show the frame is not known (on X11 not until the window manager has
    // framed the window): the main window's frame is the best guess.
    if (isVisible() && windowHandle())
        return windowHandle()->frameMargins();
    if (owner_.windowHandle())
        return owner_.windowHandle()->frameMargins();
    return {};
}

void PictureWindow::fitToPicture()
{
    const QMargins frame = frameOrGuess();
    if (isVisible())
        frameGuess_.reset();
    else
        frameGuess_ = frame;
    const QScreen *screen = isVisible() ? this->screen() : owner_.screen();
    const QSize room = screen ? screen->availableGeometry().size() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const PictureLayout::RowNeeds needs = rowNeeds();
    fit_ = PictureLayout::fitFor(
        pictureBox_->size(), frame, room, needs, pictureArea_->verticalScrollBar()->sizeHint().width());
    const QSize smallest(PictureLayout::rowMinimumWidth(needs) + fit_.rightMargin, fit_.rowBand);
    setMinimumSize(smallest.boundedTo(fit_.client));
    resize(fit_.client);
    layOut();
    keepOnScreen();
}

void PictureWindow::layOut()
{
    const QRect area(0, 0, std::max(width() - fit_.rightMargin, 0), std::max(height() - fit_.rowBand, 0));
    pictureArea_->setGeometry(0, 0, width(), area.height());
    const PictureLayout::Row row = PictureLayout::rowUnder(area, rowNeeds());
    toGridButton_->setGeometry(row.button);
    blockSizeLabel_->setGeometry(row.label);
    blockSizeEdit_->setGeometry(row.field);
}

// A window grown by a new picture moves back inside the screen's room, as little as it can.
void PictureWindow::keepOnScreen()
{
    if (!isVisible() || !screen())
        return;
    const QRect room = screen()->availableGeometry();
    const QRect frame = frameGeometry();
    const QPoint topLeft(std::max(std::min(frame.x(), room.right() + 1 - frame.width()), room.left()),
        std::max(std::min(frame.y(), room.bottom() + 1 - frame.height()), room.top()));
    if (topLeft != frame.topLeft())
        move(topLeft);
}

// Refits the first opening once the real frame is known, if the guess was wrong.
void PictureWindow::correctFrameGuess()
{
    if (!frameGuess_ || !isVisible() || !windowHandle())
        return;
    const QMargins frame = windowHandle()->frameMargins();
    if (frame.isNull())
        return; // not framed yet, or never (no window manager): the guess stands
    const QMargins guess = *frameGuess_;
    frameGuess_.reset();
    if (frame != guess && windowState() == Qt::WindowNoState)
        fitToPicture();
    else
        keepOnScreen();
}

void PictureWindow::showPicture(const QImage &picture, const QString &title)
{
    pictureBox_->setPicture(picture);
    pictureLoaded_ = true;
    fitToPicture();
    setWindowTitle(title);
    show();
    raise();
    activateWindow();
}

QString PictureWindow::progressCaption(qint64 rowsDone, qint64 rows)
{
    return QStringLiteral("To Grid (") + QString::number(rowsDone) + u'/' + QString::number(rows) + u')';
}

QString PictureWindow::toGridErrorText(const ToGridResult &result, const QString &blockSizeText)
{
    const GridPlan &plan = result.plan;
    if (result.outcome == ToGridOutcome::OutOfMemory) {
        return QStringLiteral("グリッドを作るメモリが足りません\r\n%1 × %2 = %3 セル\r\n"
                              "ブロックの大きさを大きくしてください")
            .arg(groupedNumber(plan.columns), groupedNumber(plan.rows), groupedNumber(plan.columns * plan.rows));
    }
    switch (plan.refusal) {
    case GridRefusal::None: break;
    case GridRefusal::BlockSizeOutOfRange:
        return QStringLiteral("ブロックの大きさが扱える範囲を超えています\r\n") + blockSizeText;
    case GridRefusal::TooManyCells:
        return QStringLiteral("グリッドが大きすぎます\r\n%1 × %2 = %3 セル (上限 %4 セル)\r\n"
                              "ブロックの大きさを大きくしてください")
            .arg(groupedNumber(plan.columns), groupedNumber(plan.rows), groupedNumber(plan.columns * plan.rows),
                groupedNumber(GridSheet::kMaxCells));
    }
    return {};
}

QString PictureWindow::pictureErrorText(const PictureError &error)
{
    switch (error.kind) {
    case PictureError::None: break;
    case PictureError::CannotOpen: return failureReason(error.opening);
    case PictureError::CannotRead: return error.reason;
    case PictureError::InputTooLarge:
        return QStringLiteral("入力が大きすぎます (上限 %1 バイト)").arg(groupedNumber(error.limit));
    case PictureError::UnknownFormat: return QStringLiteral("イメージとして読み込めない形式です (JPEG, GIF, BMP)");
    case PictureError::TooLarge:
        return QStringLiteral("イメージが大きすぎます (%1 × %2 ピクセル、上限 %3 ピクセル)")
            .arg(error.size.width())
            .arg(error.size.height())
            .arg(groupedNumber(error.limit));
    case PictureError::Undecodable: return QStringLiteral("イメージを読み込めません: ") + error.reason;
    case PictureError::OutOfMemory: return QStringLiteral("イメージを読み込むメモリが足りません");
    }
    return {};
}

void PictureWindow::convertToGrid()
{
    const QImage picture = pictureLoaded_ ? pictureBox_->picture() : QImage();
    const QString blockSizeText = blockSizeEdit_->text();
    ToGridResult result;
    {
        BusyPointer busy;
        // The caption changes every row; painting it every row would cost far more than the
        // conversion on a tall picture, so it is repainted a few times a second, and at the end.
        QElapsedTimer sincePaint;
        auto showProgress = [&](qint64 rowsDone, qint64 rows) {
            toGridButton_->setText(progressCaption(rowsDone, rows));
            if (!sincePaint.isValid() || sincePaint.elapsed() >= kCaptionPaintMs) {
                toGridButton_->repaint();
                sincePaint.start();
            }
        };
        document_.perform(std::make_unique<ConvertPicture>(
            document_.sheet(), picture, blockSizeText, std::move(showProgress), &result));
        toGridButton_->setText(QStringLiteral("To Grid"));
        toGridButton_->repaint();
    }
    if (result.failed())
        dialogs_.showMessage(this, MessageIcon::Error, toGridErrorText(result, blockSizeText));
}

void PictureWindow::closeEvent(QCloseEvent *event)
{
    forgetPicture();
    event->accept();
}

void PictureWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    correctFrameGuess();
}

void PictureWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOut();
    correctFrameGuess();
}

void PictureWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    correctFrameGuess();
}

void PictureWindow::forgetPicture()
{
    pictureLoaded_ = false;
}
