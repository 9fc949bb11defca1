#include "ui/frmView.h"

#include "image/ImageToGrid.h"
#include "ui/BusyPointer.h"
#include "ui/Fonts.h"
#include "ui/Twips.h"
#include "ui/frmEdit.h"

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

// The designed sizes of the field and the label, which DlgSize keeps.
constexpr int kFieldWidth = 1080;
constexpr int kFieldHeight = 270;
constexpr int kLabelWidth = 705;
constexpr int kLabelHeight = 180;
constexpr int kTwipsPerPixel = 15;
// The progress caption is repainted at most about 30 times a second.
constexpr qint64 kCaptionPaintMs = 33;

QRect PixelsToTwips(const QRect &pixels)
{
    return QRect(pixels.x() * kTwipsPerPixel, pixels.y() * kTwipsPerPixel, pixels.width() * kTwipsPerPixel,
                 pixels.height() * kTwipsPerPixel);
}

void Place(QWidget *widget, const QRect &twips)
{
    PlaceTwips(widget, twips.x(), twips.y(), twips.width(), twips.height());
}

} // namespace

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent)
{
}

void PictureBox::SetPicture(const QImage &picture)
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

frmView::frmView(frmEdit &owner)
    : QWidget(&owner, Qt::Window)
    , owner_(owner)
{
    setObjectName(QStringLiteral("frmView"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ImageView"));

    picLoad = new PictureBox(this);
    picLoad->setObjectName(QStringLiteral("picLoad"));
    cmdToGrid = new QPushButton(QStringLiteral("To Grid"), this);
    cmdToGrid->setObjectName(QStringLiteral("cmdToGrid"));
    cmdToGrid->setAutoDefault(false);
    lblGSize = new QLabel(QStringLiteral("Grid Size"), this);
    lblGSize->setObjectName(QStringLiteral("lblGSize"));
    txtPixs = new QLineEdit(QStringLiteral("8"), this);
    txtPixs->setObjectName(QStringLiteral("txtPixs"));
    txtPixs->setMaxLength(3);
    txtPixs->setToolTip(QStringLiteral("イメージを読み込むブロックの大きさを指定します"));
    setTabOrder(cmdToGrid, txtPixs);
    connect(cmdToGrid, &QPushButton::clicked, this, &frmView::cmdToGrid_Click);

    ApplyWindowFont(this);
    resize(TwipsToPixels(6015), TwipsToPixels(6390));
    picLoad->setGeometry(TwipsRect(0, 0, 6015, 6015));
    PlaceTwips(cmdToGrid, 0, 6000, 3135, 375);
    PlaceTwips(lblGSize, 4080, 6120, kLabelWidth, kLabelHeight);
    PlaceTwips(txtPixs, 4920, 6120, kFieldWidth, kFieldHeight);
}

frmView::Layout frmView::DlgSizeLayout(const QRect &boxTwips)
{
    Layout layout;
    const int boxBottom = boxTwips.y() + boxTwips.height();
    layout.window = QSize(boxTwips.width() + 80, boxTwips.height() + 800);
    const int half = int(std::nearbyint(boxTwips.width() / 2.0)); // halves to even
    layout.rowLine = boxBottom + 215;
    layout.button = QRect(boxTwips.x(), boxBottom + 15, half, 400);
    layout.field = QRect(boxTwips.width() - kFieldWidth, layout.rowLine - kFieldHeight / 2, kFieldWidth, kFieldHeight);
    layout.label = QRect(layout.field.x() - (kLabelWidth + 15), layout.rowLine - kLabelHeight / 2, kLabelWidth,
                         kLabelHeight);
    return layout;
}

void frmView::DlgSize()
{
    const Layout layout = DlgSizeLayout(PixelsToTwips(picLoad->geometry()));
    Place(cmdToGrid, layout.button);
    Place(txtPixs, layout.field);
    Place(lblGSize, layout.label);
    // The layout gives the outer size; the client area is that less the frame, which is
    // known only once the window is shown (and is none without a window manager).
    QSize frame(0, 0);
    if (isVisible())
        frame = (frameGeometry().size() - geometry().size()).expandedTo(QSize(0, 0));
    fitWhenShown_ = !isVisible();
    resize(std::max(TwipsToPixels(layout.window.width()) - frame.width(), 1),
           std::max(TwipsToPixels(layout.window.height()) - frame.height(), 1));
}

void frmView::cmdToGrid_Click()
{
    const QImage picture = owner_.ImageLoaded ? picLoad->Picture() : QImage();
    ToGridResult result;
    {
        BusyPointer busy;
        // The caption changes every row; painting it every row would cost far more than the
        // conversion on a tall picture, so it is repainted a few times a second, and at the end.
        QElapsedTimer sincePaint;
        result = ImageToGrid(picture, txtPixs->text(), owner_.Sheet(), [&](const QString &caption) {
            cmdToGrid->setText(caption);
            const bool last = caption == QLatin1String("To Grid");
            if (last || !sincePaint.isValid() || sincePaint.elapsed() >= kCaptionPaintMs) {
                cmdToGrid->repaint();
                sincePaint.start();
            }
        });
    }
    if (result.Failed())
        owner_.DialogHost().ShowMessage(this, MessageIcon::Error, result.error);
}

void frmView::closeEvent(QCloseEvent *event)
{
    Form_QueryUnload();
    event->accept();
}

void frmView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (fitWhenShown_)
        DlgSize();
}

void frmView::Form_QueryUnload() { owner_.ImageLoaded = false; }
