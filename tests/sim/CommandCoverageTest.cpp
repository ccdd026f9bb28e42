// Every command text the program sends is accepted without an error, and
// every query among them is answered.

#include "MeterTestSupport.h"

#include <gtest/gtest.h>

namespace voltora::sim::test {
namespace {

std::vector<std::string> ProgramCommands()
{
    std::vector<std::string> commands{
        "FUNC \"VOLT:DC\"", "FUNC \"CURR:DC\"", "FUNC \"VOLT:AC\"", "FUNC \"CURR:AC\"", "FUNC \"RES\"",
        "FUNC \"FRES\"", "FUNC \"CAP\"", "FUNC \"FREQ\"", "FUNC \"PER\"", "FUNC \"CONT\"", "FUNC \"DIOD\"",
        "FUNC \"TEMP\"", "FUNCTION?", "TRIG:COUN INF", "INIT", "ABORt", "TRIG:DEL:AUTO ON", "TRIG:DEL 0.500",
        "TRIG:DEL 2000.000", "TRIG:DEL:AUTO?", "TRIG:DEL?", "OUTP:TRIG:SLOP NEG", "OUTP:TRIG:SLOP POS",
        "SAMP:COUN 10", "SAMP:COUN?", "DATA:LAST?", "DATA:POINts?", "FETCh?", "REFresh", "$$SY_FP 21,0",
        "IDN-ZOBR-PRI?",
        // Measurement settings.
        "VOLT:DC:RANGE:AUTO ON", "VOLT:DC:RANGE 0.200", "VOLT:DC:RANGE 1000", "VOLT:DC:NPLC 10",
        "VOLT:DC:NPLC 1", "VOLT:DC:NPLC 0.3", "VOLT:DC:FILTER ON", "VOLT:DC:FILTER OFF", "VOLT:DC:IMP 10M",
        "VOLT:DC:IMP 10G", "VOLT:DC:NULL ON", "VOLT:DC:NULL OFF", "VOLT:DC:NULL:VALUE:AUTO ON",
        "VOLT:DC:NULL:VALUE 1200.000000000000", "VOLT:DC:RANGE:AUTO?", "VOLT:DC:RANGE?", "VOLT:DC:NPLC?",
        "VOLT:DC:FILTER?", "VOLT:DC:IMP?", "VOLT:DC:NULL?", "VOLT:DC:NULL:VALUE?",
        "CURR:DC:RANGE:AUTO ON", "CURR:DC:RANGE 0.000200", "CURR:DC:RANGE 0.020", "CURR:DC:RANGE 10",
        "CURR:DC:NPLC 0.3", "CURR:DC:FILTER OFF", "CURR:DC:NULL ON", "CURR:DC:NULL:VALUE:AUTO ON",
        "CURR:DC:NULL:VALUE -12.000000000000", "CURR:DC:RANGE:AUTO?", "CURR:DC:RANGE?", "CURR:DC:NPLC?",
        "CURR:DC:FILTER?", "CURR:DC:NULL?", "CURR:DC:NULL:VALUE?",
        "VOLT:AC:RANGE:AUTO ON", "VOLT:AC:RANGE 0.200000", "VOLT:AC:RANGE 750", "VOLT:AC:NPLC 1",
        "VOLT:AC:NULL OFF", "VOLT:AC:NULL:VALUE:AUTO ON", "VOLT:AC:NULL:VALUE 0.000000000000",
        "VOLT:AC:RANGE:AUTO?", "VOLT:AC:RANGE?", "VOLT:AC:NPLC?", "VOLT:AC:NULL?", "VOLT:AC:NULL:VALUE?",
        "CURR:AC:RANGE:AUTO ON", "CURR:AC:RANGE 0.200", "CURR:AC:RANGE 2", "CURR:AC:NPLC 10", "CURR:AC:NULL ON",
        "CURR:AC:NULL:VALUE:AUTO ON", "CURR:AC:NULL:VALUE 0.5", "CURR:AC:RANGE:AUTO?", "CURR:AC:RANGE?",
        "CURR:AC:NPLC?", "CURR:AC:NULL?", "CURR:AC:NULL:VALUE?",
        "RES:RANGE:AUTO ON", "RES:RANGE 200", "RES:RANGE 2000.0", "RES:RANGE 100000000.0", "RES:NPLC 1",
        "RES:NULL ON", "RES:NULL:VALUE:AUTO ON", "RES:NULL:VALUE 0.5", "RES:RANGE:AUTO?", "RES:RANGE?",
        "RES:NPLC?", "RES:NULL?", "RES:NULL:VALUE?",
        "FRES:RANGE:AUTO ON", "FRES:RANGE 20000.0", "FRES:NPLC 0.3", "FRES:NULL OFF",
        "FRES:NULL:VALUE:AUTO ON", "FRES:NULL:VALUE 1", "FRES:RANGE:AUTO?", "FRES:RANGE?", "FRES:NPLC?",
        "FRES:NULL?", "FRES:NULL:VALUE?",
        "CAP:RANGE:AUTO ON", "CAP:RANGE 0.0000000020", "CAP:RANGE 0.0100000000", "CAP:NULL ON",
        "CAP:NULL:VALUE:AUTO ON", "CAP:NULL:VALUE 0.000000001000", "CAP:RANGE:AUTO?", "CAP:RANGE?", "CAP:NULL?",
        "CAP:NULL:VALUE?",
        "FREQ:VOLT:RANGE:AUTO ON", "FREQ:VOLT:RANGE 0.200000", "FREQ:VOLT:RANGE 20", "FREQ:NULL ON",
        "FREQ:NULL:VALUE:AUTO ON", "FREQ:NULL:VALUE 1200000.000000000000", "FREQ:VOLT:RANGE:AUTO?",
        "FREQ:VOLT:RANGE?", "FREQ:NULL?", "FREQ:NULL:VALUE?",
        "CONT:THR:VALUE 0050", "CONT:THR:VALUE?", "DIODE:THR:VALUE 2.000000", "DIODE:THR:VALUE?",
        "SYST:BEEP:STAT ON", "SYST:BEEP:STAT OFF", "SYST:BEEP:STATE?",
        // Math, trend chart and histogram.
        "CALCulate:TRENd:CHARt:MODe ALL", "CALCulate:TRENd:CHARt:MODe REC", "CALCulate:TRANsform:HISTogram:CLEar",
        "CALCulate:TRANsform:HISTogram:RANGe:AUTO 0", "CALCulate:TRANsform:HISTogram:RANGe:AUTO 1",
        "CALCulate:TRANsform:HISTogram:POINts 400", "CALCulate:TRANsform:HISTogram:RANGe:LOWer 0.123",
        "CALCulate:TRANsform:HISTogram:RANGe:UPPer 2.000", "CALCulate:AVERage:CLEar", "CALCulate:LIMit:STATe 1",
        "CALCulate:LIMit:LOWer -1.500000000000", "CALCulate:LIMit:UPPer 1.500000000000", "CALCulate:SCALe:STATe 0",
        "CALCulate:SCALe:FUNCtion DB", "CALCulate:SCALe:FUNCtion DBM", "CALCulate:SCALe:DB:REFerence 3",
        "CALCulate:SCALe:DBM:REFerence 600", "CALCulate:SCALe:REFerence:AUTO 1", "CALCulate:TRENd:CHARt:MODe?",
        "CALCulate:TRENd:CHARt:DATA?", "CALCulate:TRANsform:HISTogram:ALL?",
        "CALCulate:TRANsform:HISTogram:RANGe:AUTO?", "CALCulate:AVERage:ALL?", "CALCulate:AVERage:PTPeak?",
        "CALCulate:AVERage:COUNt?", "CALCulate:LIMit:STATe?", "CALCulate:LIMit:LOWer?", "CALCulate:LIMit:UPPer?",
        "CALCulate:SCALe:STATe?", "CALCulate:SCALe:FUNCtion?", "CALCulate:SCALe:DB:REFerence?",
        "CALCulate:SCALe:DBM:REFerence?", "CALCulate:SCALe:REFerence:AUTO?",
        // Temperature.
        "TEMP:MDEF:THER:TRAN KITS90", "TEMP:MDEF:RTD:TRAN PT100", "TYPE:TEMP TEM", "TYPE:TEMP MEA", "UNIT:TEMP C",
        "UNIT:TEMP F", "UNIT:TEMP K", "TEMP:NULL ON", "TEMP:NULL:VALUE:AUTO ON", "TEMP:NULL OFF",
        "TEMP:NULL:VALUE -270.000000000000", "TEMP:CAD?", "TEMP:TRAN?", "TYPE:TEMP?", "UNIT:TEMP?", "TEMP:NULL?",
        "TEMP:NULL:VALUE?", "TEMP:MDEF:THER:TRAN:LIST?", "TEMP:UDEF:THER:TRAN:LIST?", "TEMP:MDEF:RTD:TRAN:LIST?",
        "TEMP:UDEF:RTD:TRAN:LIST?", "TEMP:MDEF:THER:TRAN:POIN? BITS90", "TEMP:MDEF:RTD:TRAN:POIN? PT1000"};
    return commands;
}

TEST(CommandCoverage, EveryProgramCommandIsAcceptedAndEveryQueryAnswered)
{
    ManualMeter meter;
    for (const std::string& text : ProgramCommands()) {
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
