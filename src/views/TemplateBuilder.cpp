#include "views/TemplateBuilder.h"

#include "views/DialogUnits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace voltora::views {
namespace {

// A closed drop-down list is as high as the edit fields beside it.
constexpr int kClosedDropDownHeight = 14;

}  // namespace

QString ControlName(int id)
{
    return QStringLiteral("ctl%1").arg(id);
}

TemplateBuilder::TemplateBuilder(QWidget* target) : dialog_(target)
{
}

void TemplateBuilder::DialogSize(int width, int height)
{
    dialog_->setFont(DialogFont());
    dialog_->resize(DialogUnitSize(width, height));
}

void TemplateBuilder::Place(QWidget* control, int id, int x, int y, int width, int height)
{
    if (id != 0) {
        control->setObjectName(ControlName(id));
    }
    control->setGeometry(DialogUnitRect(x, y, width, height));
}

QLabel* TemplateBuilder::Text(int id, const QString& text, int x, int y, int width, int height)
{
    auto* label = new QLabel(text, dialog_);
    // A one-line text fills its box the way the edit fields beside it centre
    // their text; a taller box holds wrapped lines ("db Ref  Value").
    const bool wrapped = height > 10;
    label->setAlignment(Qt::AlignLeft | (wrapped ? Qt::AlignTop : Qt::AlignVCenter));
    label->setWordWrap(wrapped);
    Place(label, id, x, y, width, height);
    return label;
}

QLineEdit* TemplateBuilder::Edit(int id, int x, int y, int width, int height, bool readOnly)
{
    auto* edit = new QLineEdit(dialog_);
    edit->setReadOnly(readOnly);
    Place(edit, id, x, y, width, height);
    return edit;
}

QPushButton* TemplateBuilder::Button(int id, const QString& text, int x, int y, int width, int height)
{
    auto* button = new QPushButton(text, dialog_);
    button->setAutoDefault(false);
    Place(button, id, x, y, width, height);
    return button;
}

QGroupBox* TemplateBuilder::Group(int id, const QString& text, int x, int y, int width, int height)
{
    auto* group = new QGroupBox(text, dialog_);
    Place(group, id, x, y, width, height);
    group->lower();  // a frame only: the controls it frames stay clickable
    return group;
}

QCheckBox* TemplateBuilder::Check(int id, const QString& text, int x, int y, int width, int height)
{
    auto* check = new QCheckBox(text, dialog_);
    Place(check, id, x, y, width, height);
    return check;
}

QRadioButton* TemplateBuilder::Radio(int id, const QString& text, int x, int y, int width, int height)
{
    auto* radio = new QRadioButton(text, dialog_);
    radio->setAutoExclusive(false);  // each dialog groups its radios itself
    Place(radio, id, x, y, width, height);
    return radio;
}

void TemplateBuilder::CaptionCheckBox(QGroupBox* group, QCheckBox* check)
{
    const QString caption = group->title().trimmed();
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = caption;
    option.lineWidth = 1;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect label =
        group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);

    QStyleOptionButton box;
    box.initFrom(check);
    const QRect indicator = check->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &box, check);
    const int indicatorWidth = std::max(indicator.width(), check->style()->pixelMetric(QStyle::PM_IndicatorWidth));
    if (check->width() < indicatorWidth + 1) {
        check->resize(indicatorWidth + 1, check->height());
    }
    const int captionX = group->x() + label.x();
    const int needed = check->x() + indicatorWidth + 3 - captionX;
    const int blank = std::max(1, group->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    const int blanks = std::max(0, (needed + blank - 1) / blank);
    group->setTitle(QString(blanks, QLatin1Char(' ')) + caption);
    check->move(check->x(), group->y() + label.center().y() - check->height() / 2);
}

QComboBox* TemplateBuilder::DropDown(int id, int x, int y, int width, int height)
{
    auto* list = new QComboBox(dialog_);
    list->setMaxVisibleItems(std::max(1, DialogUnitsToPixelsY(height - kClosedDropDownHeight) / 18));
    Place(list, id, x, y, width, kClosedDropDownHeight);
    return list;
}

}  // namespace voltora::views
