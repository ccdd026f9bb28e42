#include "views/CDlgZANMath.h"

#include "functions/CZANFunction.h"
#include "functions/ViewFlags.h"
#include "platform/CNumbers.h"
#include "platform/Clock.h"
#include "scpi/MathCommands.h"
#include "views/IViewHost.h"
#include "views/MathFormatting.h"
#include "views/TemplateBuilder.h"
#include "views/ViewCommands.h"
#include "views/ViewText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include <vector>

using namespace voltora::functions;

using voltora::views::DbControls;
using voltora::views::DisplayText;
using voltora::views::NarrowText;
using namespace voltora::scpi;

CDlgZANMath::CDlgZANMath(IViewHost* viewHost, QWidget* parent) : QWidget(parent), host(viewHost)
{
    BuildControls();
    ConnectHandlers();

    for (const char* prefix : voltora::views::kLimitPrefixes) {
        upperPrefixList->addItem(QString::fromLatin1(prefix));
        lowerPrefixList->addItem(QString::fromLatin1(prefix));
    }
    EnableLimitControls(false);
    ApplyDbControls(voltora::views::DbControlsForState(0, mathInfo.unitText));
    scaleCheck->setChecked(false);
    dbRadio->setChecked(true);
    for (const char* resistance : voltora::views::kReferenceResistances) {
        referenceList->addItem(QString::fromLatin1(resistance));
    }
    for (const char* prefix : voltora::views::kRelValuePrefixes) {
        relPrefixList->addItem(QString::fromLatin1(prefix));
    }
    relPrefixList->setCurrentIndex(4);
    hide();
}

CDlgZANMath::~CDlgZANMath()
{
    if (shown) {
        SetShown(false);
    }
}

void CDlgZANMath::BuildControls()
{
    voltora::views::TemplateBuilder t(this);
    t.DialogSize(499, 166);

    t.Group(0, QStringLiteral("Statistics"), 9, 4, 401, 68);
    t.Text(0, QStringLiteral("Min:"), 15, 23, 14, 8);
    minimumEdit = t.Edit(1007, 38, 20, 52, 14, true);
    t.Text(0, QStringLiteral("Average:"), 122, 23, 30, 8);
    averageEdit = t.Edit(1008, 154, 20, 52, 14, true);
    t.Text(0, QStringLiteral("Max:"), 235, 23, 17, 8);
    maximumEdit = t.Edit(1009, 265, 20, 52, 14, true);
    t.Text(0, QStringLiteral("Span:"), 15, 51, 20, 8);
    spanEdit = t.Edit(1010, 38, 49, 52, 14, true);
    t.Text(0, QStringLiteral("Std dev:"), 123, 51, 28, 8);
    deviationEdit = t.Edit(1011, 154, 49, 52, 14, true);
    t.Text(0, QStringLiteral("Samples:"), 235, 51, 30, 8);
    samplesEdit = t.Edit(1012, 265, 49, 52, 14, true);
    clearButton = t.Button(1065, QStringLiteral("Clear Readings"), 337, 48, 59, 14);

    QGroupBox* dbGroup = t.Group(0, QStringLiteral("     dB/dBm"), 10, 76, 166, 68);
    scaleCheck = t.Check(1059, QString(), 16, 76, 8, 10);
    voltora::views::TemplateBuilder::CaptionCheckBox(dbGroup, scaleCheck);
    dbRadio = t.Radio(1060, QStringLiteral("dB"), 22, 94, 24, 10);
    dbmRadio = t.Radio(1061, QStringLiteral("dBm"), 22, 112, 29, 10);
    unitGroup = new QButtonGroup(this);
    unitGroup->addButton(dbRadio);
    unitGroup->addButton(dbmRadio);
    t.Text(0, QStringLiteral("Ref R"), 56, 96, 19, 8);
    referenceList = t.DropDown(1068, 78, 92, 40, 147);
    t.Text(0, DisplayText("$OHM$"), 124, 96, 8, 8);
    referenceSet = t.Button(1066, QStringLiteral("Set"), 138, 90, 30, 14);
    t.Text(0, QStringLiteral("db Ref  Value"), 52, 108, 22, 18);
    dbReferenceEdit = t.Edit(1064, 78, 108, 40, 14);
    t.Text(0, QStringLiteral("dBm"), 122, 114, 14, 8);
    dbReferenceSet = t.Button(1067, QStringLiteral("Set"), 138, 108, 30, 14);
    measureReference = t.Check(1069, QStringLiteral("Measure Ref Value"), 54, 128, 76, 10);

    t.Group(0, QStringLiteral("Rel Value"), 179, 76, 125, 44);
    relValueEdit = t.Edit(1055, 184, 93, 49, 14);
    relPrefixList = t.DropDown(1074, 234, 93, 24, 83);
    relUnitText = t.Text(1075, QStringLiteral("V"), 262, 95, 13, 8);
    relValueSet = t.Button(1076, QStringLiteral("Set"), 276, 92, 26, 14);

    // The limits group: laid out, never shown.
    std::vector<QWidget*> limits;
    QGroupBox* limitGroup = t.Group(1062, QStringLiteral("     Limits"), 313, 76, 166, 81);
    limits.push_back(limitGroup);
    limitCheck = t.Check(1049, QString(), 319, 76, 9, 10);
    voltora::views::TemplateBuilder::CaptionCheckBox(limitGroup, limitCheck);
    limits.push_back(limitCheck);
    limits.push_back(t.Text(0, QStringLiteral("High"), 317, 90, 15, 8));
    upperEdit = t.Edit(1050, 329, 87, 40, 14);
    upperPrefixList = t.DropDown(1004, 371, 87, 21, 134);
    upperUnitText = t.Text(1077, QStringLiteral("V"), 395, 90, 16, 8);
    upperSet = t.Button(1053, QStringLiteral("Set"), 410, 87, 25, 14);
    limits.push_back(t.Text(0, QStringLiteral("Low"), 315, 110, 14, 8));
    lowerEdit = t.Edit(1052, 331, 108, 40, 14);
    lowerPrefixList = t.DropDown(1005, 372, 108, 21, 118);
    lowerUnitText = t.Text(1078, QStringLiteral("V"), 394, 110, 17, 8);
    lowerSet = t.Button(1051, QStringLiteral("Set"), 411, 108, 25, 14);
    for (QWidget* control : {static_cast<QWidget*>(upperEdit), static_cast<QWidget*>(upperPrefixList),
                             static_cast<QWidget*>(upperUnitText), static_cast<QWidget*>(upperSet),
                             static_cast<QWidget*>(lowerEdit), static_cast<QWidget*>(lowerPrefixList),
                             static_cast<QWidget*>(lowerUnitText), static_cast<QWidget*>(lowerSet)}) {
        limits.push_back(control);
    }
    for (QWidget* control : limits) {
        control->setVisible(false);
    }
}

void CDlgZANMath::ConnectHandlers()
{
    connect(scaleCheck, &QCheckBox::clicked, this, [this] { OnScaleCheck(); });
    connect(dbRadio, &QRadioButton::clicked, this, [this] { OnDbUnit(true); });
    connect(dbmRadio, &QRadioButton::clicked, this, [this] { OnDbUnit(false); });
    connect(referenceSet, &QPushButton::clicked, this, [this] { OnSetReferenceResistance(); });
    connect(dbReferenceSet, &QPushButton::clicked, this, [this] { OnSetDbReference(); });
    connect(measureReference, &QCheckBox::clicked, this, [this] { OnMeasureReference(); });
    connect(clearButton, &QPushButton::clicked, this, [this] { OnClearReadings(); });
    connect(relValueSet, &QPushButton::clicked, this, [this] { OnSetRelValue(); });
    connect(limitCheck, &QCheckBox::clicked, this, [this] { OnLimitCheck(); });
    connect(lowerSet, &QPushButton::clicked, this, [this] { OnSetLimit(false); });
    connect(upperSet, &QPushButton::clicked, this, [this] { OnSetLimit(true); });
}

// ---- Shown or hidden ------------------------------------------------------------------

void CDlgZANMath::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    SetShown(true);
}

void CDlgZANMath::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    SetShown(false);
}

void CDlgZANMath::SetShown(bool state)
{
    shown = state;
    mathViewShown = state;
}

// ---- Operations of the panel ------------------------------------------------------------

void CDlgZANMath::UpdateStatistics(const StatisticsBlock& block)
{
    if (!shown) {
        return;
    }
    const int decimals = voltora::views::StatisticDecimals(host->CurrentValueText());
    const std::string name = host->CurrentFunctionName();
    const std::string unit = host->CurrentUnitText();
    const auto show = [&](QLineEdit* edit, const std::string& text, int n) {
        edit->setText(DisplayText(voltora::views::FormatStatistic(text, n, name, unit)));
    };
    show(minimumEdit, block.minimum, decimals);
    show(maximumEdit, block.maximum, decimals);
    show(spanEdit, block.span, decimals);
    show(averageEdit, block.average, decimals + 1);
    show(deviationEdit, block.standardDeviation, decimals + 1);
    samplesEdit->setText(QString::fromStdString(voltora::platform::CFormat("%d", block.samples)));
}

void CDlgZANMath::LoadDbSettings(const MathInfo& info)
{
    mathInfo = info;
    scaleCheck->setChecked(info.mode != 0);
    (info.unitText == "dB" ? dbRadio : dbmRadio)->setChecked(true);
    const int match = referenceList->findText(
        QString::fromStdString(voltora::platform::CFormat("%d", info.dbmReference)), Qt::MatchExactly);
    referenceList->setCurrentIndex(match);
    dbReferenceEdit->setText(QString::fromStdString(voltora::platform::CFormat("%d", info.dbReference)));
    measureReference->setChecked(info.referenceAuto != 0);
    ApplyDbControls(voltora::views::DbControlsForRecord(info.available, info.mode, info.unitText));
}

void CDlgZANMath::LoadMathSettings(const voltora::functions::MathSettings& limits)
{
    limitCheck->setChecked(limits.limitState != 0);
    EnableLimitControls(limits.limitState != 0);
    if (limits.limitState == 0) {
        return;
    }
    const auto lower = voltora::views::LimitForDisplay(limits.lowerLimit);
    lowerEdit->setText(DisplayText(lower.text));
    lowerPrefixList->setCurrentIndex(lower.prefixIndex < lowerPrefixList->count() ? lower.prefixIndex : -1);
    const auto upper = voltora::views::LimitForDisplay(limits.upperLimit);
    upperEdit->setText(DisplayText(upper.text));
    upperPrefixList->setCurrentIndex(upper.prefixIndex < upperPrefixList->count() ? upper.prefixIndex : -1);
}

void CDlgZANMath::SetUnit(const std::string& unit)
{
    const QString text = DisplayText(unit);
    relUnitText->setText(unit.find("dB") != std::string::npos ? QStringLiteral("V") : text);
    upperUnitText->setText(text);
    lowerUnitText->setText(text);
}

void CDlgZANMath::ShowRelValue(const std::string& state, const std::string& value)
{
    const bool on = state != "Off";
    relValueSet->setEnabled(on);
    relPrefixList->setEnabled(on);
    relValueEdit->setEnabled(on);
    if (!on) {
        return;
    }
    const auto display = voltora::views::RelValueForDisplay(value);
    relPrefixList->setCurrentIndex(display.prefixIndex);
    relValueEdit->setText(QString::fromStdString(display.text));
}

// ---- Enabling ------------------------------------------------------------------------------

void CDlgZANMath::ApplyDbControls(const DbControls& controls)
{
    scaleCheck->setEnabled(controls.scaleCheck);
    dbRadio->setEnabled(controls.dbRadio);
    dbmRadio->setEnabled(controls.dbmRadio);
    referenceList->setEnabled(controls.referenceList);
    referenceSet->setEnabled(controls.referenceSet);
    dbReferenceEdit->setEnabled(controls.dbReferenceEdit);
    dbReferenceSet->setEnabled(controls.dbReferenceSet);
    measureReference->setEnabled(controls.measureReference);
}

void CDlgZANMath::EnableUnitDependent(bool db)
{
    dbReferenceEdit->setEnabled(db);
    dbReferenceSet->setEnabled(db);
    measureReference->setEnabled(db);
}

void CDlgZANMath::EnableLimitControls(bool enable)
{
    for (QWidget* control : {static_cast<QWidget*>(lowerEdit), static_cast<QWidget*>(upperEdit),
                             static_cast<QWidget*>(lowerPrefixList), static_cast<QWidget*>(upperPrefixList),
                             static_cast<QWidget*>(lowerSet), static_cast<QWidget*>(upperSet)}) {
        control->setEnabled(enable);
    }
}

// ---- Handlers --------------------------------------------------------------------------------

void CDlgZANMath::OnScaleCheck()
{
    const int state = scaleCheck->isChecked() ? 1 : 0;
    ApplyDbControls(voltora::views::DbControlsForState(state, mathInfo.unitText));
    host->ApplyMathMode(state);
}

void CDlgZANMath::OnDbUnit(bool db)
{
    EnableUnitDependent(db);
    mathInfo.unitText = db ? "dB" : "dBm";
    host->ApplyMathUnit(db ? "DB" : "DBM");
}

void CDlgZANMath::OnSetReferenceResistance()
{
    CZANFunction* function = host->CurrentFunction();
    // A resistance that is not in the list leaves it without a selection;
    // then there is no reference to send (0 ohms is none).
    if (function == nullptr || referenceList->currentIndex() < 0) {
        return;
    }
    function->SetMathDbmReference(voltora::platform::CAtoi(NarrowText(referenceList->currentText())));
}

void CDlgZANMath::OnSetDbReference()
{
    if (CZANFunction* function = host->CurrentFunction()) {
        function->SetMathDbReference(voltora::platform::CAtoi(NarrowText(dbReferenceEdit->text())));
    }
}

void CDlgZANMath::OnMeasureReference()
{
    if (CZANFunction* function = host->CurrentFunction()) {
        function->SetMathReferenceAuto(measureReference->isChecked() ? 1 : 0);
    }
}

void CDlgZANMath::OnClearReadings()
{
    voltora::views::ClearReadings(*host);
}

void CDlgZANMath::OnSetRelValue()
{
    const double typed = voltora::platform::CAtof(NarrowText(relValueEdit->text()));
    host->ApplyRelValue(voltora::views::RelValueText(typed, relPrefixList->currentIndex()));
}

void CDlgZANMath::OnLimitCheck()
{
    const int state = limitCheck->isChecked() ? 1 : 0;
    if (CZANFunction* function = host->CurrentFunction()) {
        CZANFunction::PauseGuard paused(*function);
        SetLimitState(state);
        voltora::platform::SleepMs(100);
        auto limits = voltora::functions::GetMathSettings();
        limits.limitState = QueryLimitState();
        voltora::functions::SetMathSettings(limits);
    }
    EnableLimitControls(state != 0);
    if (state != 0) {
        LoadMathSettings(voltora::functions::GetMathSettings());
    }
}

void CDlgZANMath::OnSetLimit(bool high)
{
    QLineEdit* edit = high ? upperEdit : lowerEdit;
    QComboBox* prefixes = high ? upperPrefixList : lowerPrefixList;
    const auto value = voltora::views::TypedLimit(NarrowText(edit->text()), NarrowText(prefixes->currentText()));
    if (!value) {
        QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageCaption),
                        QString::fromLatin1(kLimitMessage), QMessageBox::Ok, this);
        box.exec();
        return;
    }
    if (high) {
        host->SetLimitHigh(*value);
    } else {
        host->SetLimitLow(*value);
    }
}
