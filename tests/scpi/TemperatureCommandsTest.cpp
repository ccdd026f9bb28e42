#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ScriptedMeterFixture.h"
#include "platform/CNumbers.h"
#include "scpi/Commands.h"

namespace voltora::scpi::test {
namespace {

using Strings = std::vector<std::string>;

class TemperatureCommandsTest : public ScriptedMeterTest {};

TEST_F(TemperatureCommandsTest, SetOperationsWriteTheirCommands)
{
    const std::vector<std::pair<std::function<void()>, Strings>> cases = {
        {[] { SetTemperatureTransducer("MANU DEFINE", "THER", "K"); }, {"TEMP:MDEF:THER:TRAN K"}},
        {[] { SetTemperatureTransducer("MANU DEFINE", "RTD", "PT100"); }, {"TEMP:MDEF:RTD:TRAN PT100"}},
        {[] { SetTemperatureTransducer("USER DEFINE", "THER", "T1"); }, {"TEMP:UDEF:THER:TRAN T1"}},
        {[] { SetTemperatureTransducer("USER DEFINE", "RTD", "R1"); }, {"TEMP:UDEF:RTD:TRAN R1"}},
        {[] { SetTemperatureTransducer("Manu Define", "THER", "K"); }, {"K"}},
        {[] { SetTemperatureTransducer("USER DEFINE", "rtd", "R1"); }, {"R1"}},
        {[] { SetTemperatureDisplay("All"); }, {}},
        {[] { SetTemperatureDisplay("Temp"); }, {"TYPE:TEMP TEM"}},
        {[] { SetTemperatureDisplay("Meas"); }, {"TYPE:TEMP MEA"}},
        {[] { SetTemperatureDisplay("Temp+Meas"); }, {"TYPE:TEMP TEM"}},
        {[] { SetTemperatureDisplay("Other"); }, {}},
        {[] { SetTemperatureUnit("$T_C$"); }, {"UNIT:TEMP C"}},
        {[] { SetTemperatureUnit("$T_F$"); }, {"UNIT:TEMP F"}},
        {[] { SetTemperatureUnit("K"); }, {"UNIT:TEMP K"}},
        {[] { SetTemperatureUnit("C"); }, {"UNIT:TEMP K"}},
        {[] { SetTempNull("On"); }, {"TEMP:NULL ON", "TEMP:NULL:VALUE:AUTO ON"}},
        {[] { SetTempNull("Off"); }, {"TEMP:NULL OFF"}},
        {[] { SetTempNullValue("-270.000000000000"); }, {"TEMP:NULL:VALUE -270.000000000000"}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        Device()->ClearWrites();
        cases[i].first();
        EXPECT_EQ(Writes(), cases[i].second);
    }
}

TEST_F(TemperatureCommandsTest, TextQueries)
{
    const std::vector<std::tuple<std::function<std::string()>, const char*, const char*, const char*>>
        cases = {
            {QueryTemperatureTransducer, "TEMP:TRAN?", "MDEF,THER,K\n", "MDEF,THER,K"},
            {QueryTemperatureDisplay, "TYPE:TEMP?", "TEM\n", "TEM"},
            {QueryTemperatureDisplay, "TYPE:TEMP?", "\n", ""},
            {QueryTemperatureUnit, "UNIT:TEMP?", "C\n", "$T_C$"},
            {QueryTemperatureUnit, "UNIT:TEMP?", "F\n", "$T_F$"},
            {QueryTemperatureUnit, "UNIT:TEMP?", "K\n", "K"},
            {QueryTemperatureUnit, "UNIT:TEMP?", "FC\n", "$T_C$"},
            {QueryTempNull, "TEMP:NULL?", "1\n", "On"},
            {QueryTempNull, "TEMP:NULL?", "0\n", "Off"},
            {QueryTempNullValue, "TEMP:NULL:VALUE?", "+2.5E+01\n", "+2.5E+01\n"},
        };
    for (const auto& [query, queryText, reply, expected] : cases) {
        SCOPED_TRACE(reply);
        Device()->ClearWrites();
        AnswerQueries(reply);
        EXPECT_EQ(query(), expected);
        EXPECT_EQ(Writes(), Strings{queryText});
    }
    AnswerNothing();
    EXPECT_EQ(QueryTemperatureTransducer(), "");
    EXPECT_EQ(QueryTemperatureDisplay(), "");
    EXPECT_EQ(QueryTemperatureUnit(), "");
    EXPECT_EQ(QueryTempNull(), "");
    EXPECT_EQ(QueryTempNullValue(), "");
}

TEST_F(TemperatureCommandsTest, SensorValueIsTheFieldBetweenBarAndLastComma)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"THER|23.5,C\n", "23.500000000000"},
        {"RTD|+1.0815E+02,OHM,2\n", "108.150000000000"},
        {"0.00123,V\n", "0.001230000000"},
        {"K|-0.5\n", "-0.500000000000"},
        {"THER|9.9E+37,C\n", "Overload"},
        {"THER|-9.9E+37,C\n", "Overload"},
        // No value between the bar and the last comma reads as 0.
        {"A,B|C\n", "0.000000000000"},
    };
    for (const auto& [reply, expected] : cases) {
        SCOPED_TRACE(reply);
        Device()->ClearWrites();
        AnswerQueries(reply);
        EXPECT_EQ(QuerySensorValue(), expected);
        EXPECT_EQ(Writes(), Strings{"TEMP:CAD?"});
    }
    AnswerNothing();
    EXPECT_EQ(QuerySensorValue(), "");
}

TEST_F(TemperatureCommandsTest, SensorValueReplyIsReadIntoA128ByteBuffer)
{
    // 100 digits of padding fit the 128-byte buffer; the value survives.
    std::string reply = "THER|" + std::string(100, '0') + "1.5,C\n";
    ASSERT_LT(reply.size(), 128u);
    AnswerQueries(reply);
    EXPECT_EQ(QuerySensorValue(), "1.500000000000");
}

TEST_F(TemperatureCommandsTest, TransducerListsParseNumberedNames)
{
    struct Case {
        const char* reply;
        bool result;
        Strings names;
    };
    const std::vector<Case> cases = {
        {"1 A,2 B\n", true, {"A", "B"}},
        {"1 TYPE K,2 TYPE J\n", true, {"TYPE K", "TYPE J"}},
        {"K\n", true, {"K"}},
        {"NONE\n", true, {}},
        {"1 A,,3 C\n", true, {"A", "", "C"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        Device()->ClearWrites();
        AnswerQueries(c.reply);
        Strings names = {"kept"};
        EXPECT_EQ(QueryTransducerList("TEMP:MDEF:THER:TRAN:LIST?", names), c.result);
        Strings expected = {"kept"};
        expected.insert(expected.end(), c.names.begin(), c.names.end());
        EXPECT_EQ(names, expected);
        EXPECT_EQ(Writes(), Strings{"TEMP:MDEF:THER:TRAN:LIST?"});
    }
    AnswerNothing();
    Strings names = {"kept"};
    EXPECT_FALSE(QueryTransducerList("TEMP:UDEF:RTD:TRAN:LIST?", names));
    EXPECT_EQ(names, Strings{"kept"});
}

TEST_F(TemperatureCommandsTest, TransducerListReplyIsLimitedTo256Bytes)
{
    std::string reply;
    for (int i = 0; i < 40; ++i) {
        reply += platform::CFormat("%d NAME%d,", i, i);
    }
    reply.back() = '\n';
    ASSERT_GT(reply.size(), 256u);
    AnswerQueries(reply);
    Strings names;
    EXPECT_TRUE(QueryTransducerList("TEMP:MDEF:RTD:TRAN:LIST?", names));
    // Only the first 256 bytes are read; the last of them is dropped as the
    // terminator, so the last name is cut.
    const std::string kept = reply.substr(0, 255);
    const auto pieces = static_cast<std::size_t>(std::count(kept.begin(), kept.end(), ',')) + 1;
    ASSERT_EQ(names.size(), pieces);
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        EXPECT_EQ(names[i], platform::CFormat("NAME%zu", i));
    }
    const std::string last = kept.substr(kept.rfind(',') + 1);
    EXPECT_EQ(names.back(), last.substr(last.find(' ') + 1));
}

TEST_F(TemperatureCommandsTest, PointQueriesFillTheCallersBuffer)
{
    using PointsQuery = bool (*)(const std::string&, char*, unsigned);
    const std::vector<std::pair<PointsQuery, const char*>> queries = {
        {QueryMdefTherPoints, "TEMP:MDEF:THER:TRAN:POIN? K"},
        {QueryMdefRtdPoints, "TEMP:MDEF:RTD:TRAN:POIN? K"},
        {QueryUdefTherPoints, "TEMP:UDEF:THER:TRAN:POIN? K"},
        {QueryUdefRtdPoints, "TEMP:UDEF:RTD:TRAN:POIN? K"},
    };
    const std::string reply = "-200,-5.891,0,0.000,100,4.096\n";
    for (const auto& [query, queryText] : queries) {
        SCOPED_TRACE(queryText);
        std::vector<char> buffer(kTransducerPointsReplySize, '\0');
        Device()->ClearWrites();
        AnswerQueries(reply);
        EXPECT_TRUE(query("K", buffer.data(), kTransducerPointsReplySize));
        EXPECT_STREQ(buffer.data(), reply.c_str());
        EXPECT_EQ(Writes(), Strings{queryText});

        // A failed query still returns true and leaves the buffer as prepared.
        std::vector<char> prepared(kTransducerPointsReplySize, '\0');
        AnswerNothing();
        EXPECT_TRUE(query("K", prepared.data(), kTransducerPointsReplySize));
        EXPECT_EQ(prepared, std::vector<char>(kTransducerPointsReplySize, '\0'));
    }
}

}  // namespace
}  // namespace voltora::scpi::test
