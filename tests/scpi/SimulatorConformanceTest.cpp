#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>

#include "link/CConectWithNI.h"
#include "link/ConnectionMessages.h"
#include "platform/CNumbers.h"
#include "platform/Clock.h"
#include "scpi/Commands.h"
#include "sim/backend/SimulatedMeterBackend.h"

#include "support/WaitUntil.h"

// Every query of the command set run against the simulated meter through the
// process's connection: what the set operations send must read back as the
// same label or number, and every list reply must parse.
namespace voltora::scpi::test {
namespace {

using platform::CAtof;
using platform::CAtoi;
using Strings = std::vector<std::string>;

constexpr const char* kSimulatorResource = sim::SimulatedMeterBackend::kResource;

std::vector<std::string> SplitFields(const std::string& text)
{
    std::vector<std::string> fields;
    boost::split(fields, text, boost::is_any_of(","));
    return fields;
}

// Polls `condition` until it holds or ten seconds pass.
bool WaitFor(const std::function<bool()>& condition)
{
    return voltora::testing::WaitUntil(condition, std::chrono::seconds(10),
                                       std::chrono::milliseconds(5));
}

class SimulatorConformanceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        link::SetMessageSink([](const std::string& text, const std::string&) {
            ADD_FAILURE() << "connection reported: " << text;
        });
        sim::SimulatedMeterBackend::Instance()->ResetMeter();
        ASSERT_TRUE(CConectWithNI::Instance()->Open(kSimulatorResource));
    }

    static void TearDownTestSuite()
    {
        CConectWithNI::Instance()->Close();
        link::SetMessageSink({});
    }

    void SetUp() override { ASSERT_TRUE(CConectWithNI::Instance()->IsConnected()); }

    // Selects a function and starts continuous acquisition, as the front panel
    // does after connecting.
    static void StartAcquisition(const std::string& keyWord)
    {
        SetFunction(keyWord);
        SetTriggerCountInfinite();
        Initiate();
        ASSERT_TRUE(WaitFor([] { return QueryDataPoints() > 0; }))
            << "no readings for " << keyWord;
    }
};

TEST_F(SimulatorConformanceTest, EveryFunctionKeyWordReadsBack)
{
    for (const char* keyWord : kFunctionKeyWords) {
        SCOPED_TRACE(keyWord);
        SetFunction(keyWord);
        EXPECT_EQ(QueryFunction(), keyWord);
    }
}

struct RangeFamily {
    const char* keyWord;
    void (*set)(const std::string&);
    int (*query)(std::string&);
    std::string (*queryAuto)();
    Strings labels;
};

TEST_F(SimulatorConformanceTest, EveryRangeLabelReadsBack)
{
    const std::vector<RangeFamily> families = {
        {"VOLT", SetVoltDcRange, QueryVoltDcRange, QueryVoltDcRangeAuto,
         {"200mV", "2V", "20V", "200V", "1000V"}},
        {"CURR", SetCurrDcRange, QueryCurrDcRange, QueryCurrDcRangeAuto,
         {"200uA", "2mA", "20mA", "200mA", "2A", "10A"}},
        {"VOLT:AC", SetVoltAcRange, QueryVoltAcRange, QueryVoltAcRangeAuto,
         {"200mV", "2V", "20V", "200V", "750V"}},
        {"CURR:AC", SetCurrAcRange, QueryCurrAcRange, QueryCurrAcRangeAuto,
         {"20mA", "200mA", "2A", "10A"}},
        {"RES", SetResRange, QueryResRange, QueryResRangeAuto,
         {"200$OHM$", "2k$OHM$", "20k$OHM$", "200k$OHM$", "2M$OHM$", "10M$OHM$", "100M$OHM$"}},
        {"FRES", SetFresRange, QueryFresRange, QueryFresRangeAuto,
         {"200$OHM$", "2k$OHM$", "20k$OHM$", "200k$OHM$", "2M$OHM$", "10M$OHM$", "100M$OHM$"}},
        {"CAP", SetCapRange, QueryCapRange, QueryCapRangeAuto,
         {"2nF", "20nF", "200nF", "2uF", "20uF", "200uF", "10000uF"}},
        {"FREQ", SetFreqRange, QueryFreqRange, QueryFreqRangeAuto,
         {"200mV", "2V", "20V", "200V", "750V"}},
    };
    for (const auto& family : families) {
        SCOPED_TRACE(family.keyWord);
        SetFunction(family.keyWord);
        for (const auto& label : family.labels) {
            SCOPED_TRACE(label);
            family.set(label);
            std::string readBack;
            const int digits = family.query(readBack);
            EXPECT_EQ(readBack, label);
            EXPECT_EQ(digits, static_cast<int>(label.find_first_not_of("0123456789")));
            EXPECT_EQ(family.queryAuto(), "Manual");
        }
        family.set("Auto");
        EXPECT_EQ(family.queryAuto(), "Auto");
    }
}

struct LabelSetting {
    const char* name;
    void (*set)(const std::string&);
    std::string (*query)();
    Strings labels;
};

TEST_F(SimulatorConformanceTest, EverySettingLabelReadsBack)
{
    const Strings speeds = {"Slow", "Middle", "Fast"};
    const Strings onOff = {"On", "Off"};
    const std::vector<LabelSetting> settings = {
        {"VOLT:DC speed", SetVoltDcSpeed, QueryVoltDcSpeed, speeds},
        {"CURR:DC speed", SetCurrDcSpeed, QueryCurrDcSpeed, speeds},
        {"VOLT:AC speed", SetVoltAcSpeed, QueryVoltAcSpeed, speeds},
        {"CURR:AC speed", SetCurrAcSpeed, QueryCurrAcSpeed, speeds},
        {"RES speed", SetResSpeed, QueryResSpeed, speeds},
        {"FRES speed", SetFresSpeed, QueryFresSpeed, speeds},
        {"VOLT:DC filter", SetVoltDcFilter, QueryVoltDcFilter, onOff},
        {"CURR:DC filter", SetCurrDcFilter, QueryCurrDcFilter, onOff},
        {"impedance", SetVoltDcImpedance, QueryVoltDcImpedance, {"10M", "10G"}},
        {"VOLT:DC null", SetVoltDcNull, QueryVoltDcNull, onOff},
        {"CURR:DC null", SetCurrDcNull, QueryCurrDcNull, onOff},
        {"VOLT:AC null", SetVoltAcNull, QueryVoltAcNull, onOff},
        {"CURR:AC null", SetCurrAcNull, QueryCurrAcNull, onOff},
        {"RES null", SetResNull, QueryResNull, onOff},
        {"FRES null", SetFresNull, QueryFresNull, onOff},
        {"CAP null", SetCapNull, QueryCapNull, onOff},
        {"FREQ null", SetFreqNull, QueryFreqNull, onOff},
        {"beeper", SetBeeper, QueryBeeper, onOff},
        {"temperature unit", SetTemperatureUnit, QueryTemperatureUnit, {"$T_C$", "$T_F$", "K"}},
        {"temperature null", SetTempNull, QueryTempNull, onOff},
    };
    for (const auto& setting : settings) {
        SCOPED_TRACE(setting.name);
        for (const auto& label : setting.labels) {
            SCOPED_TRACE(label);
            setting.set(label);
            EXPECT_EQ(setting.query(), label);
        }
    }
}

struct NullValue {
    const char* name;
    void (*set)(const std::string&);
    std::string (*query)();
};

TEST_F(SimulatorConformanceTest, EveryNullValueReadsBack)
{
    const std::vector<NullValue> values = {
        {"VOLT:DC", SetVoltDcNullValue, QueryVoltDcNullValue},
        {"CURR:DC", SetCurrDcNullValue, QueryCurrDcNullValue},
        {"VOLT:AC", SetVoltAcNullValue, QueryVoltAcNullValue},
        {"CURR:AC", SetCurrAcNullValue, QueryCurrAcNullValue},
        {"RES", SetResNullValue, QueryResNullValue},
        {"FRES", SetFresNullValue, QueryFresNullValue},
        {"CAP", SetCapNullValue, QueryCapNullValue},
        {"FREQ", SetFreqNullValue, QueryFreqNullValue},
        {"TEMP", SetTempNullValue, QueryTempNullValue},
    };
    for (const auto& value : values) {
        SCOPED_TRACE(value.name);
        value.set("0.001250000000");
        const std::string reply = value.query();
        ASSERT_FALSE(reply.empty());
        EXPECT_EQ(reply.back(), '\n');
        EXPECT_DOUBLE_EQ(CAtof(reply), 0.00125);
    }
}

TEST_F(SimulatorConformanceTest, ThresholdsReadBackAsSignedFourDigitLabels)
{
    SetContinuityThreshold("50");
    EXPECT_EQ(QueryContinuityThreshold(), "+0050");
    SetContinuityThreshold("1000");
    EXPECT_EQ(QueryContinuityThreshold(), "+1000");
    SetDiodeThreshold("2");
    EXPECT_EQ(QueryDiodeThreshold(), "+2000");
    SetDiodeThreshold("0.5");
    EXPECT_EQ(QueryDiodeThreshold(), "+0500");
}

TEST_F(SimulatorConformanceTest, TriggerSettingsReadBack)
{
    SetTriggerDelay("0.500");
    EXPECT_FALSE(QueryTriggerDelayAuto());
    EXPECT_DOUBLE_EQ(CAtof(QueryTriggerDelay()), 0.5);
    SetTriggerDelay("Auto");
    EXPECT_TRUE(QueryTriggerDelayAuto());
    SetSampleCount("25");
    EXPECT_EQ(CAtoi(QuerySampleCount()), 25);
    SetSampleCount("1");
    SetTriggerSlope("NEG");
    SetTriggerSlope("POS");
}

TEST_F(SimulatorConformanceTest, ReadingsAndStatisticsParse)
{
    StartAcquisition("VOLT");
    const std::string reading = QueryLastReading();
    ASSERT_FALSE(reading.empty());
    EXPECT_EQ(reading.find(' '), std::string::npos);
    EXPECT_EQ(QueryMeasurement().empty(), false);

    ASSERT_TRUE(WaitFor([] { return QueryStatisticsCount() > 0; }));
    char statistics[kStatisticsReplySize];
    unsigned size = sizeof statistics;
    QueryStatisticsAll(statistics, size);
    ASSERT_GT(size, 0u);
    const std::string reply(statistics, size);
    EXPECT_EQ(reply.back(), '\n');
    EXPECT_EQ(SplitFields(reply).size(), 4u);
    EXPECT_FALSE(QueryPeakToPeak().empty());

    ClearStatistics();
    EXPECT_TRUE(WaitFor([] { return QueryStatisticsCount() > 0; }));
}

TEST_F(SimulatorConformanceTest, ContinuityReadingIsOpenOrANumber)
{
    StartAcquisition("CONT");
    const std::string reading = QueryContinuityReading();
    ASSERT_FALSE(reading.empty());
    if (reading != "open") {
        EXPECT_EQ(reading.find(' '), std::string::npos);
        EXPECT_FALSE(IsOverload(reading));
    }
    StartAcquisition("VOLT");
}

TEST_F(SimulatorConformanceTest, FetchedReadingsAreAList)
{
    StartAcquisition("VOLT");
    Abort();
    const std::string readings = FetchReadings();
    Initiate();
    ASSERT_FALSE(readings.empty());
    EXPECT_EQ(readings.back(), '\n');
    for (const auto& field : SplitFields(readings.substr(0, readings.size() - 1))) {
        EXPECT_FALSE(field.empty());
    }
}

TEST_F(SimulatorConformanceTest, LimitAndScaleSettingsReadBack)
{
    SetFunction("VOLT");
    EXPECT_TRUE(SetLimitLower(-1.5));
    EXPECT_TRUE(SetLimitUpper(2.25));
    EXPECT_TRUE(SetLimitState(1));
    EXPECT_DOUBLE_EQ(QueryLimitLower(), -1.5);
    EXPECT_DOUBLE_EQ(QueryLimitUpper(), 2.25);
    EXPECT_EQ(QueryLimitState(), 1);
    EXPECT_TRUE(SetLimitState(0));
    EXPECT_EQ(QueryLimitState(), 0);

    EXPECT_TRUE(SetScaleFunction("DB"));
    EXPECT_EQ(QueryScaleFunction(), "dB");
    EXPECT_TRUE(SetScaleFunction("DBM"));
    EXPECT_EQ(QueryScaleFunction(), "dBm");
    EXPECT_TRUE(SetDbReference(3));
    EXPECT_EQ(QueryDbReference(), 3);
    EXPECT_TRUE(SetDbmReference(600));
    EXPECT_EQ(QueryDbmReference(), 600);
    EXPECT_TRUE(SetScaleReferenceAuto(0));
    EXPECT_EQ(QueryScaleReferenceAuto(), 0);
    EXPECT_TRUE(SetScaleReferenceAuto(1));
    EXPECT_EQ(QueryScaleReferenceAuto(), 1);
    EXPECT_TRUE(SetScaleState(1));
    EXPECT_EQ(QueryScaleState(), 1);
    EXPECT_TRUE(SetScaleState(0));
    EXPECT_EQ(QueryScaleState(), 0);
}

TEST_F(SimulatorConformanceTest, TrendModeAndDataReadBack)
{
    SetTrendChartMode("ALL");
    EXPECT_EQ(QueryTrendChartMode(), "ALL");
    SetTrendChartMode("REC");
    EXPECT_EQ(QueryTrendChartMode(), "REC");

    StartAcquisition("VOLT");
    ASSERT_TRUE(WaitFor([] { return QueryStatisticsCount() > 0; }));
    unsigned size = kTrendBufferCapacity;
    QueryTrendChartData(size);
    ASSERT_GT(size, 0u);
    const std::string text(TrendBuffer(), size);
    EXPECT_EQ(text.back(), '\n');
    for (const auto& field : SplitFields(text.substr(0, text.size() - 1))) {
        EXPECT_FALSE(field.empty());
    }
}

TEST_F(SimulatorConformanceTest, HistogramSettingsShapeTheHistogramReply)
{
    StartAcquisition("VOLT");
    ClearHistogram();
    SetHistogramRangeAuto(false);
    EXPECT_TRUE(SetHistogramLower(-1.0));
    EXPECT_TRUE(SetHistogramUpper(1.0));
    EXPECT_TRUE(SetHistogramPoints(10));
    EXPECT_EQ(QueryHistogramRangeAuto(), 0);

    unsigned size = kHistogramBufferCapacity;
    QueryHistogramAll(size);
    ASSERT_GT(size, 0u);
    std::string text(HistogramBuffer(), size);
    ASSERT_EQ(text.back(), '\n');
    text.pop_back();
    // Lower, upper, readings, below, the bins, above.
    const auto fields = SplitFields(text);
    ASSERT_EQ(fields.size(), 15u);
    EXPECT_DOUBLE_EQ(CAtof(fields[0]), -1.0);
    EXPECT_DOUBLE_EQ(CAtof(fields[1]), 1.0);

    SetHistogramRangeAuto(true);
    EXPECT_EQ(QueryHistogramRangeAuto(), 1);
}

TEST_F(SimulatorConformanceTest, TransducerListsAndTablesParse)
{
    SetFunction("TEMP");
    struct List {
        const char* query;
        const char* definition;
        const char* type;
        bool (*points)(const std::string&, char*, unsigned);
    };
    const std::vector<List> lists = {
        {"TEMP:MDEF:THER:TRAN:LIST?", "MANU DEFINE", "THER", QueryMdefTherPoints},
        {"TEMP:UDEF:THER:TRAN:LIST?", "USER DEFINE", "THER", QueryUdefTherPoints},
        {"TEMP:MDEF:RTD:TRAN:LIST?", "MANU DEFINE", "RTD", QueryMdefRtdPoints},
        {"TEMP:UDEF:RTD:TRAN:LIST?", "USER DEFINE", "RTD", QueryUdefRtdPoints},
    };
    int namesSeen = 0;
    for (const auto& list : lists) {
        SCOPED_TRACE(list.query);
        Strings names;
        ASSERT_TRUE(QueryTransducerList(list.query, names));
        for (const auto& name : names) {
            EXPECT_FALSE(name.empty());
            EXPECT_EQ(name.find(','), std::string::npos);
        }
        if (names.empty()) {
            continue;
        }
        ++namesSeen;
        std::vector<char> table(kTransducerPointsReplySize, '\0');
        EXPECT_TRUE(list.points(names.front(), table.data(), kTransducerPointsReplySize));
        EXPECT_NE(table[0], '\0');

        SetTemperatureTransducer(list.definition, list.type, names.front());
        EXPECT_NE(QueryTemperatureTransducer().find(names.front()), std::string::npos);
    }
    // The built-in definitions are never empty.
    EXPECT_GE(namesSeen, 2);
}

TEST_F(SimulatorConformanceTest, TemperatureDisplayAndSensorValue)
{
    SetFunction("TEMP");
    // The meter answers with the display mode label the function shows.
    SetTemperatureDisplay("Temp Val");
    EXPECT_EQ(QueryTemperatureDisplay(), "Temp Val");
    SetTemperatureDisplay("Meas Val");
    EXPECT_EQ(QueryTemperatureDisplay(), "Meas Val");

    StartAcquisition("TEMP");
    const std::string value = QuerySensorValue();
    ASSERT_FALSE(value.empty());
    if (value != "Overload") {
        // Written with twelve decimals.
        const auto point = value.find('.');
        ASSERT_NE(point, std::string::npos);
        EXPECT_EQ(value.size() - point - 1, 12u);
    }
    StartAcquisition("VOLT");
}

TEST_F(SimulatorConformanceTest, PanelCommandsAreAccepted)
{
    StartAcquisition("VOLT");
    Refresh();
    SendPanelCode();
    Initiate();
    // The meter still answers after them.
    EXPECT_EQ(QueryFunction(), "VOLT");
    EXPECT_TRUE(WaitFor([] { return !QueryLastReading().empty(); }));
}

}  // namespace
}  // namespace voltora::scpi::test
