// voltora-log's command line: what it accepts, what it refuses and why.

#include "tools/LogOptions.h"

#include <gtest/gtest.h>

#include <clocale>

using voltora::tools::LogOptions;
using voltora::tools::ParseLogOptions;

namespace {

std::string Refusal(std::vector<std::string> arguments)
{
    LogOptions options;
    std::string error;
    return ParseLogOptions(arguments, options, error) ? "<accepted>" : error;
}

}  // namespace

TEST(LogOptionsTest, AcceptsTheDocumentedForms)
{
    LogOptions options;
    std::string error;
    ASSERT_TRUE(ParseLogOptions({"--resource", "TCPIP0::127.0.0.1::5025::SOCKET", "--function", "dcv",
                                 "--interval", "0.25", "--count", "100", "--output", "out.csv"},
                                options, error))
        << error;
    EXPECT_EQ(options.resource, "TCPIP0::127.0.0.1::5025::SOCKET");
    EXPECT_EQ(options.function, "DCV");
    EXPECT_EQ(options.intervalSeconds, 0.25);
    EXPECT_EQ(options.count, 100u);
    EXPECT_EQ(options.durationSeconds, 0.0);
    EXPECT_EQ(options.output, "out.csv");

    LogOptions byKeyWord;
    ASSERT_TRUE(ParseLogOptions({"--resource", "R", "--function", "VOLT:AC", "--duration", "2.5"},
                                byKeyWord, error));
    EXPECT_EQ(byKeyWord.function, "ACV");
    EXPECT_EQ(byKeyWord.durationSeconds, 2.5);

    LogOptions help;
    EXPECT_TRUE(ParseLogOptions({"--help"}, help, error));
    EXPECT_TRUE(help.help);
}

TEST(LogOptionsTest, RefusesWhatMakesNoSense)
{
    const struct {
        std::vector<std::string> arguments;
        const char* error;
    } cases[] = {
        {{}, "--resource is required"},
        {{"--resource"}, "option --resource needs a value"},
        {{"--resource", "R", "--count", "10", "--duration", "5"},
         "--count and --duration cannot be used together"},
        {{"--resource", "R", "--count", "0"}, "--count needs a whole number above 0, not 0"},
        {{"--resource", "R", "--count", "-3"}, "--count needs a whole number above 0, not -3"},
        {{"--resource", "R", "--count", "1e3"}, "--count needs a whole number above 0, not 1e3"},
        {{"--resource", "R", "--interval", "0,5"}, "--interval needs a number of seconds, not 0,5"},
        {{"--resource", "R", "--interval", "-1"}, "--interval needs a number of seconds, not -1"},
        {{"--resource", "R", "--duration", "0"}, "--duration needs a number of seconds above 0, not 0"},
        {{"--resource", "R", "--function", "OHMS"}, "unknown function OHMS"},
        {{"--resource", "R", "--colour", "red"}, "unknown option --colour"},
        {{"--resource", "R", "stray"}, "unexpected argument stray"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Refusal(c.arguments), c.error);
    }
}

TEST(LogOptionsTest, NumbersAreReadInTheCLocaleWhateverTheProcessLocale)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (scripts/setup.sh generates it)";
    }
    LogOptions options;
    std::string error;
    const bool accepted = ParseLogOptions({"--resource", "R", "--interval", "0.5"}, options, error);
    const std::string refused = Refusal({"--resource", "R", "--interval", "0,5"});
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_TRUE(accepted) << error;
    EXPECT_EQ(options.intervalSeconds, 0.5);
    EXPECT_NE(refused, "<accepted>");
}

TEST(LogOptionsTest, HelpNamesEveryOptionAndFunction)
{
    const std::string usage = voltora::tools::LogUsage();
    for (const char* option : {"--resource", "--function", "--interval", "--count", "--duration",
                               "--output", "--help", "SIGINT", "Exit status"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
    for (const auto& function : voltora::tools::LogFunctions()) {
        EXPECT_NE(usage.find(std::string(" ") + function.shortName), std::string::npos);
        EXPECT_EQ(voltora::tools::FindLogFunction(function.shortName), &function);
    }
}
