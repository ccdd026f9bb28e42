// The front panel window: construction, window messages and key clicks.
// Acquisition control is in CFrontPanelAcquisition.cpp, the drawing of the
// display and soft keys in CFrontPanelDisplay.cpp.

#include "panel/CFrontPanel.h"

#include "panel/CFrontPanelControls.h"
#include "panel/PanelEvent.h"
#include "panel/PanelKeys.h"

#include "functions/CZANFunction.h"
#include "functions/CZANFunctionTemperature.h"
#include "functions/DisplayText.h"

#include <QCoreApplication>

namespace {

constexpr int kCornerEllipse = 15;

}  // namespace

using voltora::panel::KeyRole;
using voltora::panel::PanelEvent;
using voltora::panel::SkinControl;

CFrontPanel::CFrontPanel(IConnection& connection, QWidget* parent)
    : SkinWindow(parent), connection(connection)
{
    setObjectName(QStringLiteral("ZAN900"));
    LoadSkin();
    SetRoundedCorners(kCornerEllipse);
    controls = std::make_unique<Controls>(*this);
    connect(this, &SkinWindow::Clicked, this, &CFrontPanel::Notify);

    softKeyNames = voltora::panel::BuildSoftKeyNameSets();
    functions.Build(this);
    current = functions.Find("VOLT");
    current->Activate();
    RefreshDisplay();
    RefreshSoftKeys();
}

CFrontPanel::~CFrontPanel()
{
    // The workers post to this object and call the function objects: end
    // them while both still exist.
    functions.StopAll();
}

SkinControl* CFrontPanel::Control(const QString& name) const
{
    return FindControl(name);
}

// ---- Messages ----------------------------------------------------------------------------

void CFrontPanel::PostMessage(int message)
{
    if (voltora::panel::PanelEventType(message) == QEvent::None) {
        return;
    }
    auto* event = new PanelEvent(message);
    event->SetPosted();
    ++pendingMessages;
    QCoreApplication::postEvent(this, event);
}

long CFrontPanel::SendMessage(int message, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (voltora::panel::PanelEventType(message) == QEvent::None) {
        return 0;
    }
    PanelEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(this, &event);
    return event.Result();
}

void CFrontPanel::SendSensorChoice(int definitionIndex, int typeIndex, const std::wstring& sensorName)
{
    SendMessage(WM_PANEL_SENSOR, voltora::panel::MakeWParam(definitionIndex, typeIndex),
                reinterpret_cast<std::intptr_t>(&sensorName));
}

void CFrontPanel::PostRelValue(const std::string& state, const std::string& value)
{
    QCoreApplication::postEvent(this, new voltora::panel::RelValueEvent(state, value));
}

bool CFrontPanel::event(QEvent* event)
{
    if (event->type() == voltora::panel::RelValueEventType()) {
        const auto* rel = static_cast<voltora::panel::RelValueEvent*>(event);
        ShowRelValue(rel->State(), rel->Value());
        return true;
    }
    if (voltora::panel::PanelMessageOf(event->type())) {
        auto* message = static_cast<PanelEvent*>(event);
        if (message->IsPosted()) {
            --pendingMessages;
        }
        message->SetResult(HandleMessage(message->Message(), message->WParam(), message->LParam()));
        return true;
    }
    return SkinWindow::event(event);
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
    if (busy) {
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
        current->PressKey(action.keyIndex);
        RefreshSoftKeys();
        RefreshDisplay();
        break;
    case KeyRole::kArrowKey:
        current->PressKey(action.keyIndex);
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
    current->Activate();
    views.LoadDbSettings(current->GetMathInfo());
    shift = false;
    RefreshSoftKeys();
    RefreshDisplay();
}

void CFrontPanel::ToggleShift(const std::string& marker)
{
    SkinControl* label = Control(QString::fromStdString(marker));
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
    // The dialog is modeless: the user may have left the temperature function
    // before confirming; the choice belongs to that function only.
    auto* temperature = dynamic_cast<CZANFunctionTemperature*>(current);
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
