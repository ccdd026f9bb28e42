// Every command text the program's command operations send is accepted
// without an error, and every query among them is answered. The texts are
// not kept by hand: the operations run against a recording meter and what
// they wrote is played to the simulated meter.

#include "MeterTestSupport.h"

#include "link/CConectWithNI.h"
#include "scpi/Commands.h"
#include "support/ScriptedBackend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <optional>
#include <set>
#include <tuple>
#include <utility>
#include <string>
#include <vector>

namespace voltora::sim::test {
namespace {

using namespace voltora::scpi;

// Each command operation once with every argument the program passes to it
// (the range, speed and on/off labels of the menus, the typed values of the
// entry fields, the choices of the views' dialogs).
std::vector<std::function<void()>> ProgramOperations()
{
    using Labels = std::vector<std::string>;
    std::vector<std::function<void()>> operations;
    auto each = [&operations](const Labels& arguments, void (*operation)(const std::string&)) {
        for (const std::string& argument : arguments) {
            operations.push_back([operation, argument] { operation(argument); });
        }
    };
    auto query = [&operations](auto operation) {
        operations.push_back([operation] { operation(); });
    };
    auto ranged = [&](void (*set)(const std::string&), int (*read)(std::string&),
                      std::string (*readAuto)(), const Labels& labels) {
        each(labels, set);
        operations.push_back([read] {
            std::string label;
            read(label);
        });
        query(readAuto);
    };
    const Labels onOff{"On", "Off"};

    // Function selection and acquisition.
    for (const char* keyWord : kFunctionKeyWords) {
        operations.push_back([keyWord] { SetFunction(keyWord); });
    }
    query(QueryFunction);
    query(SetTriggerCountInfinite);
    query(Initiate);
    query(Abort);
    each({"Auto", "0.500", "2000.000"}, SetTriggerDelay);
    query(QueryTriggerDelayAuto);
    query(QueryTriggerDelay);
    each({"NEG", "POS"}, SetTriggerSlope);
    each({"10"}, SetSampleCount);
    query(QuerySampleCount);
    query(QueryLastReading);
    query(QueryMeasurement);
    query(QueryContinuityReading);
    query(QueryDataPoints);
    query(FetchReadings);
    query(Refresh);
    query(SendPanelCode);

    // Ranges.
    ranged(SetVoltDcRange, QueryVoltDcRange, QueryVoltDcRangeAuto,
           {"Auto", "200mV", "2V", "20V", "200V", "1000V"});
    ranged(SetCurrDcRange, QueryCurrDcRange, QueryCurrDcRangeAuto,
           {"Auto", "200uA", "2mA", "20mA", "200mA", "2A", "10A"});
    ranged(SetVoltAcRange, QueryVoltAcRange, QueryVoltAcRangeAuto,
           {"Auto", "200mV", "2V", "20V", "200V", "750V"});
    ranged(SetCurrAcRange, QueryCurrAcRange, QueryCurrAcRangeAuto,
           {"Auto", "20mA", "200mA", "2A", "10A"});
    ranged(SetResRange, QueryResRange, QueryResRangeAuto,
           {"Auto", "200$OHM$", "2k$OHM$", "20k$OHM$", "200k$OHM$", "2M$OHM$", "10M$OHM$",
            "100M$OHM$"});
    ranged(SetFresRange, QueryFresRange, QueryFresRangeAuto,
           {"Auto", "200$OHM$", "2k$OHM$", "20k$OHM$", "200k$OHM$", "2M$OHM$", "10M$OHM$",
            "100M$OHM$"});
    ranged(SetCapRange, QueryCapRange, QueryCapRangeAuto,
           {"Auto", "2nF", "20nF", "200nF", "2uF", "20uF", "200uF", "10000uF"});
    ranged(SetFreqRange, QueryFreqRange, QueryFreqRangeAuto,
           {"Auto", "200mV", "2V", "20V", "200V", "750V"});

    // Speed, filter, impedance, null.
    using Set = void (*)(const std::string&);
    using Read = std::string (*)();
    const Labels speeds{"Slow", "Middle", "Fast"};
    for (auto [set, read] : std::initializer_list<std::pair<Set, Read>>{
             {SetVoltDcSpeed, QueryVoltDcSpeed},
             {SetCurrDcSpeed, QueryCurrDcSpeed},
             {SetVoltAcSpeed, QueryVoltAcSpeed},
             {SetCurrAcSpeed, QueryCurrAcSpeed},
             {SetResSpeed, QueryResSpeed},
             {SetFresSpeed, QueryFresSpeed}}) {
        each(speeds, set);
        query(read);
    }
    each(onOff, SetVoltDcFilter);
    query(QueryVoltDcFilter);
    each(onOff, SetCurrDcFilter);
    query(QueryCurrDcFilter);
    each({"10M", "10G"}, SetVoltDcImpedance);
    query(QueryVoltDcImpedance);
    for (auto [set, setValue, read, readValue] :
         std::initializer_list<std::tuple<Set, Set, Read, Read>>{
             {SetVoltDcNull, SetVoltDcNullValue, QueryVoltDcNull, QueryVoltDcNullValue},
             {SetCurrDcNull, SetCurrDcNullValue, QueryCurrDcNull, QueryCurrDcNullValue},
             {SetVoltAcNull, SetVoltAcNullValue, QueryVoltAcNull, QueryVoltAcNullValue},
             {SetCurrAcNull, SetCurrAcNullValue, QueryCurrAcNull, QueryCurrAcNullValue},
             {SetResNull, SetResNullValue, QueryResNull, QueryResNullValue},
             {SetFresNull, SetFresNullValue, QueryFresNull, QueryFresNullValue},
             {SetCapNull, SetCapNullValue, QueryCapNull, QueryCapNullValue},
             {SetFreqNull, SetFreqNullValue, QueryFreqNull, QueryFreqNullValue}}) {
        each(onOff, set);
        each({"1200.000000000000", "-12.000000000000", "0.000000001000"}, setValue);
        query(read);
        query(readValue);
    }
    each({"0050"}, SetContinuityThreshold);
    query(QueryContinuityThreshold);
    each({"2.000000"}, SetDiodeThreshold);
    query(QueryDiodeThreshold);
    each(onOff, SetBeeper);
    query(QueryBeeper);

    // Math, trend chart and histogram.
    query(ClearStatistics);
    operations.push_back([] {
        std::vector<char> buffer(kStatisticsReplySize, '\0');
        unsigned size = static_cast<unsigned>(buffer.size());
        QueryStatisticsAll(buffer.data(), size);
    });
    query(QueryPeakToPeak);
    query(QueryStatisticsCount);
    operations.push_back([] {
        SetLimitState(1);
        SetLimitLower(-1.5);
        SetLimitUpper(1.5);
        SetScaleState(0);
        SetScaleFunction("DB");
        SetScaleFunction("DBM");
        SetDbReference(3);
        SetDbmReference(600);
        SetScaleReferenceAuto(1);
    });
    query(QueryLimitState);
    query(QueryLimitLower);
    query(QueryLimitUpper);
    query(QueryScaleState);
    query(QueryScaleFunction);
    query(QueryDbReference);
    query(QueryDbmReference);
    query(QueryScaleReferenceAuto);
    each({"ALL", "REC"}, SetTrendChartMode);
    query(QueryTrendChartMode);
    operations.push_back([] {
        unsigned size = 0;
        QueryTrendChartData(size);
        QueryHistogramAll(size);
        ClearHistogram();
        SetHistogramRangeAuto(false);
        SetHistogramRangeAuto(true);
        SetHistogramPoints(400);
        SetHistogramLower(0.123);
        SetHistogramUpper(2.0);
    });
    query(QueryHistogramRangeAuto);

    // Temperature.
    operations.push_back([] {
        SetTemperatureTransducer("MANU DEFINE", "THER", "KITS90");
        SetTemperatureTransducer("MANU DEFINE", "RTD", "PT100");
    });
    each({"Temp", "Meas"}, SetTemperatureDisplay);
    each({"$T_C$", "$T_F$", "K"}, SetTemperatureUnit);
    each(onOff, SetTempNull);
    each({"-270.000000000000"}, SetTempNullValue);
    query(QuerySensorValue);
    query(QueryTemperatureTransducer);
    query(QueryTemperatureDisplay);
    query(QueryTemperatureUnit);
    query(QueryTempNull);
    query(QueryTempNullValue);
    operations.push_back([] {
        std::vector<std::string> names;
        for (const char* list : {"TEMP:MDEF:THER:TRAN:LIST?", "TEMP:UDEF:THER:TRAN:LIST?",
                                 "TEMP:MDEF:RTD:TRAN:LIST?", "TEMP:UDEF:RTD:TRAN:LIST?"}) {
            QueryTransducerList(list, names);
        }
        std::vector<char> buffer(kTransducerPointsReplySize, '\0');
        QueryMdefTherPoints("BITS90", buffer.data(), kTransducerPointsReplySize);
        QueryMdefRtdPoints("PT1000", buffer.data(), kTransducerPointsReplySize);
    });
    return operations;
}

// The texts the operations write, each once, in the order first written.
// The recording meter answers as the simulated meter does, so operations
// that read a reply see a real one.
std::vector<std::string> RecordProgramCommands()
{
    constexpr const char* kResource = "SCRIPTED0::COVERAGE::INSTR";
    voltora::testing::ScopedScriptedBackend backend;
    auto device = backend->AddDevice(kResource, "DM-COVERAGE");
    ManualMeter answering;
    device->SetResponder([&answering](const std::string& message) {
        answering.AdvanceMs(50);
        return answering.Meter().Execute(message);
    });
    std::vector<std::string> commands;
    if (!CConectWithNI::Instance()->Open(kResource)) {
        ADD_FAILURE() << "the recording meter did not open";
        return commands;
    }
    device->ClearWrites();
    const auto operations = ProgramOperations();
    std::size_t silent = 0;
    std::set<std::string> seen;
    for (const auto& operation : operations) {
        const std::size_t before = device->Writes().size();
        operation();
        const std::vector<std::string> writes = device->Writes();
        silent += writes.size() == before ? 1 : 0;
        for (std::size_t i = before; i < writes.size(); ++i) {
            std::string text = writes[i];
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
                text.pop_back();
            }
            if (seen.insert(text).second) {
                commands.push_back(text);
            }
        }
    }
    CConectWithNI::Instance()->Close();
    // Every operation reaches the meter: one that wrote nothing would leave
    // its command untested.
    EXPECT_EQ(silent, 0u);
    return commands;
}

TEST(CommandCoverage, EveryProgramCommandIsAcceptedAndEveryQueryAnswered)
{
    const std::vector<std::string> commands = RecordProgramCommands();
    ASSERT_GT(commands.size(), 200u);
    ManualMeter meter;
    for (const std::string& text : commands) {
        SCOPED_TRACE(text);
        meter.AdvanceMs(50);
        const auto reply = meter.Meter().Execute(text);
        const bool query = text.find('?') != std::string::npos;
        ASSERT_EQ(reply.has_value(), query);
        if (query) {
            EXPECT_EQ(reply->back(), '\n');
        }
        ASSERT_EQ(meter.Query("SYST:ERR?"), "+0,\"No error\"\n");
    }
}

TEST(CommandCoverage, UserTablesAreReachableThroughTheirCommands)
{
    ManualMeter meter;
    ASSERT_TRUE(meter.Meter().AddUserTransducer(false, "USERTC", {{0.0, 0.0}, {0.004, 100.0}}));
    ASSERT_TRUE(meter.Meter().AddUserTransducer(true, "USERRTD", {{100.0, 0.0}, {138.5, 100.0}}));
    for (const char* text : {"TEMP:UDEF:THER:TRAN USERTC", "TEMP:UDEF:RTD:TRAN USERRTD"}) {
        EXPECT_TRUE(meter.Send(text));
    }
    EXPECT_FALSE(meter.Query("TEMP:UDEF:THER:TRAN:POIN? USERTC").empty());
    EXPECT_FALSE(meter.Query("TEMP:UDEF:RTD:TRAN:POIN? USERRTD").empty());
    EXPECT_EQ(meter.Query("SYST:ERR?"), "+0,\"No error\"\n");
}

}  // namespace
}  // namespace voltora::sim::test
