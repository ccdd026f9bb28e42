// Plausible readings per function: ranges and overload, automatic range,
// continuity and diode, temperature, frequency and period, dB scaling, noise.

#include "MeterTestSupport.h"
#include "ReplyRules.h"

#include <gtest/gtest.h>

#include <cmath>

namespace voltora::sim::test {
namespace {

double Reading(ManualMeter& meter)
{
    return Number(ReadingText(meter.Query("DATA:LAST?")));
}

TEST(Measurement, SignalBeyondAManualRangeOverloads)
{
    ManualMeter meter;
    meter.Meter().SetSignal("VOLT", 1.5);
    meter.Send("VOLT:DC:RANGE 0.200");
    meter.AdvanceMs(1000);
    const std::string reply = meter.Query("DATA:LAST?");
    EXPECT_EQ(reply.substr(0, reply.find(' ')), "+9.9000000E+37");
    EXPECT_EQ(ReadingText(reply), "Overload");
    EXPECT_EQ(ReadingText(meter.Query("CALC:AVER:MAX?")), "Overload");

    meter.Meter().SetSignal("VOLT", -1.5);
    meter.AdvanceMs(1000);
    EXPECT_EQ(meter.Query("DATA:LAST?").substr(0, 14), "-9.9000000E+37");

    meter.Send("VOLT:DC:RANGE 2");
    meter.AdvanceMs(1000);
    EXPECT_NEAR(Reading(meter), -1.5, 1e-3);
}

TEST(Measurement, AutomaticRangeFollowsTheSignal)
{
    struct Step {
        double volts;
        const char* label;
    };
    ManualMeter meter;
    for (const Step& step : {Step{0.05, "200mV"}, Step{1.5, "2V"}, Step{150.0, "200V"}, Step{700.0, "1000V"},
                             Step{-12.0, "20V"}, Step{0.1, "200mV"}}) {
        meter.Meter().SetSignal("VOLT", step.volts);
        meter.AdvanceMs(500);
        EXPECT_EQ(RangeLabel("VOLT:DC", meter.Query("VOLT:DC:RANGE?")), step.label) << step.volts;
        EXPECT_NEAR(Reading(meter), step.volts, std::fabs(step.volts) * 1e-3);
    }
}

TEST(Measurement, AutomaticRangeDoesNotHuntNearABoundary)
{
    ManualMeter meter;
    meter.Meter().SetSignal("VOLT", 0.21);  // above 200 mV but within its over-range
    meter.Send("VOLT:DC:RANGE 0.200");
    meter.Send("VOLT:DC:RANGE:AUTO ON");
    meter.AdvanceMs(2000);
    EXPECT_EQ(RangeLabel("VOLT:DC", meter.Query("VOLT:DC:RANGE?")), "200mV");
    meter.Meter().SetSignal("VOLT", 0.3);
    meter.AdvanceMs(500);
    EXPECT_EQ(RangeLabel("VOLT:DC", meter.Query("VOLT:DC:RANGE?")), "2V");
    meter.Meter().SetSignal("VOLT", 0.19);  // would fit 200 mV, but not with margin
    meter.AdvanceMs(500);
    EXPECT_EQ(RangeLabel("VOLT:DC", meter.Query("VOLT:DC:RANGE?")), "2V");
}

TEST(Measurement, LeavingAutomaticRangeKeepsTheChosenRange)
{
    ManualMeter meter;
    meter.Meter().SetSignal("CURR", 0.15);
    meter.Send("FUNC \"CURR:DC\"");
    meter.AdvanceMs(500);
    meter.Send("CURR:DC:RANGE:AUTO OFF");
    EXPECT_EQ(RangeLabel("CURR:DC", meter.Query("CURR:DC:RANGE?")), "200mA");
}

TEST(Measurement, ContinuityOpenIsAnOverloadAndAShortIsAFewOhms)
{
    ManualMeter meter;
    meter.Send("FUNC \"CONT\"");
    meter.AdvanceMs(100);
    EXPECT_EQ(ReadingText(meter.Query("DATA:LAST?")), "Overload");
    meter.Meter().SetSignal("CONT", 0.8);
    meter.AdvanceMs(100);
    EXPECT_NEAR(Reading(meter), 0.8, 0.05);
}

TEST(Measurement, DiodeReadsItsForwardVoltage)
{
    ManualMeter meter;
    meter.Send("FUNC \"DIOD\"");
    meter.AdvanceMs(500);
    EXPECT_NEAR(Reading(meter), 0.6, 0.05);
    EXPECT_NE(meter.Query("DATA:LAST?").find(" VDC"), std::string::npos);
    meter.Meter().SetSignal("DIOD", std::numeric_limits<double>::infinity());
    meter.AdvanceMs(500);
    EXPECT_EQ(ReadingText(meter.Query("DATA:LAST?")), "Overload");
}

TEST(Measurement, FrequencyAndPeriodAreOfTheSameSignal)
{
    ManualMeter meter;
    meter.Meter().SetSignal("FREQ", 2500.0);
    meter.Send("FUNC \"FREQ\"");
    meter.AdvanceMs(500);
    const double frequency = Reading(meter);
    meter.Send("FUNC \"PER\"");
    meter.AdvanceMs(500);
    const double period = Reading(meter);
    EXPECT_NEAR(frequency, 2500.0, 0.5);
    EXPECT_NEAR(period * frequency, 1.0, 1e-3);
    EXPECT_NE(meter.Query("DATA:LAST?").find(" SEC"), std::string::npos);
}

TEST(Measurement, CounterInputRangeTooSmallOverloadsAndTooLargeCountsNothing)
{
    ManualMeter meter;
    meter.Send("FUNC \"FREQ\"");
    meter.Send("FREQ:VOLT:RANGE 0.200000");  // the input carries 0.5 V
    meter.AdvanceMs(500);
    EXPECT_EQ(ReadingText(meter.Query("DATA:LAST?")), "Overload");
    meter.Send("FREQ:VOLT:RANGE 750");
    meter.AdvanceMs(500);
    EXPECT_EQ(Reading(meter), 0.0);
}

struct TemperatureCase {
    const char* unit;
    double expected;
};

class TemperatureUnits : public testing::TestWithParam<TemperatureCase> {};

TEST_P(TemperatureUnits, ReadingIsInTheChosenUnit)
{
    ManualMeter meter(Noiseless());
    meter.Meter().SetSignal("TEMP", 100.0);
    meter.Send("FUNC \"TEMP\"");
    meter.Send(std::string("UNIT:TEMP ") + GetParam().unit);
    meter.AdvanceMs(500);
    const std::string reply = meter.Query("DATA:LAST?");
    EXPECT_NEAR(Number(ReadingText(reply)), GetParam().expected, 1e-6);
    EXPECT_EQ(Chomp(reply.substr(reply.find(' ') + 1)), GetParam().unit);
}

INSTANTIATE_TEST_SUITE_P(Units, TemperatureUnits,
                         testing::Values(TemperatureCase{"C", 100.0}, TemperatureCase{"F", 212.0},
                                         TemperatureCase{"K", 373.15}));

TEST(Measurement, TemperatureRawValueComesFromTheChosenSensor)
{
    ManualMeter meter(Noiseless());
    meter.Meter().SetSignal("TEMP", 100.0);
    meter.Send("FUNC \"TEMP\"");
    meter.AdvanceMs(500);
    EXPECT_NEAR(Number(SensorValueText(meter.Query("TEMP:CAD?"))), 4.096e-3, 2e-6);  // type K
    meter.Send("TEMP:MDEF:THER:TRAN JITS90");
    meter.AdvanceMs(500);
    EXPECT_NEAR(Number(SensorValueText(meter.Query("TEMP:CAD?"))), 5.269e-3, 2e-6);
    meter.Send("TEMP:MDEF:RTD:TRAN PT100");
    meter.AdvanceMs(500);
    const std::string cad = meter.Query("TEMP:CAD?");
    EXPECT_EQ(cad.substr(0, 4), "RTD|");
    EXPECT_NEAR(Number(SensorValueText(cad)), 138.5055, 1e-3);
    EXPECT_NEAR(Reading(meter), 100.0, 1e-6);
}

TEST(Measurement, SensorTypeAndRawValueAlwaysBelongTogether)
{
    ManualMeter meter(Noiseless());
    meter.Meter().SetSignal("TEMP", 100.0);
    meter.Send("FUNC \"TEMP\"");
    meter.AdvanceMs(500);
    // Right after the change the last value is still the thermocouple's.
    meter.Send("TEMP:MDEF:RTD:TRAN PT100");
    const std::string before = meter.Query("TEMP:CAD?");
    EXPECT_EQ(before.substr(0, 5), "THER|");
    EXPECT_NEAR(Number(SensorValueText(before)), 4.096e-3, 2e-6);
    // Once the RTD has given a reading, its type and its value together.
    meter.AdvanceMs(500);
    const std::string after = meter.Query("TEMP:CAD?");
    EXPECT_EQ(after.substr(0, 4), "RTD|");
    EXPECT_NEAR(Number(SensorValueText(after)), 138.5055, 1e-3);
    // And back to a thermocouple.
    meter.Send("TEMP:MDEF:THER:TRAN KITS90");
    EXPECT_EQ(meter.Query("TEMP:CAD?").substr(0, 4), "RTD|");
    meter.AdvanceMs(500);
    const std::string thermocouple = meter.Query("TEMP:CAD?");
    EXPECT_EQ(thermocouple.substr(0, 5), "THER|");
    EXPECT_NEAR(Number(SensorValueText(thermocouple)), 4.096e-3, 2e-6);
}

TEST(Measurement, TemperatureBeyondTheSensorOverloads)
{
    ManualMeter meter;
    meter.Meter().SetSignal("TEMP", 1500.0);  // above type K's table
    meter.Send("FUNC \"TEMP\"");
    meter.AdvanceMs(500);
    EXPECT_EQ(ReadingText(meter.Query("DATA:LAST?")), "Overload");
    EXPECT_TRUE(IsOverload(SensorValueText(meter.Query("TEMP:CAD?"))));
}

TEST(Measurement, TemperatureNullSubtractsInTheDisplayUnit)
{
    ManualMeter meter(Noiseless());
    meter.Meter().SetSignal("TEMP", 30.0);
    meter.Send("FUNC \"TEMP\"");
    meter.Send("TEMP:NULL:VALUE 20");
    meter.Send("TEMP:NULL ON");
    meter.AdvanceMs(500);
    EXPECT_NEAR(Reading(meter), 10.0, 1e-9);
    meter.Send("UNIT:TEMP F");
    meter.AdvanceMs(500);
    EXPECT_NEAR(Reading(meter), 18.0, 1e-9);
}

TEST(Measurement, DecibelScalingOfTheVoltageFunctions)
{
    ManualMeter meter(Noiseless());
    meter.Meter().SetSignal("VOLT:AC", 0.7746);  // 1 mW in 600 ohms
    meter.Send("FUNC \"VOLT:AC\"");
    meter.Send("CALCulate:SCALe:FUNCtion DBM");
    meter.Send("CALCulate:SCALe:STATe 1");
    meter.AdvanceMs(500);
    const std::string reply = meter.Query("DATA:LAST?");
    EXPECT_NEAR(Number(ReadingText(reply)), 0.0, 1e-3);
    EXPECT_NE(reply.find(" DBM"), std::string::npos);

    meter.Send("CALCulate:SCALe:FUNCtion DB");
    meter.Send("CALCulate:SCALe:DB:REFerence -10");
    meter.AdvanceMs(500);
    EXPECT_NEAR(Reading(meter), 10.0, 1e-3);

    meter.Send("CALCulate:SCALe:REFerence:AUTO 1");  // the present input becomes 0 dB
    meter.AdvanceMs(500);
    EXPECT_NEAR(Reading(meter), 0.0, 1e-6);
}

TEST(Measurement, NoiseFallsWithIntegrationTimeAndScalesWithTheOption)
{
    auto deviation = [](double noiseScale, const char* nplc) {
        SimulatedMeterOptions options;
        options.noiseScale = noiseScale;
        ManualMeter meter(options);
        meter.Meter().SetSignal("VOLT", 1.0);
        meter.Send(std::string("VOLT:DC:NPLC ") + nplc);
        meter.Send("INIT");
        meter.AdvanceMs(20000);
        return Number(SplitFields(Chomp(meter.Query("CALC:AVER:ALL?")))[1]);
    };
    const double slow = deviation(1.0, "10");
    const double fast = deviation(1.0, "0.3");
    EXPECT_GT(slow, 0.0);
    EXPECT_GT(fast, 3.0 * slow);
    EXPECT_NEAR(deviation(10.0, "10") / slow, 10.0, 2.0);
    EXPECT_EQ(deviation(0.0, "10"), 0.0);
}

}  // namespace
}  // namespace voltora::sim::test
