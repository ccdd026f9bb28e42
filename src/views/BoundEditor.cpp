#include "views/BoundEditor.h"

#include "views/TemplateBuilder.h"
#include "views/ViewCommands.h"
#include "views/ViewText.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace voltora::views {

BoundEditor::BoundEditor(QWidget* view, TemplateBuilder& builder, const BoundRowLayout& high,
                         const BoundRowLayout& low, BoundHandler onBound)
    : QObject(view), view_(view), onBound_(std::move(onBound))
{
    high_ = BuildRow(builder, QStringLiteral("High"), high);
    low_ = BuildRow(builder, QStringLiteral("Low"), low);
    for (const char* prefix : kPrefixTexts) {
        low_.prefixList->addItem(QString::fromLatin1(prefix));
        high_.prefixList->addItem(QString::fromLatin1(prefix));
    }
    low_.prefixList->setCurrentIndex(kNoPrefixIndex);
    high_.prefixList->setCurrentIndex(kNoPrefixIndex);
    connect(high_.setButton, &QPushButton::clicked, this, [this] { OnSetBound(true); });
    connect(low_.setButton, &QPushButton::clicked, this, [this] { OnSetBound(false); });
}

BoundEditor::Row BoundEditor::BuildRow(TemplateBuilder& builder, const QString& caption,
                                       const BoundRowLayout& layout)
{
    const auto& c = layout.caption;
    builder.Text(c.id, caption, c.x, c.y, c.width, c.height);
    Row row;
    const auto& e = layout.edit;
    row.edit = builder.Edit(e.id, e.x, e.y, e.width, e.height);
    const auto& p = layout.prefixList;
    row.prefixList = builder.DropDown(p.id, p.x, p.y, p.width, p.height);
    const auto& u = layout.unitText;
    row.unitText = builder.Text(u.id, QStringLiteral("V"), u.x, u.y, u.width, u.height);
    const auto& s = layout.setButton;
    row.setButton = builder.Button(s.id, QStringLiteral("Set"), s.x, s.y, s.width, s.height);
    return row;
}

void BoundEditor::SetUnit(const std::string& unit)
{
    high_.unitText->setText(DisplayText(unit));
    low_.unitText->setText(DisplayText(unit));
}

void BoundEditor::EnableManualControls(bool enable)
{
    for (const Row* row : {&high_, &low_}) {
        for (QWidget* control : {static_cast<QWidget*>(row->edit), static_cast<QWidget*>(row->prefixList),
                                 static_cast<QWidget*>(row->setButton)}) {
            control->setEnabled(enable);
        }
    }
}

void BoundEditor::OnSetBound(bool high)
{
    const Row& row = high ? high_ : low_;
    const auto x = TypedScaleBound(row.edit->text(), row.prefixList->currentIndex());
    if (!x) {
        RefuseTypedNumber(view_);
        return;
    }
    onBound_(high, *x);
}

}  // namespace voltora::views
