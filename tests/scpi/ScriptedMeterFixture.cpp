#include "ScriptedMeterFixture.h"

#include <mutex>
#include <optional>

#include "link/CConectWithNI.h"
#include "link/ConnectionMessages.h"

namespace voltora::scpi::test {
namespace {

std::unique_ptr<voltora::testing::ScopedScriptedBackend> backend;
std::shared_ptr<voltora::testing::ScriptedDevice> device;

std::mutex messagesMutex;
std::vector<std::string> messages;

}  // namespace

void ScriptedMeterTest::SetUpTestSuite()
{
    backend = std::make_unique<voltora::testing::ScopedScriptedBackend>();
    device = (*backend)->AddDevice(kResource, "DM-TEST");
    link::SetMessageSink([](const std::string& text, const std::string&) {
        std::lock_guard<std::mutex> guard(messagesMutex);
        messages.push_back(text);
    });
    device->QueueReply("ZAN DM-TEST,0001,1.00\n");
    ASSERT_TRUE(CConectWithNI::Instance()->Open(kResource));
}

void ScriptedMeterTest::TearDownTestSuite()
{
    CConectWithNI::Instance()->Close();
    link::SetMessageSink({});
    device.reset();
    backend.reset();
}

void ScriptedMeterTest::SetUp()
{
    ASSERT_TRUE(CConectWithNI::Instance()->IsConnected());
    AnswerNothing();
    device->ClearWrites();
    std::lock_guard<std::mutex> guard(messagesMutex);
    messages.clear();
}

void ScriptedMeterTest::AnswerQueries(std::string reply)
{
    device->SetResponder([reply](const std::string& message) -> std::optional<std::string> {
        if (message.find('?') == std::string::npos) {
            return std::nullopt;
        }
        return reply;
    });
}

void ScriptedMeterTest::AnswerNothing()
{
    device->SetResponder([](const std::string&) -> std::optional<std::string> {
        return std::nullopt;
    });
}

std::vector<std::string> ScriptedMeterTest::Writes()
{
    return device->Writes();
}

std::vector<std::string> ScriptedMeterTest::Messages()
{
    std::lock_guard<std::mutex> guard(messagesMutex);
    return messages;
}

std::shared_ptr<voltora::testing::ScriptedDevice> ScriptedMeterTest::Device()
{
    return device;
}

}  // namespace voltora::scpi::test
