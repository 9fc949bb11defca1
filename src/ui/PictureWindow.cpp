#include "ui/PictureWindow.h"

#include "ui/Messages.h"

#include "image/ImageToGrid.h"
#include "image/PictureFile.h"
#include "ui/BusyPointer.h"
#include "ui/Fonts.h"
#include "ui/MainWindow.h"
#include "ui/Twips.h"
#include "wording/FailureReasons.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>
#include <cmath>

namespace {

// The designed sizes of the field and the label, which fitToPicture keeps.
constexpr int kFieldWidth = 1080;
constexpr int kFieldHeight = 270;
constexpr int kLabelWidth = 705;
constexpr int kLabelHeight = 180;
constexpr int kTwipsPerPixel = 15;
// The progress caption is repainted at most about 30 times a second.
constexpr qint64 kCaptionPaintMs = 33;

QRect pixelsToTwips(const QRect &pixels)
{
    return QRect(pixels.x() * kTwipsPerPixel, pixels.y() * kTwipsPerPixel, pixels.width() * kTwipsPerPixel,
        pixels.height() * kTwipsPerPixel);
}

void place(QWidget *widget, const QRect &twips)
{
    placeTwips(widget, twips.x(), twips.y(), twips.width(), twips.height());
}

// Digits grouped by ",".
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

PictureWindow::PictureWindow(MainWindow &owner)
    : QWidget(&owner, Qt::Window)
    , owner_(owner)
{
    setObjectName(QStringLiteral("frmView"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ImageView"));

    pictureBox_ = new PictureBox(this);
    pictureBox_->setObjectName(QStringLiteral("picLoad"));
    toGridButton_ = new QPushButton(QStringLiteral("To Grid"), this);
    toGridButton_->setObjectName(QStringLiteral("cmdToGrid"));
    toGridButton_->setAutoDefault(false);
    blockSizeLabel_ = new QLabel(QStringLiteral("Grid Size"), this);
    blockSizeLabel_->setObjectName(QStringLiteral("lblGSize"));
    blockSizeEdit_ = new QLineEdit(QStringLiteral("8"), this);
    blockSizeEdit_->setObjectName(QStringLiteral("txtPixs"));
    blockSizeEdit_->setMaxLength(3);
    blockSizeEdit_->setToolTip(QStringLiteral("イメージを読み込むブロックの大きさを指定します"));
    setTabOrder(toGridButton_, blockSizeEdit_);
    connect(toGridButton_, &QPushButton::clicked, this, &PictureWindow::convertToGrid);

    applyWindowFont(this);
    resize(twipsToPixels(6015), twipsToPixels(6390));
    pictureBox_->setGeometry(twipsRect(0, 0, 6015, 6015));
    placeTwips(toGridButton_, 0, 6000, 3135, 375);
    placeTwips(blockSizeLabel_, 4080, 6120, kLabelWidth, kLabelHeight);
    placeTwips(blockSizeEdit_, 4920, 6120, kFieldWidth, kFieldHeight);
}

PictureWindow::Layout PictureWindow::layoutFor(const QRect &boxTwips)
{
    Layout layout;
    const int boxBottom = boxTwips.y() + boxTwips.height();
    layout.window = QSize(boxTwips.width() + 80, boxTwips.height() + 800);
    const int half = int(std::nearbyint(boxTwips.width() / 2.0)); // halves to even
    layout.rowLine = boxBottom + 215;
    layout.button = QRect(boxTwips.x(), boxBottom + 15, half, 400);
    layout.field = QRect(boxTwips.width() - kFieldWidth, layout.rowLine - kFieldHeight / 2, kFieldWidth, kFieldHeight);
    layout.label
        = QRect(layout.field.x() - (kLabelWidth + 15), layout.rowLine - kLabelHeight / 2, kLabelWidth, kLabelHeight);
    return layout;
}

void PictureWindow::fitToPicture()
{
    const Layout layout = layoutFor(pixelsToTwips(pictureBox_->geometry()));
    place(toGridButton_, layout.button);
    place(blockSizeEdit_, layout.field);
    place(blockSizeLabel_, layout.label);
    // The layout gives the outer size; the client area is that less the frame, which is
    // known only once the window is shown (and is none without a window manager).
    QSize frame(0, 0);
    if (isVisible())
        frame = (frameGeometry().size() - geometry().size()).expandedTo(QSize(0, 0));
    fitWhenShown_ = !isVisible();
    resize(std::max(twipsToPixels(layout.window.width()) - frame.width(), 1),
        std::max(twipsToPixels(layout.window.height()) - frame.height(), 1));
}

void PictureWindow::showPicture(const QImage &picture, const QString &title)
{
    pictureBox_->setPicture(picture);
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
    const QImage picture = owner_.isPictureLoaded() ? pictureBox_->picture() : QImage();
    const QString blockSizeText = blockSizeEdit_->text();
    ToGridResult result;
    {
        BusyPointer busy;
        // The caption changes every row; painting it every row would cost far more than the
        // conversion on a tall picture, so it is repainted a few times a second, and at the end.
        QElapsedTimer sincePaint;
        result = imageToGrid(picture, blockSizeText, owner_.sheet(), [&](qint64 rowsDone, qint64 rows) {
            toGridButton_->setText(progressCaption(rowsDone, rows));
            if (!sincePaint.isValid() || sincePaint.elapsed() >= kCaptionPaintMs) {
                toGridButton_->repaint();
                sincePaint.start();
            }
        });
        toGridButton_->setText(QStringLiteral("To Grid"));
        toGridButton_->repaint();
    }
    if (result.failed())
        owner_.dialogs().showMessage(this, MessageIcon::Error, toGridErrorText(result, blockSizeText));
}

void PictureWindow::closeEvent(QCloseEvent *event)
{
    forgetPicture();
    event->accept();
}

void PictureWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (fitWhenShown_)
        fitToPicture();
}

void PictureWindow::forgetPicture()
{
    owner_.setPictureLoaded(false);
}
