// Reference functions, conversion tables and the transducer catalogue.

#include "MeterTestSupport.h"
#include "ReplyRules.h"
#include "sim/TemperatureTables.h"
#include "sim/TransducerCatalogue.h"

#include <gtest/gtest.h>

namespace voltora::sim::test {
namespace {

struct EmfCase {
    char type;
    double celsius;
    double millivolts;  // published reference table value
};

class ThermocoupleReference : public testing::TestWithParam<EmfCase> {};

TEST_P(ThermocoupleReference, MatchesThePublishedTables)
{
    const EmfCase& c = GetParam();
    const auto emf = ThermocoupleMillivolts(c.type, c.celsius);
    ASSERT_TRUE(emf.has_value());
    EXPECT_NEAR(*emf, c.millivolts, 0.0015) << c.type << " " << c.celsius;
}

INSTANTIATE_TEST_SUITE_P(Types, ThermocoupleReference,
                         testing::Values(EmfCase{'K', 100.0, 4.096}, EmfCase{'K', 1000.0, 41.276},
                                         EmfCase{'K', -100.0, -3.554}, EmfCase{'K', -200.0, -5.891},
                                         EmfCase{'J', 100.0, 5.269}, EmfCase{'T', 100.0, 4.279},
                                         EmfCase{'E', 100.0, 6.319}, EmfCase{'N', 100.0, 2.774},
                                         EmfCase{'R', 1000.0, 10.506}, EmfCase{'S', 1000.0, 9.587},
                                         EmfCase{'B', 1000.0, 4.834}));

TEST(TemperatureTables, OutsideTheReferenceRangeThereIsNoEmf)
{
    EXPECT_FALSE(ThermocoupleMillivolts('K', 1400.0).has_value());
    EXPECT_FALSE(ThermocoupleMillivolts('J', -250.0).has_value());
    EXPECT_FALSE(ThermocoupleMillivolts('X', 20.0).has_value());
}

TEST(TemperatureTables, PlatinumResistanceFollowsCallendarVanDusen)
{
    EXPECT_DOUBLE_EQ(PlatinumResistance(100.0, 0.0), 100.0);
    EXPECT_NEAR(PlatinumResistance(100.0, 100.0), 138.5055, 1e-4);
    EXPECT_NEAR(PlatinumResistance(100.0, -100.0), 60.2558, 1e-3);
    EXPECT_NEAR(PlatinumResistance(1000.0, 100.0), 1385.055, 1e-3);
}

TEST(TemperatureTables, BuiltInTablesConvertBothWaysConsistently)
{
    for (const auto& list : {BuiltInThermocouples(), BuiltInResistanceThermometers()}) {
        for (const auto& table : list) {
            SCOPED_TRACE(table->Name());
            ASSERT_TRUE(TransducerTable::Valid(table->Points()));
            const double lowest = table->Points().front().temperature;
            const double highest = table->Points().back().temperature;
            for (double share : {0.1, 0.5, 0.777}) {
                const double t = lowest + share * (highest - lowest);
                const auto raw = table->RawAt(t);
                ASSERT_TRUE(raw.has_value());
                EXPECT_NEAR(*table->TemperatureAt(*raw), t, 1e-9);
            }
            EXPECT_FALSE(table->RawAt(table->Points().back().temperature + 1.0).has_value());
        }
    }
}

TEST(TemperatureTables, UnitConversionsAreInverse)
{
    for (auto unit : {TemperatureUnit::Celsius, TemperatureUnit::Fahrenheit, TemperatureUnit::Kelvin}) {
        EXPECT_NEAR(CelsiusFrom(unit, CelsiusTo(unit, 37.5)), 37.5, 1e-12);
    }
    EXPECT_DOUBLE_EQ(CelsiusTo(TemperatureUnit::Fahrenheit, -40.0), -40.0);
}

TEST(TransducerCatalogueTest, UserTablesAreListedFoundAndChecked)
{
    TransducerCatalogue catalogue;
    const std::vector<TransducerPoint> points{{0.0, 0.0}, {0.001, 25.0}, {0.004, 100.0}};
    EXPECT_TRUE(catalogue.AddUserTable(false, "MYTC", points));
    EXPECT_TRUE(catalogue.AddUserTable(false, "OTHER", points));
    std::string list;
    catalogue.AppendList(list, true, false);
    EXPECT_EQ(list, "1 MYTC,2 OTHER");
    EXPECT_NE(catalogue.Find(true, false, "MYTC"), nullptr);
    EXPECT_EQ(catalogue.Find(true, true, "MYTC"), nullptr);

    EXPECT_FALSE(catalogue.AddUserTable(false, "HAS BLANK", points));
    EXPECT_FALSE(catalogue.AddUserTable(false, "A,B", points));
    EXPECT_FALSE(catalogue.AddUserTable(false, "WAYTOOLONGNAME", points));
    EXPECT_FALSE(catalogue.AddUserTable(false, "FALLING", {{0.0, 10.0}, {0.001, 5.0}}));
    EXPECT_FALSE(catalogue.AddUserTable(false, "ONEPOINT", {{0.0, 10.0}}));
}

TEST(TransducerCatalogueTest, UserListIsBoundedSoItsReplyFits)
{
    TransducerCatalogue catalogue;
    const std::vector<TransducerPoint> points{{0.0, 0.0}, {1.0, 1.0}};
    for (std::size_t i = 0; i < TransducerCatalogue::kMaxUserTables; ++i) {
        EXPECT_TRUE(catalogue.AddUserTable(true, "TWELVECHARS" + std::string(1, static_cast<char>('A' + i)), points));
    }
    EXPECT_FALSE(catalogue.AddUserTable(true, "ONEMORE", points));
    std::string list;
    catalogue.AppendList(list, true, true);
    EXPECT_LT(list.size() + 1, 256u);
}

TEST(TransducerCommands, UserTableSelectedAndUsedForReadings)
{
    ManualMeter meter(Noiseless());
    ASSERT_TRUE(meter.Meter().AddUserTransducer(true, "MYRTD", {{80.0, -50.0}, {100.0, 0.0}, {140.0, 100.0}}));
    EXPECT_EQ(TransducerNames(meter.Query("TEMP:UDEF:RTD:TRAN:LIST?")), std::vector<std::string>{"MYRTD"});
    EXPECT_EQ(meter.Query("TEMP:UDEF:RTD:TRAN:POIN? MYRTD"),
              "1|+8.000000E+01|-50.0,2|+1.000000E+02|0.0,3|+1.400000E+02|100.0\n");
    meter.Send("TEMP:UDEF:RTD:TRAN MYRTD");
    EXPECT_EQ(meter.Query("TEMP:TRAN?"), "USER DEFINE,RTD,MYRTD\n");
    meter.Meter().SetSignal("TEMP", 50.0);
    meter.Send("FUNC \"TEMP\"");
    meter.AdvanceMs(500);
    EXPECT_NEAR(Number(SensorValueText(meter.Query("TEMP:CAD?"))), 120.0, 1e-9);
}

}  // namespace
}  // namespace voltora::sim::test
