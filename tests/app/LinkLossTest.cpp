// A meter that goes away: the link state on the display, in the title and
// in the menus; one message per failure; the user-interface thread's
// longest stall measured with its own event loop; Reconnect; the resource
// kept between runs; no reading shown that the meter did not send.
#include "AppWindowFixture.h"
#include "StallMeter.h"
#include "app/CDlgProtocol.h"
#include "app/LastResource.h"
#include "app/MainMenu.h"
#include "panel/skin/SkinControl.h"
#include "support/ScriptedBackend.h"
#include "views/TemplateBuilder.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>

using namespace voltora::app;
using namespace voltora::app::testing;
using namespace voltora::functions;
using voltora::views::ControlName;
using voltora::testing::ScopedScriptedBackend;
using LinkState = CFrontPanel::LinkState;

namespace {

constexpr const char* kResource = "USB0::0x5345::0x1234::LOSS::INSTR";
const QString kCommunicationFailed = QString::fromLatin1(CConectWithNI::kCommunicationFailedMessage);

// A scripted meter that can be pulled off the link (every query then times
// out at once) or made silent (every query waits `silence`, then times
// out, as a meter that stopped answering does; writes are still taken).
class PullableMeter {
public:
    enum class State { Healthy, Gone, Silent };

    explicit PullableMeter(ScopedScriptedBackend& backend) : device(backend->AddDevice(kResource, "ZAN Pullable"))
    {
        device->SetResponder([this](const std::string& message) { return Answer(message); });
    }

    void Set(State next) { state = next; }
    // From the first message starting with `prefix` on, the meter is silent.
    void SilentFrom(std::string prefix)
    {
        std::lock_guard<std::mutex> guard(mutex);
        silentPrefix = std::move(prefix);
    }

    std::shared_ptr<voltora::testing::ScriptedDevice> device;
    std::chrono::milliseconds silence{600};

private:
    std::optional<std::string> Answer(const std::string& message)
    {
        {
            std::lock_guard<std::mutex> guard(mutex);
            if (!silentPrefix.empty() && message.rfind(silentPrefix, 0) == 0) {
                silentPrefix.clear();
                state = State::Silent;
            }
        }
        const bool query = message.find('?') != std::string::npos;
        switch (state.load()) {
        case State::Gone:
            return std::nullopt;
        case State::Silent:
            if (query) {
                std::this_thread::sleep_for(silence);
            }
            return std::nullopt;
        case State::Healthy:
            break;
        }
        if (message == "IDN-ZOBR-PRI?") {
            return std::string("ZAN,ZDM1000,TEST,1.0\n");
        }
        if (message == "FUNCTION?") {
            return std::string("\"VOLT\"\n");
        }
        if (message == "DATA:POINts?") {
            return std::string("1\n");
        }
        if (message == "DATA:LAST?") {
            return std::string("+1.23450000E+00 VDC\n");
        }
        if (query) {
            return std::string("0\n");
        }
        return std::nullopt;
    }

    std::atomic<State> state{State::Healthy};
    std::mutex mutex;
    std::string silentPrefix;
};

class LinkLossTest : public AppWindowFixture {
protected:
    void SetUp() override
    {
        AppWindowFixture::SetUp();
        SaveLastResource("");
    }

    QString Text(const char* name)
    {
        const auto* control = Panel().FindControl(QString::fromLatin1(name));
        return control != nullptr ? control->Text() : QString();
    }
    bool Visible(const char* name)
    {
        const auto* control = Panel().FindControl(QString::fromLatin1(name));
        return control != nullptr && control->IsVisible();
    }
    static QString Marker() { return QString::fromStdWString(ToDisplayText(CFrontPanel::kNoReadingText)); }

    // Connected, and the display shows a reading of this connection.
    bool Live() { return Reading() && Panel().HasLiveReading() && Text("LabelValue") != Marker(); }

    // Presses the key named `control` from the event loop (as a click
    // would arrive) and runs the loop until the change has finished.
    void PressFromLoop(const char* control)
    {
        bool pressed = false;
        QTimer::singleShot(0, [&] {
            Panel().Notify(QString::fromLatin1(control));
            pressed = true;
        });
        ASSERT_TRUE(WaitUntil([&] { return pressed && !Panel().IsBusy(); }, 20000));
    }

    ScopedScriptedBackend backend;
};

// The writes of a connect up to its first reading query.
std::vector<std::string> UpToFirstReading(const std::vector<std::string>& writes)
{
    std::vector<std::string> prefix;
    for (const auto& w : writes) {
        if (w == "DATA:LAST?") {
            break;
        }
        prefix.push_back(w);
    }
    return prefix;
}

TEST_F(LinkLossTest, AKilledMeterIsShownAsLostOnceAndReconnectResumesReading)
{
    PullableMeter pulled(backend);
    ASSERT_TRUE(Window().ConnectTo(kResource));
    ASSERT_TRUE(WaitUntil([&] { return Live(); }));
    const std::vector<std::string> connectWrites = UpToFirstReading(pulled.device->Writes());
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("Voltora - %1").arg(QLatin1String(kResource)));

    QElapsedTimer clock;
    clock.start();
    pulled.Set(PullableMeter::State::Gone);
    ASSERT_TRUE(WaitUntil([&] { return Window().LinkState() == LinkState::LinkLost; }, 2500));
    EXPECT_LT(clock.elapsed(), 2500);

    // Within the time-out: closed, menus swapped back, the display says so.
    ProcessPendingEvents();
    EXPECT_EQ(ShownTexts(), std::vector<QString>{kCommunicationFailed});
    EXPECT_FALSE(CConectWithNI::Instance()->IsConnected());
    EXPECT_EQ(pulled.device->OpenSessions(), 0);
    EXPECT_TRUE(IsEnabled(kConnectCommand));
    EXPECT_FALSE(IsEnabled(kDisconnectCommand));
    EXPECT_TRUE(IsEnabled(kReconnectCommand));
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("Voltora - %1 (link lost)").arg(QLatin1String(kResource)));
    EXPECT_TRUE(Visible("LabelStop"));
    EXPECT_EQ(Text("LabelStop"), "No link");
    EXPECT_EQ(Text("LabelValue"), Marker()) << "no last reading posing as live";

    // Nothing later adds a second message.
    WaitUntil([] { return false; }, 300);
    EXPECT_EQ(ShownTexts().size(), 1u);

    // The pulled is back: one Reconnect resynchronises exactly as Connect did.
    pulled.Set(PullableMeter::State::Healthy);
    pulled.device->ClearWrites();
    Window().OnReconnect();
    ASSERT_TRUE(WaitUntil([&] { return Live(); }));
    EXPECT_EQ(UpToFirstReading(pulled.device->Writes()), connectWrites);
    EXPECT_EQ(Window().LinkState(), LinkState::Connected);
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("Voltora - %1").arg(QLatin1String(kResource)));
    EXPECT_FALSE(Visible("LabelStop"));
    EXPECT_TRUE(IsEnabled(kDisconnectCommand));
    EXPECT_FALSE(IsEnabled(kReconnectCommand));
    EXPECT_EQ(ShownTexts().size(), 1u);
    Window().OnDisconnect();
}

TEST_F(LinkLossTest, ASilentMeterCostsOneTimeOutAndOneMessage)
{
    // Silence from the start of the change, and from the settings read-back
    // (the limit state is LoadSettings' first query).
    const struct {
        const char* name;
        const char* silentFrom;
    } cases[] = {
        {"during the function change", "FUNC \"VOLT:AC\""},
        {"during LoadSettings", "CALCulate:LIMit:STATe?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        shell.messages.clear();
        ScopedScriptedBackend own;
        PullableMeter pulled(own);
        ASSERT_TRUE(Window().ConnectTo(kResource));
        ASSERT_TRUE(WaitUntil([&] { return Live(); }));
        pulled.SilentFrom(c.silentFrom);

        StallMeter stalls;
        PressFromLoop("btnACV");
        ASSERT_TRUE(WaitUntil([&] { return Window().LinkState() == LinkState::LinkLost; }, 5000));
        ProcessPendingEvents();

        // One time-out blocks the thread; the pauses do not.
        EXPECT_LE(stalls.LongestMs(), pulled.silence.count() + 250);
        EXPECT_EQ(ShownTexts(), std::vector<QString>{kCommunicationFailed});
        EXPECT_EQ(CConectWithNI::Instance()->IsConnected(), false);
        EXPECT_EQ(Text("LabelStop"), "No link");
        Window().OnDisconnect();
    }
}

TEST_F(LinkLossTest, AHealthyFunctionChangeKeepsPaintingWithABusyCursor)
{
    PullableMeter pulled(backend);
    ASSERT_TRUE(Window().ConnectTo(kResource));
    ASSERT_TRUE(WaitUntil([&] { return Live(); }));

    StallMeter stalls;
    QElapsedTimer clock;
    clock.start();
    PressFromLoop("btnACV");
    // The prescribed pause is still taken, in full...
    EXPECT_GE(clock.elapsed(), 1000);
    EXPECT_EQ(CountOf(pulled.device->Writes(), "FUNC \"VOLT:AC\""), 1);
    // ...but the window keeps running its loop through it.
    EXPECT_LT(stalls.LongestMs(), 200);
    EXPECT_TRUE(stalls.SawBusyCursor());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Live(); }));
    EXPECT_EQ(Panel().CurrentFunctionName(), "AC Voltage");
    Window().OnDisconnect();
}

TEST_F(LinkLossTest, KeysPressedDuringAFunctionChangeAreHandledAfterItInOrder)
{
    PullableMeter pulled(backend);
    ASSERT_TRUE(Window().ConnectTo(kResource));
    ASSERT_TRUE(WaitUntil([&] { return Live(); }));
    pulled.device->ClearWrites();

    // Two clicks arrive while the change to AC voltage pauses.
    std::size_t queuedDuringChange = 0;
    QTimer::singleShot(300, [&] {
        EXPECT_TRUE(Panel().IsBusy());
        Panel().Notify(QStringLiteral("btnShift"));
        Panel().Notify(QStringLiteral("btn2W"));  // with shift: 4-wire resistance
        queuedDuringChange = Panel().QueuedKeyCount();
        EXPECT_FALSE(Panel().IsShiftEngaged()) << "not handled in the middle of the change";
    });
    PressFromLoop("btnACV");
    EXPECT_EQ(queuedDuringChange, 2u);
    EXPECT_EQ(Panel().QueuedKeyCount(), 0u);
    EXPECT_EQ(Panel().CurrentFunction(), Panel().FunctionOf("FRES"));

    std::vector<std::string> selections;
    for (const auto& w : pulled.device->Writes()) {
        if (w.rfind("FUNC ", 0) == 0) {
            selections.push_back(w);
        }
    }
    EXPECT_EQ(selections, (std::vector<std::string>{"FUNC \"VOLT:AC\"", "FUNC \"FRES\""}));
    Window().OnDisconnect();
}

TEST_F(LinkLossTest, NoStoredReadingIsShownWithoutALiveLink)
{
    // An unconnected start: no function shows a value of its own making.
    for (const char* key : {"btnCont", "btnACV", "btnDCV"}) {
        SCOPED_TRACE(key);
        Panel().Notify(QString::fromLatin1(key));
        EXPECT_EQ(Text("LabelValue"), Marker());
    }

    // AC voltage measured, then left; after a disconnect its stored reading
    // must not come back as if measured.
    PullableMeter pulled(backend);
    ASSERT_TRUE(Window().ConnectTo(kResource));
    ASSERT_TRUE(WaitUntil([&] { return Live(); }));
    PressFromLoop("btnACV");
    ASSERT_TRUE(WaitUntil([&] { return Live(); }));
    const std::string measured = Panel().FunctionOf("VOLT:AC")->GetValueText();
    ASSERT_NE(QString::fromStdWString(ToDisplayText(measured)), Marker());
    PressFromLoop("btnDCV");
    ASSERT_TRUE(WaitUntil([&] { return Live(); }));
    Window().OnDisconnect();
    EXPECT_EQ(Text("LabelValue"), Marker());
    Panel().Notify(QStringLiteral("btnACV"));
    EXPECT_EQ(Panel().FunctionOf("VOLT:AC")->GetValueText(), measured) << "the stored value is still there";
    EXPECT_EQ(Text("LabelValue"), Marker());
    EXPECT_EQ(Window().windowTitle(), "Voltora");
}

TEST_F(LinkLossTest, TheLastResourceIsKeptBetweenRunsAndPrefillsTheDialog)
{
    EXPECT_FALSE(IsEnabled(kReconnectCommand)) << "nothing to reconnect to yet";
    ASSERT_TRUE(ConnectSimulated());
    Window().OnDisconnect();
    EXPECT_EQ(Window().windowTitle(), "Voltora");
    window.reset();

    // The next run remembers it: Reconnect works at once.
    EXPECT_EQ(Window().LastResource(), voltora::sim::SimulatedMeterBackend::kResource);
    EXPECT_TRUE(IsEnabled(kReconnectCommand));
    Window().OnReconnect();
    ASSERT_TRUE(WaitUntil([this] { return Reading(); }));
    Window().OnDisconnect();
    window.reset();

    // A LAN resource chooses VXI11 with its address in the dialog.
    SaveLastResource("TCPIP0::192.0.2.7::inst0::INSTR");
    QString address;
    bool vxi11 = false;
    shell.drivers.push_back([&](QDialog& dialog) {
        vxi11 = dialog.findChild<QRadioButton*>(ControlName(CDlgProtocol::kVxi11Radio))->isChecked();
        address = dialog.findChild<QLineEdit*>(ControlName(CDlgProtocol::kAddressEdit))->text();
        return static_cast<int>(QDialog::Rejected);
    });
    Window().OnConnect();
    EXPECT_TRUE(vxi11);
    EXPECT_EQ(address, "192.0.2.7");
}

TEST(WindowTitle, NamesTheResourceAndALostLink)
{
    const std::string resource = "TCPIP0::192.168.1.20::inst0::INSTR";
    EXPECT_EQ(CZANDlg::TitleFor(LinkState::Disconnected, resource), "Voltora");
    EXPECT_EQ(CZANDlg::TitleFor(LinkState::Connected, resource), "Voltora - TCPIP0::192.168.1.20::inst0::INSTR");
    EXPECT_EQ(CZANDlg::TitleFor(LinkState::LinkLost, resource),
              "Voltora - TCPIP0::192.168.1.20::inst0::INSTR (link lost)");
    EXPECT_EQ(CZANDlg::TitleFor(LinkState::Connected, ""), "Voltora");
}

}  // namespace
