// The program's texts and choices that need no window: command line,
// connection choices, delay texts, sensor points, the readings file format
// and the main window's geometry.
#include "app/AcquisitionTexts.h"
#include "app/CommandLine.h"
#include "app/ConnectionChoice.h"
#include "app/MainWindowLayout.h"
#include "app/ReadingsFile.h"
#include "app/SensorPoints.h"

#include <gtest/gtest.h>

#include <clocale>

using namespace voltora::app;

namespace {

// ---- Command line -------------------------------------------------------

struct CommandLineCase {
    std::vector<std::string> arguments;
    std::string resource;
    bool help;
    bool version;
    bool error;
};

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, ReadsOptions)
{
    const auto& c = GetParam();
    const CommandLineOptions options = ParseCommandLine(c.arguments);
    EXPECT_EQ(options.error.empty(), !c.error) << options.error;
    if (!c.error) {
        EXPECT_EQ(options.resource, c.resource);
        EXPECT_EQ(options.help, c.help);
        EXPECT_EQ(options.version, c.version);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    ::testing::Values(
        CommandLineCase{{}, "", false, false, false},
        CommandLineCase{{"--simulate"}, "SIM0::ZAN::INSTR", false, false, false},
        CommandLineCase{{"--resource", "USB0::1::2::3::INSTR"}, "USB0::1::2::3::INSTR", false, false, false},
        CommandLineCase{{"--resource=TCPIP0::10.0.0.5::inst0::INSTR"}, "TCPIP0::10.0.0.5::inst0::INSTR", false, false, false},
        CommandLineCase{{"--help"}, "", true, false, false},
        CommandLineCase{{"-h"}, "", true, false, false},
        CommandLineCase{{"--version"}, "", false, true, false},
        CommandLineCase{{"--resource"}, "", false, false, true},
        CommandLineCase{{"--resource="}, "", false, false, true},
        CommandLineCase{{"--resource", ""}, "", false, false, true},
        CommandLineCase{{"--simulate", "--resource", "X"}, "", false, false, true},
        CommandLineCase{{"--frobnicate"}, "", false, false, true},
        CommandLineCase{{"SIM0::ZAN::INSTR"}, "", false, false, true}));

TEST(CommandLineTextTest, ToolkitOptionsUsageAndVersion)
{
    using Args = std::vector<std::string>;
    EXPECT_EQ(WithoutToolkitOptions({"-platform", "offscreen", "--simulate"}), Args{"--simulate"});
    EXPECT_EQ(WithoutToolkitOptions({"-reverse", "--version"}), Args{"--version"});
    EXPECT_EQ(WithoutToolkitOptions({"-h", "--resource", "R"}), (Args{"-h", "--resource", "R"}));
    EXPECT_EQ(WithoutToolkitOptions({"--bogus", "-style", "fusion"}), Args{"--bogus"});
    EXPECT_NE(UsageText().find("voltora [--simulate | --resource R] [--help] [--version]"), std::string::npos);
    EXPECT_EQ(VersionLine(), "Voltora, Version " + VersionText());
    EXPECT_FALSE(VersionText().empty());
}

// ---- Connection choices ---------------------------------------------------

TEST(ConnectionChoiceTest, UsbRowsAndPreferredRow)
{
    EXPECT_EQ(UsbRowText("ZAN 900", "USB0::1::2::SN::INSTR"), "ZAN 900 \"USB0::1::2::SN::INSTR\"");
    EXPECT_EQ(UsbRowText("", "USB0::1::2::SN::INSTR"), " \"USB0::1::2::SN::INSTR\"");
    EXPECT_EQ(PreferredUsbRow({}), -1);
    EXPECT_EQ(PreferredUsbRow({"Other", "Another"}), 0);
    EXPECT_EQ(PreferredUsbRow({"Other", "ZAN 900"}), 1);
    // A later match replaces an earlier one; the test is case-sensitive.
    EXPECT_EQ(PreferredUsbRow({"ZAN A", "x", "ZAN B", "zan c"}), 2);
}

TEST(ConnectionChoiceTest, Vxi11ResourceHasNoBlanks)
{
    EXPECT_EQ(Vxi11Resource(DottedAddress("192.168.1.20")), "TCPIP0::192.168.1.20::inst0::INSTR");
}

TEST(ConnectionChoiceTest, DottedAddressForms)
{
    const std::pair<const char*, const char*> cases[] = {
        {"192.168.1.20", "192.168.1.20"}, {"", "0.0.0.0"},           {"10.1", "10.1.0.0"},
        {"010.001.000.007", "10.1.0.7"},  {"300.1.2.3", "255.1.2.3"}, {" 10. 2.3.4 ", "10.2.3.4"},
        {"1.2.3.4.5", "1.2.3.4"},         {"...", "0.0.0.0"},
    };
    for (const auto& [typed, dotted] : cases) {
        EXPECT_EQ(DottedAddress(typed), dotted) << typed;
    }
}

TEST(ConnectionChoiceTest, ChosenUsbResourceFollowsTheBoxText)
{
    const std::vector<std::string> resources = {"USB0::1::2::A::INSTR", "USB0::1::2::B::INSTR"};
    const std::vector<std::string> rows = {UsbRowText("M1", resources[0]), UsbRowText("ZAN", resources[1])};
    // The selected row unchanged: its resource.
    EXPECT_EQ(ChosenUsbResource(resources, rows, 1, rows[1]), resources[1]);
    EXPECT_EQ(ChosenUsbResource(resources, rows, 0, rows[0]), resources[0]);
    // Typed over: the quoted part, or the whole text.
    EXPECT_EQ(ChosenUsbResource(resources, rows, 1, "ZAN \"USB0::9::9::C::INSTR\""), "USB0::9::9::C::INSTR");
    EXPECT_EQ(ChosenUsbResource(resources, rows, 1, "  TCPIP0::h::5025::SOCKET "), "TCPIP0::h::5025::SOCKET");
    EXPECT_EQ(ChosenUsbResource(resources, rows, -1, ""), "");
    EXPECT_EQ(ChosenUsbResource(resources, rows, -1, "ZAN \"unterminated"), "ZAN \"unterminated");
    // Nothing found: an empty resource, and the connect fails.
    EXPECT_EQ(ChosenUsbResource({}, {}, -1, ""), "");
}

// ---- Delay and sample texts -------------------------------------------------

TEST(AcquisitionTextsTest, DelayArgumentPerUnit)
{
    struct Case {
        bool automatic;
        const char* typed;
        int unit;
        const char* argument;
    };
    const Case cases[] = {
        {false, "5", 2, "0.005"},        {false, "2", 0, "2000.000"},   {false, "300", 3, "0.0003"},
        {false, "1.5", 1, "1.500"},      {false, "600", 3, "0.0006"},   {false, "abc", 1, "0.000"},
        {false, "7", -1, "7.000"},       {true, "5", 2, "Auto"},        {false, "", 1, "0.000"},
        {false, "0.0004", 1, "0.0004"},  {false, "-1", 1, "-1.000"},    {false, "1", 3, "0.000001"},
        {false, "1234.5678", 2, "1.2345678"}, {false, "0.5", 3, "0.0000005"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DelayArgument(c.automatic, c.typed, c.unit), c.argument) << c.typed << " unit " << c.unit;
    }
}

TEST(AcquisitionTextsTest, SampleCountIsAWholeNumberWithinTheMetersRange)
{
    const struct {
        const char* typed;
        const char* argument;  // nullptr: refused
    } cases[] = {
        {"10", "10"},   {" 7 ", "7"},        {"+3", "3"},   {"1", "1"},    {"1000000", "1000000"},
        {"0010", "10"}, {"abc", nullptr},    {"", nullptr}, {"0", nullptr}, {"1000001", nullptr},
        {"-1", nullptr}, {"2.0", nullptr},   {"1e2", nullptr}, {"+", nullptr}, {"99999999999", nullptr},
        {"5 5", nullptr},
    };
    for (const auto& c : cases) {
        const auto argument = SampleCountArgument(c.typed);
        if (c.argument == nullptr) {
            EXPECT_FALSE(argument.has_value()) << c.typed;
        } else {
            EXPECT_EQ(argument.value_or("refused"), c.argument) << c.typed;
        }
    }
}

TEST(AcquisitionTextsTest, ShownValuesIgnoreTheProcessLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // may be missing; then C stays
    EXPECT_EQ(DelayShownText("+2.50000000E-01\n"), "0.250");
    EXPECT_EQ(DelayShownText("+2.00000000E+00\n"), "2.000");
    EXPECT_EQ(DelayShownText(""), "0.000");
    EXPECT_EQ(SampleCountShownText("+1.00000000E+01\n"), "1");  // atoi stops at the point
    EXPECT_EQ(SampleCountShownText("25\n"), "25");
    EXPECT_EQ(SampleCountShownText(""), "0");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

// ---- Sensor points -----------------------------------------------------------

TEST(SensorPointsTest, RowsOfAReply)
{
    struct Case {
        const char* reply;
        std::vector<std::array<const char*, 3>> rows;
    };
    const Case cases[] = {
        {"1|0.000|0.0,2|4.096|100.0", {{"1", "0.000", "0.0"}, {"2", "4.096", "100.0"}}},
        {"", {{"1", "", ""}}},
        {"abc", {{"1", "", "abc"}}},
        {"1|0.5", {{"1", "", "0.5"}}},
        {"1|0.5|20,", {{"1", "0.5", "20"}, {"2", "", ""}}},
        {"1|0.5|20\n", {{"1", "0.5", "20\n"}}},
        // More than three fields: still the second under "Volt", the third under "Temp".
        {"1|a|b|c", {{"1", "a", "b"}}},
        {"1|+4.096E-03|100.0|x|y,2|1|2", {{"1", "+4.096E-03", "100.0"}, {"2", "1", "2"}}},
        {"|||", {{"1", "", ""}}},
    };
    for (const Case& c : cases) {
        const auto rows = ParseSensorPoints(QString::fromLatin1(c.reply));
        ASSERT_EQ(rows.size(), c.rows.size()) << c.reply;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].number, QString::fromLatin1(c.rows[i][0])) << c.reply;
            EXPECT_EQ(rows[i].volt, QString::fromLatin1(c.rows[i][1])) << c.reply;
            EXPECT_EQ(rows[i].temp, QString::fromLatin1(c.rows[i][2])) << c.reply;
        }
    }
    EXPECT_EQ(CurrentSensorText("User Define", "Thermoresisor", "PT%1"),
              "Current Load Sensor:User Define/Thermoresisor/PT%1");
}

// ---- Readings file -------------------------------------------------------------

TEST(ReadingsFileFormatTest, OneFieldPerCrLfLine)
{
    const std::pair<std::string, std::string> cases[] = {
        {"+1.0E+00,-2.5E-01\n", "+1.0E+00\r\n-2.5E-01\r\n\r\n"},
        {"+1.0E+00,,-2.5E-01\n", "+1.0E+00\r\n\r\n-2.5E-01\r\n\r\n"},
        {"\n", "\r\n\r\n"},
        {"", "\r\n"},
        {"7", "7\r\n"},
        {",", "\r\n\r\n"},
        {" +1.0E+00 ,x\n", " +1.0E+00 \r\nx\r\n\r\n"},
    };
    for (const auto& [reply, file] : cases) {
        EXPECT_EQ(FormatReadingsFile(reply), file) << reply;
    }
}

TEST(ReadingsFileFormatTest, OutcomeMessagesNameTheFile)
{
    EXPECT_TRUE(SaveOutcomeMessage({SaveResult::Saved, {}}, "/tmp/a.csv").isEmpty());
    const SaveResult failures[] = {SaveResult::CannotCreate, SaveResult::NoReply,
                                   SaveResult::ReplyTooLong, SaveResult::WriteFailed};
    for (const SaveResult result : failures) {
        const QString text = SaveOutcomeMessage({result, "Permission denied"}, "/tmp/a.csv");
        EXPECT_TRUE(text.contains("/tmp/a.csv")) << text.toStdString();
    }
    EXPECT_TRUE(SaveOutcomeMessage({SaveResult::CannotCreate, "Permission denied"}, "x")
                    .contains("Permission denied"));
    EXPECT_FALSE(SaveOutcomeMessage({SaveResult::NotConnected, {}}, {}).isEmpty());
}

// ---- Main window geometry ----------------------------------------------------------

TEST(MainWindowLayoutTest, FixedPixelRules)
{
    EXPECT_EQ(MainWindowLayout::ClientSize().width(), 800);
    EXPECT_EQ(MainWindowLayout::ClientSize().height(), 621);  // 382 units of 1.625 px
    const QRect view = MainWindowLayout::ViewRect();
    EXPECT_EQ(view.left(), 6);
    EXPECT_EQ(view.top(), 343);
    EXPECT_EQ(view.width(), 640);
    EXPECT_EQ(view.top() + view.height(), MainWindowLayout::LowerBandLine().top());
    const QRect list = MainWindowLayout::ListRect();
    EXPECT_EQ(list.left(), 650);
    EXPECT_EQ(list.width(), 135);
    EXPECT_EQ(list.top(), 343);
    EXPECT_EQ(list.height(), 210);
    // The band lies below the 328-pixel panel, and the list beside the views.
    EXPECT_GT(MainWindowLayout::PanelLine().top(), 328);
    EXPECT_GT(list.left(), view.right());
}

}  // namespace
