#include "ui/CellColorsDialog.h"

#include "ui/FileChooser.h"
#include "ui/Fonts.h"

#include <QCheckBox>
#include <QColor>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include <tuple>
#include <utility>

CellColorsDialog::CellColorsDialog(Dialogs &dialogs, const CellColorChoice &choice, QWidget *owner)
    : QDialog(owner)
    , dialogs_(dialogs)
    , back_(choice.back)
    , fore_(choice.fore)
{
    setObjectName(QStringLiteral("frmCellColors"));
    setWindowTitle(QStringLiteral("Cell Colours"));

    auto row = [this](const char *checkName, const QString &caption, bool checked, const char *buttonName) {
        auto *check = new QCheckBox(caption, this);
        check->setObjectName(QLatin1String(checkName));
        check->setChecked(checked);
        auto *button = new QPushButton(this);
        button->setObjectName(QLatin1String(buttonName));
        button->setAutoDefault(false);
        return std::pair(check, button);
    };
    std::tie(setsBackCheck_, backButton_)
        = row("chkBackColor", QStringLiteral("Back Ground"), choice.setsBack, "btnBackColor");
    std::tie(setsForeCheck_, foreButton_)
        = row("chkForeColor", QStringLiteral("Text"), choice.setsFore, "btnForeColor");
    showColor(backButton_, back_);
    showColor(foreButton_, fore_);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnCancel"));

    auto *layout = new QGridLayout(this);
    layout->addWidget(setsBackCheck_, 0, 0);
    layout->addWidget(backButton_, 0, 1);
    layout->addWidget(setsForeCheck_, 1, 0);
    layout->addWidget(foreButton_, 1, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(backButton_, &QPushButton::clicked, this, &CellColorsDialog::chooseBackColor);
    connect(foreButton_, &QPushButton::clicked, this, &CellColorsDialog::chooseForeColor);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    applyWindowFont(this);
}

CellColorChoice CellColorsDialog::choice() const
{
    return {back_, fore_, setsBackCheck_->isChecked(), setsForeCheck_->isChecked()};
}

void CellColorsDialog::chooseBackColor()
{
    chooseColor(back_, backButton_);
}

void CellColorsDialog::chooseForeColor()
{
    chooseColor(fore_, foreButton_);
}

void CellColorsDialog::chooseColor(Color &color, QPushButton *button)
{
    const std::optional<Color> chosen = dialogs_.chooseColor(this, color);
    if (!chosen)
        return;
    color = *chosen;
    showColor(button, color);
}

// A swatch and the colour's "#RRGGBB", as the Back Ground field writes it.
void CellColorsDialog::showColor(QPushButton *button, Color color)
{
    const QSize size(32, 16);
    QPixmap swatch(size);
    swatch.fill(QColor(getRed(color), getGreen(color), getBlue(color)));
    QPainter painter(&swatch);
    painter.setPen(Qt::gray);
    painter.drawRect(QRect(QPoint(0, 0), size - QSize(1, 1)));
    painter.end();
    button->setIcon(QIcon(swatch));
    button->setIconSize(size);
    button->setText(colorToHex(color));
}
