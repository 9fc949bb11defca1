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

#include <algorithm>

namespace {

constexpr qint64 kCountCeiling = 1'000'000'000'000'000;

// Full-width digits, signs and point as typed with the Japanese input method on.
char16_t Narrow(char16_t unit)
{
    if (unit >= u'０' && unit <= u'９')
        return char16_t(u'0' + (unit - u'０'));
    switch (unit) {
    case u'＋': return u'+';
    case u'－': return u'-';
    case u'．': return u'.';
    case u'　': return u' ';
    default: return unit;
    }
}

bool IsBlank(char16_t unit) { return unit == u' ' || unit == u'\t'; }
bool IsDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

} // namespace

std::optional<qint64> ReadCountField(QStringView text)
{
    QString narrow(text.size(), Qt::Uninitialized);
    std::transform(text.begin(), text.end(), narrow.begin(), [](QChar unit) { return QChar(Narrow(unit.unicode())); });

    qsizetype i = 0;
    const qsizetype size = narrow.size();
    auto at = [&](qsizetype index) { return index < size ? narrow[index].unicode() : u'\0'; };
    while (IsBlank(at(i)))
        ++i;
    bool negative = false;
    if (at(i) == u'+' || at(i) == u'-')
        negative = narrow[i++] == u'-';

    qint64 whole = 0;
    qsizetype digits = 0;
    for (; IsDigit(at(i)); ++i, ++digits)
        whole = std::min(whole * 10 + (at(i) - u'0'), kCountCeiling);
    int firstFraction = 0;
    bool moreFraction = false;
    if (at(i) == u'.') {
        ++i;
        for (qsizetype place = 0; IsDigit(at(i)); ++i, ++place, ++digits) {
            if (place == 0)
                firstFraction = at(i) - u'0';
            else if (at(i) != u'0')
                moreFraction = true;
        }
    }
    if (digits == 0)
        return std::nullopt;
    while (IsBlank(at(i)))
        ++i;
    if (i != size)
        return std::nullopt;

    // Half to even: 2.5 gives 2, 3.5 gives 4; the sign does not change the magnitude.
    if (firstFraction > 5 || (firstFraction == 5 && (moreFraction || whole % 2 == 1)))
        whole = std::min(whole + 1, kCountCeiling);
    return negative ? -whole : whole;
}

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
    const std::optional<qint64> columns = ReadCountField(txtMaxCol->text());
    const std::optional<qint64> rows = ReadCountField(txtMaxRow->text());
    if (!columns || !rows) {
        dialogs_.ShowMessage(this, MessageIcon::None, QStringLiteral("不正な値です"));
        return;
    }
    // A count below 0 leaves no columns or rows.
    const qint64 columnCount = std::max<qint64>(*columns, 0);
    const qint64 rowCount = std::max<qint64>(*rows, 0);
    if (!GridSheet::SizeFits(columnCount, rowCount)) {
        dialogs_.ShowMessage(this, MessageIcon::None,
                             QStringLiteral("グリッドが大きすぎます\r\n列数 × 行数は %1 セルまでです")
                                 .arg(QLocale(QLocale::English).toString(GridSheet::kMaxCells)));
        return;
    }
    if (!sheet_.SetSize(int(columnCount), int(rowCount))) {
        dialogs_.ShowMessage(this, MessageIcon::Error, QStringLiteral("メモリが足りません"));
        return;
    }
    accept();
}

void frmSetting::btnCancel_Click() { reject(); }
