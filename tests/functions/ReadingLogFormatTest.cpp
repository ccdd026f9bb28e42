// The text of a reading log: rows, header, end line, time stamps and the
// value column, in the C locale whatever locale the process runs in.

#include "functions/ReadingLogFormat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

using namespace voltora::functions;

namespace {

// 2026-12-08 08:15:02.125 UTC.
std::chrono::system_clock::time_point FixedTime()
{
    return std::chrono::system_clock::time_point(std::chrono::milliseconds(1796717702125LL));
}

// Sets TZ for the test's duration and puts the previous value back.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ")) {
            previous = old;
            hadPrevious = true;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (hadPrevious) {
            setenv("TZ", previous.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

private:
    std::string previous;
    bool hadPrevious = false;
};

std::vector<std::string> SplitCsv(const std::string& line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c != '\n') {
            fields.back() += c;
        }
    }
    return fields;
}

LogReading Sample()
{
    LogReading reading;
    reading.wallTime = FixedTime();
    reading.seconds = 12.3456;
    reading.function = "DC Voltage";
    reading.reading = "+1.23456789E+00";
    reading.unit = "V";
    reading.range = "2V";
    return reading;
}

}  // namespace

TEST(ReadingLogFormatTest, LocalTimeCarriesMillisecondsAndTheZonesOffset)
{
    const struct {
        const char* zone;
        const char* expected;
    } cases[] = {
        {"UTC0", "2026-12-08T08:15:02.125+00:00"},
        {"CET-1", "2026-12-08T09:15:02.125+01:00"},
        {"NST+3:30", "2026-12-08T04:45:02.125-03:30"},
        {"IST-5:30", "2026-12-08T13:45:02.125+05:30"},
    };
    for (const auto& c : cases) {
        ScopedTimeZone zone(c.zone);
        EXPECT_EQ(LocalIsoTime(FixedTime()), c.expected) << c.zone;
    }
}

TEST(ReadingLogFormatTest, ValueIsAPlainNumberInBaseUnitsOrTheDisplaysWord)
{
    const struct {
        const char* reading;
        const char* expected;
    } cases[] = {
        {"+1.23456789E+00", "1.23456789"},
        {"-2.50000000E-03", "-0.0025"},
        {"+1.20000000E+06", "1200000"},
        {"+0.00000000E+00", "0"},
        {"-0.00000000E+00", "0"},
        {"+1.00000000E-09", "0.000000001"},
        {"12.5", "12.5"},
        {"Overload", "Overload"},
        {"open", "open"},
        {"1.2.3", "1.2.3"},
        {"1e", "1e"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlainValue(c.reading), c.expected) << c.reading;
    }
}

TEST(ReadingLogFormatTest, RowHasTheSixColumnsInOrder)
{
    ScopedTimeZone zone("CET-1");
    LogReading reading = Sample();
    reading.function = "Resistance";
    reading.reading = "+5.00000000E+03";
    reading.unit = "$OHM$";
    reading.range = "20k$OHM$";
    EXPECT_EQ(LogRow(reading),
              "2026-12-08T09:15:02.125+01:00,12.346,Resistance,5000,\xCE\xA9,20k\xCE\xA9\n");

    reading.function = "Temperature";
    reading.reading = "Overload";
    reading.unit = "$T_C$";
    reading.range = "";
    EXPECT_EQ(SplitCsv(LogRow(reading)),
              (std::vector<std::string>{"2026-12-08T09:15:02.125+01:00", "12.346", "Temperature",
                                        "Overload", "\xC2\xB0" "C", ""}));
}

TEST(ReadingLogFormatTest, FieldsWithCommasQuotesOrLineBreaksAreQuoted)
{
    LogReading reading = Sample();
    reading.function = "a,b";
    reading.range = "say \"2V\"";
    const auto fields = SplitCsv(LogRow(reading));
    ASSERT_EQ(fields.size(), 6u);
    EXPECT_EQ(fields[2], "a,b");
    EXPECT_EQ(fields[5], "say \"2V\"");
    EXPECT_EQ(CsvField("x\ny"), "\"x\ny\"");
}

TEST(ReadingLogFormatTest, HeaderNamesInstrumentResourceAndColumns)
{
    // The identity reply has commas and its line end: it stays one comment line.
    const std::string header = LogHeader("ZAN,ZDM1000,SN1,1.0\n", "TCPIP0::127.0.0.1::5025::SOCKET");
    EXPECT_EQ(header,
              "# Voltora reading log\n"
              "# instrument: ZAN,ZDM1000,SN1,1.0\n"
              "# resource: TCPIP0::127.0.0.1::5025::SOCKET\n"
              "time,seconds,function,value,unit,range\n");
    EXPECT_EQ(LogHeader("a\nb", "r\r\n"), "# Voltora reading log\n# instrument: a b\n"
                                           "# resource: r  \n"
                                           "time,seconds,function,value,unit,range\n");
}

TEST(ReadingLogFormatTest, EndAndGapLinesAreComments)
{
    EXPECT_EQ(LogEndLine("link lost", 42, 0), "# end: link lost; 42 rows\n");
    EXPECT_EQ(LogEndLine("logging stopped", 1000000, 3),
              "# end: logging stopped; 1000000 rows; 3 readings dropped (queue full)\n");
    EXPECT_EQ(LogGapLine(7), "# gap: 7 readings dropped here (queue full)\n");
}

// Pieces written to the file end on a line end and cross no 4 KiB block
// boundary unless one line straddles it.
TEST(ReadingLogFormatTest, PiecesEndOnLineEndsInsideABlock)
{
    const std::string tenBytes = "123456789\n";
    std::string many;
    for (int i = 0; i < 1000; ++i) {
        many += tenBytes;
    }
    const struct {
        std::string text;
        std::size_t from;
        std::uint64_t offset;
        std::size_t expected;
    } cases[] = {
        {many, 0, 0, 4090},                 // 409 whole lines fit in the first block
        {many, 4090, 4090, 10},              // the line at 4090 straddles 4096
        {many, 4100, 4100, 4090},            // then a block from 4100 holds 409 lines
        {many, 0, 4086, 10},                 // 10 bytes of room: one line exactly
        {many, 0, 4087, 10},                 // 9 bytes of room: the straddling line
        {many, 9990, 9990 + 8192, 10},       // the last line, near the end of the text
        {"ab\ncd", 0, 0, 3},                 // a line end ends the piece...
        {"ab\ncd", 3, 3, 2},                 // ...and a tail without one goes whole
        {std::string(5000, 'x') + "\n", 0, 100, 5001},  // an overlong line goes alone
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LinePieceLength(c.text, c.from, c.offset), c.expected)
            << "from " << c.from << " at " << c.offset;
    }
    // Walking a text piece by piece covers it exactly, every piece but the
    // last ends in a line end, and only single-line pieces cross a boundary.
    std::uint64_t offset = 1234;
    std::size_t from = 0;
    while (from < many.size()) {
        const std::size_t length = LinePieceLength(many, from, offset);
        ASSERT_GT(length, 0u);
        ASSERT_EQ(many[from + length - 1], '\n') << from;
        const bool crosses = offset / kLogFileBlock != (offset + length - 1) / kLogFileBlock;
        if (crosses) {
            EXPECT_EQ(length, tenBytes.size()) << from;
        }
        from += length;
        offset += length;
    }
    EXPECT_EQ(from, many.size());
}

// The same row in the C locale and in locales with a decimal comma (de_DE)
// and with dotted/dotless i case rules (tr_TR).
TEST(ReadingLogFormatTest, RowsAreTheSameInEveryLocale)
{
    ScopedTimeZone zone("CET-1");
    LogReading reading = Sample();
    const std::string inC = LogRow(reading);
    const std::string end = LogEndLine("stopped", 1234567, 0);
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    for (const char* locale : {"de_DE.UTF-8", "tr_TR.UTF-8"}) {
        if (std::setlocale(LC_ALL, locale) == nullptr) {
            std::setlocale(LC_ALL, previous.c_str());
            GTEST_SKIP() << "locale " << locale
                         << " is not installed (scripts/setup.sh generates it)";
        }
        EXPECT_EQ(LogRow(reading), inC) << locale;
        EXPECT_EQ(LogEndLine("stopped", 1234567, 0), end) << locale;
        EXPECT_EQ(PlainValue("+1.5E+00"), "1.5") << locale;
    }
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(inC, "2026-12-08T09:15:02.125+01:00,12.346,DC Voltage,1.23456789,V,2V\n");
}
