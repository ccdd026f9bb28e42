// The front panel window: construction, window messages, key clicks and
// new readings. The session's operations and what the views ask are in
// CFrontPanelAcquisition.cpp.

#include "panel/CFrontPanel.h"

#include "panel/PanelEvent.h"
#include "panel/PanelKeys.h"

#include "functions/CZANFunction.h"
#include "functions/CZANFunctionTemperature.h"
#include "functions/DisplayText.h"
#include "functions/ViewFlags.h"

#include <QGuiApplication>
#include <QMetaObject>

using namespace voltora::functions;

namespace {

constexpr int kCornerEllipse = 15;

}  // namespace

using voltora::panel::KeyRole;
using voltora::panel::SkinControl;

CFrontPanel::CFrontPanel(IConnection& link, QWidget* parent)
    : SkinWindow(parent),
      connection(link),
      pump([this](int message, std::uintptr_t wParam,
                  std::intptr_t lParam) { return HandleMessage(message, wParam, lParam); },
           [this](const std::string& state, const std::string& value) { ShowRelValue(state, value); })
{
    setObjectName(QStringLiteral("ZAN900"));
    LoadSkin();
    SetRoundedCorners(kCornerEllipse);
    display = std::make_unique<voltora::panel::PanelDisplay>(*this);
    connect(this, &SkinWindow::Clicked, this, &CFrontPanel::Notify);

    functions.Build(this);
    voltora::panel::PanelSession::Listener& listener = *this;
    session = std::make_unique<voltora::panel::PanelSession>(connection, functions, listener);
    Current().Activate();
    RefreshDisplay();
    RefreshSoftKeys();
}

CFrontPanel::~CFrontPanel()
{
    // The workers post to this object and call the function objects: end
    // them while both still exist.
    functions.StopAll();
}

// ---- Messages ----------------------------------------------------------------------------

void CFrontPanel::PostMessage(int message)
{
    pump.Post(message);
}

long CFrontPanel::SendMessage(int message, std::uintptr_t wParam, std::intptr_t lParam)
{
    return pump.Send(message, wParam, lParam);
}

void CFrontPanel::SendSensorChoice(int definitionIndex, int typeIndex, const std::wstring& sensorName)
{
    SendMessage(WM_PANEL_SENSOR, voltora::panel::MakeWParam(definitionIndex, typeIndex),
                reinterpret_cast<std::intptr_t>(&sensorName));
}

void CFrontPanel::PostRelValue(const std::string& state, const std::string& value)
{
    pump.PostRelValue(state, value);
}

long CFrontPanel::HandleMessage(int message, std::uintptr_t wParam, std::intptr_t lParam)
{
    switch (message) {
    case WM_PANEL_READING:
        OnNewReading();
        break;
    case WM_PANEL_SYNC:
        Resynchronise();
        break;
    case WM_PANEL_STOP:
        Stop();
        break;
    case WM_PANEL_SENSOR:
        ChooseSensor(wParam, lParam);
        break;
    case WM_PANEL_SOFTKEYS:
        RefreshSoftKeys();
        break;
    case WM_PANEL_DISPLAY:
        RefreshDisplay();
        break;
    case WM_PANEL_WORKER_ENDED:
        OnWorkerEnded();
        break;
    default:
        break;
    }
    return 0;
}

// ---- Keys --------------------------------------------------------------------------------

void CFrontPanel::Notify(const QString& controlName)
{
    if (IsBusy()) {
        queuedKeys.push_back(controlName);
        return;
    }
    HandleKey(controlName);
    // Keys clicked while a function change ran, in the order clicked.
    HandleQueuedKeys();
}

void CFrontPanel::HandleKey(const QString& controlName)
{
    const voltora::panel::KeyAction action = voltora::panel::ResolveKey(controlName.toStdString(), shift);
    switch (action.role) {
    case KeyRole::kFunctionKey:
        PressFunctionKey(&action.keyWord);
        break;
    case KeyRole::kReactivate:
        PressFunctionKey(nullptr);
        break;
    case KeyRole::kShiftToggle:
        ToggleShift(action.marker);
        break;
    case KeyRole::kRunStop:
        RunStop();
        break;
    case KeyRole::kSoftKey:
        Current().PressKey(action.keyIndex);
        RefreshSoftKeys();
        RefreshDisplay();
        break;
    case KeyRole::kArrowKey:
        Current().PressKey(action.keyIndex);
        RefreshEntryPopup();
        break;
    case KeyRole::kNone:
        break;
    }
}

void CFrontPanel::PressFunctionKey(const std::string* keyWord)
{
    if (keyWord != nullptr) {
        SwitchFunction(*keyWord);
    }
    Current().Activate();
    views.LoadDbSettings(Current().GetMathInfo());
    shift = false;
    RefreshSoftKeys();
    RefreshDisplay();
}

void CFrontPanel::ToggleShift(const std::string& marker)
{
    SkinControl* label = FindControl(QString::fromStdString(marker));
    if (label == nullptr) {
        return;
    }
    shift = !label->IsVisible();
    label->SetVisible(shift);
}

void CFrontPanel::OnMenu(int /*item*/)
{
    // Menu changes arrive as WM_PANEL_SOFTKEYS and WM_PANEL_DISPLAY.
}

// ---- Sensor choice -------------------------------------------------------------------------

void CFrontPanel::ChooseSensor(std::uintptr_t wParam, std::intptr_t lParam)
{
    const auto* name = reinterpret_cast<const std::wstring*>(lParam);
    CZANFunction* const current = session->Current();
    // The dialog is modeless: the user may have left the temperature function
    // before confirming; the choice belongs to that function only.
    auto* temperature = current->TemperatureDisplay();
    if (name == nullptr || temperature == nullptr) {
        return;
    }
    temperature->LoadSensor(voltora::panel::LowWord(wParam) != 0, voltora::panel::HighWord(wParam) != 0,
                            ToNarrowText(*name));
    RefreshSoftKeys();
}

// ---- Function objects' requests ------------------------------------------------------------

void CFrontPanel::ShowRelValue(const std::string& state, const std::string& value)
{
    views.ShowRelValue(state, value);
}

void CFrontPanel::SetViewsUnit(const std::string& unit)
{
    views.SetUnit(unit);
}

void CFrontPanel::OpenSensorDialog()
{
    if (sensorDialogOpener) {
        sensorDialogOpener();
    }
}

void CFrontPanel::SetViews(CDlgZANMath* math, CDlgBarMeter* barMeter, CDlgTrendChart* trendChart,
                           CDlgHistogram* histogram)
{
    views.SetMathView(math);
    views.SetBarMeterView(barMeter);
    views.SetTrendChartView(trendChart);
    views.SetHistogramView(histogram);
}

// ---- New readings --------------------------------------------------------------------------

void CFrontPanel::OnNewReading()
{
    CZANFunction& current = Current();
    // The function may announce its next reading from now on; the texts
    // read below are at least as new as the one this message announced.
    current.AcknowledgeReading();
    const bool live = HasLiveReading();
    if (live && trendViewShown) {
        views.UpdateTrend();
    }
    if (live && histogramViewShown) {
        views.UpdateHistogram();
    }
    voltora::panel::ReadingTexts texts = voltora::panel::ComputeReadingTexts(current);
    if (live) {
        views.UpdateBar(current.GetReadingText());
    }
    display->ShowReading(texts, live);
    valueText = texts.value;
    unitText = texts.unit;
    if (live && mathViewShown) {
        views.UpdateStatistics(current.GetStatistics());
    }
}
