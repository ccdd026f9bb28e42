// Settings read back as they were set, in every spelling a client may use.

#include "MeterTestSupport.h"
#include "ReplyRules.h"

#include <gtest/gtest.h>

namespace voltora::sim::test {
namespace {

struct Readback {
    std::vector<std::string> commands;
    std::string query;
    std::string expected;  // exact reply without "\n"
};

class SettingReadback : public testing::TestWithParam<Readback> {};

TEST_P(SettingReadback, QueryAnswersWhatWasSet)
{
    const Readback& c = GetParam();
    ManualMeter meter;
    for (const std::string& command : c.commands) {
        ASSERT_TRUE(meter.Send(command)) << command;
    }
    EXPECT_EQ(meter.Query(c.query), c.expected + "\n");
    EXPECT_EQ(meter.Query("SYST:ERR?"), "+0,\"No error\"\n");
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingReadback,
    testing::Values(
        Readback{{"VOLT:DC:FILTER ON"}, "VOLT:DC:FILTER?", "1"},
        Readback{{"VOLT:DC:FILTER ON", "VOLT:DC:FILTER OFF"}, "VOLT:DC:FILTER?", "0"},
        Readback{{"CURR:DC:FILTER ON"}, "CURR:DC:FILTER?", "1"},
        Readback{{"VOLT:DC:IMP 10G"}, "VOLT:DC:IMP?", "10G"},
        Readback{{"VOLT:DC:IMP 10M"}, "VOLT:DC:IMP?", "10M"},
        Readback{{"RES:NULL:VALUE 12.5"}, "RES:NULL:VALUE?", "+1.250000000E+01"},
        Readback{{"CAP:NULL:VALUE -1.5e-9"}, "CAP:NULL:VALUE?", "-1.500000000E-09"},
        Readback{{"FREQ:NULL OFF", "FREQ:NULL:VALUE:AUTO ON"}, "FREQ:NULL?", "0"},
        Readback{{"SYST:BEEP:STAT OFF"}, "SYST:BEEP:STATE?", "0"},
        Readback{{"SYST:BEEP:STAT ON"}, "SYST:BEEP:STATE?", "1"},
        Readback{{"SAMP:COUN 10"}, "SAMP:COUN?", "10"},
        Readback{{"TRIG:COUN 3"}, "TRIG:COUN?", "3"},
        Readback{{"TRIG:COUN INF"}, "TRIG:COUN?", "+9.9000000E+37"},
        Readback{{"OUTP:TRIG:SLOP NEG", "OUTP:TRIG:SLOP POS"}, "OUTP:TRIG:SLOP?", "POS"},
        Readback{{"CALCulate:TRENd:CHARt:MODe ALL"}, "CALCulate:TRENd:CHARt:MODe?", "ALL"},
        Readback{{"CALCulate:TRENd:CHARt:MODe ALL", "CALCulate:TRENd:CHARt:MODe REC"}, "CALC:TREN:CHAR:MOD?", "REC"},
        Readback{{"CALCulate:TRANsform:HISTogram:RANGe:AUTO 0"}, "CALCulate:TRANsform:HISTogram:RANGe:AUTO?", "0"},
        Readback{{"CALCulate:TRANsform:HISTogram:POINts 40"}, "CALC:TRAN:HIST:POIN?", "40"},
        Readback{{"CALCulate:TRANsform:HISTogram:RANGe:LOWer 0.123"}, "CALC:TRAN:HIST:RANG:LOW?", "+1.230000000E-01"},
        Readback{{"CALCulate:LIMit:STATe 1"}, "CALCulate:LIMit:STATe?", "1"},
        Readback{{"CALCulate:LIMit:LOWer -1.500000000000"}, "CALCulate:LIMit:LOWer?", "-1.500000000E+00"},
        Readback{{"CALCulate:LIMit:UPPer 2.250000000000"}, "CALCulate:LIMit:UPPer?", "+2.250000000E+00"},
        Readback{{"CALCulate:SCALe:STATe 1"}, "CALCulate:SCALe:STATe?", "1"},
        Readback{{"CALCulate:SCALe:FUNCtion DB"}, "CALCulate:SCALe:FUNCtion?", "DB"},
        Readback{{"CALCulate:SCALe:FUNCtion DBM"}, "CALCulate:SCALe:FUNCtion?", "DBM"},
        Readback{{"CALCulate:SCALe:DB:REFerence 3"}, "CALCulate:SCALe:DB:REFerence?", "+3.000000000E+00"},
        Readback{{"CALCulate:SCALe:DBM:REFerence 50"}, "CALCulate:SCALe:DBM:REFerence?", "+5.000000000E+01"},
        Readback{{"CALCulate:SCALe:REFerence:AUTO 0"}, "CALCulate:SCALe:REFerence:AUTO?", "0"},
        Readback{{"UNIT:TEMP F"}, "UNIT:TEMP?", "F"},
        Readback{{"UNIT:TEMP K"}, "UNIT:TEMP?", "K"},
        Readback{{"TEMP:MDEF:RTD:TRAN PT100"}, "TEMP:TRAN?", "MANU DEFINE,RTD,PT100"},
        Readback{{"TEMP:NULL ON", "TEMP:NULL:VALUE:AUTO ON", "TEMP:NULL OFF"}, "TEMP:NULL?", "0"},
        Readback{{"TEMP:NULL:VALUE 25.5"}, "TEMP:NULL:VALUE?", "+2.550000000E+01"},
        // Long forms, short forms and any case reach the same setting.
        Readback{{"calc:scal:func db"}, "CALCULATE:SCALE:FUNCTION?", "DB"},
        Readback{{"SENSe:VOLTage:DC:FILTer:STATe ON"}, "volt:filt?", "1"},
        Readback{{":VOLTage:RANGe 20"}, "VOLT:DC:RANG?", "+2.000000E+01"},
        Readback{{"SENSe:FUNCtion 'fresistance'"}, "FUNC?", "\"FRES\""}));

TEST(SettingReadbackErrors, UnknownUnitInAMessageQueuesOneErrorAndTheRestRuns)
{
    ManualMeter meter;
    EXPECT_TRUE(meter.Send("CONFIGURE:NOTHING 1;SYST:BEEP:STAT OFF"));
    EXPECT_EQ(meter.Query("SYST:BEEP:STAT?"), "0\n");
    EXPECT_EQ(meter.Query("SYST:ERR?"), "-113,\"Undefined header\"\n");
    EXPECT_EQ(meter.Query("SYST:ERR?"), "+0,\"No error\"\n");
}

TEST(SettingReadbackSpeed, EachSpeedLabelSurvivesTheRoundTrip)
{
    ManualMeter meter;
    for (const char* prefix : {"VOLT:DC", "CURR:DC", "VOLT:AC", "CURR:AC", "RES", "FRES"}) {
        for (const auto& [argument, label] : {std::pair{"10", "Slow"}, {"1", "Middle"}, {"0.3", "Fast"}}) {
            meter.Send(std::string(prefix) + ":NPLC " + argument);
            EXPECT_EQ(SpeedLabel(meter.Query(std::string(prefix) + ":NPLC?")), label) << prefix << " " << argument;
        }
    }
}

TEST(SettingReadbackNull, SwitchingNullOnTakesThePresentInputAsTheNullValue)
{
    ManualMeter meter(Noiseless());
    meter.Meter().SetSignal("VOLT", 1.25);
    meter.Send("VOLT:DC:NULL ON");
    meter.Send("VOLT:DC:NULL:VALUE:AUTO ON");
    EXPECT_EQ(meter.Query("VOLT:DC:NULL?"), "1\n");
    EXPECT_DOUBLE_EQ(Number(meter.Query("VOLT:DC:NULL:VALUE?")), 1.25);
    meter.AdvanceMs(1000);
    EXPECT_NEAR(Number(ReadingText(meter.Query("DATA:LAST?"))), 0.0, 1e-12);

    // An explicit value replaces the automatic one.
    meter.Send("VOLT:DC:NULL:VALUE 1.0");
    EXPECT_EQ(meter.Query("VOLT:DC:NULL:VALUE:AUTO?"), "0\n");
    meter.AdvanceMs(1000);
    EXPECT_NEAR(Number(ReadingText(meter.Query("DATA:LAST?"))), 0.25, 1e-9);
}

TEST(SettingReadbackTemperature, NullValueFollowsTheUnit)
{
    ManualMeter meter;
    meter.Send("TEMP:NULL:VALUE 100");
    meter.Send("UNIT:TEMP F");
    EXPECT_NEAR(Number(meter.Query("TEMP:NULL:VALUE?")), 212.0, 1e-9);
    meter.Send("UNIT:TEMP K");
    EXPECT_NEAR(Number(meter.Query("TEMP:NULL:VALUE?")), 373.15, 1e-9);
}

TEST(SettingReadbackInvalid, RejectedArgumentsKeepTheSettingAndQueueAnError)
{
    ManualMeter meter;
    meter.Send("SAMP:COUN 0");
    EXPECT_EQ(meter.Query("SAMP:COUN?"), "1\n");
    EXPECT_EQ(meter.Query("SYST:ERR?"), "-222,\"Data out of range\"\n");
    meter.Send("VOLT:DC:NPLC fast");
    EXPECT_EQ(SpeedLabel(meter.Query("VOLT:DC:NPLC?")), "Slow");
    EXPECT_EQ(meter.Query("SYST:ERR?"), "-104,\"Data type error\"\n");
    meter.Send("FUNC \"OHMS\"");
    EXPECT_EQ(meter.Query("FUNCTION?"), "\"VOLT\"\n");
    EXPECT_EQ(meter.Query("SYST:ERR?"), "-224,\"Illegal parameter value\"\n");
    meter.Send("TEMP:MDEF:THER:TRAN NOSUCH");
    EXPECT_EQ(meter.Query("TEMP:TRAN?"), "MANU DEFINE,THER,KITS90\n");
}

TEST(SettingReadbackReset, ResetRestoresPowerOnSettings)
{
    ManualMeter meter;
    meter.Send("FUNC \"RES\"");
    meter.Send("SYST:BEEP:STAT OFF");
    meter.Send("SAMP:COUN 5");
    meter.Send("*RST");
    EXPECT_EQ(meter.Query("FUNCTION?"), "\"VOLT\"\n");
    EXPECT_EQ(meter.Query("SYST:BEEP:STAT?"), "1\n");
    EXPECT_EQ(meter.Query("SAMP:COUN?"), "1\n");
    EXPECT_EQ(meter.Query("VOLT:DC:RANGE:AUTO?"), "1\n");
}

}  // namespace
}  // namespace voltora::sim::test
