// voltora-scpi: scripting the simulated meter, an unreachable meter, and the
// USB listing with and without a VISA library named by the environment; exit
// status and output both count.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <sys/wait.h>

namespace {

std::string RunCommand(const std::string& command, int& status)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string output;
    char buffer[512];
    while (pipe != nullptr && std::fgets(buffer, sizeof(buffer), pipe) != nullptr) {
        output += buffer;
    }
    const int raw = pipe != nullptr ? pclose(pipe) : -1;
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

TEST(ScpiToolTest, ListRunsCleanlyOnThisMachine)
{
    int status = -1;
    const std::string output =
        RunCommand(std::string("env -u VOLTORA_VISA_LIBRARY ") + VOLTORA_SCPI_PATH + " --list", status);
    EXPECT_EQ(status, 0) << output;
    // Either no instrument, or one line per instrument: resource, tab, model.
    if (output != "No USB instruments found.\n") {
        std::size_t start = 0;
        while (start < output.size()) {
            const std::size_t end = output.find('\n', start);
            const std::string line = output.substr(start, end - start);
            EXPECT_EQ(line.rfind("USB", 0), 0u) << line;
            EXPECT_NE(line.find('\t'), std::string::npos) << line;
            start = end == std::string::npos ? output.size() : end + 1;
        }
    }
}

TEST(ScpiToolTest, ListAndQueryThroughANamedVisaLibrary)
{
    const std::string environment =
        std::string("env VOLTORA_VISA_LIBRARY=") + VOLTORA_TEST_VISA_LIBRARY + " ";
    int status = -1;
    std::string output = RunCommand(environment + VOLTORA_SCPI_PATH + " --list", status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output, "USB0::0x5A4E::0x0001::LIB0001::INSTR\tZAN Library Meter\n");

    output = RunCommand(environment + VOLTORA_SCPI_PATH +
                     " --resource USB0::0x5A4E::0x0001::LIB0001::INSTR IDN-ZOBR-PRI?",
                 status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output, "ZAN,LIBRARY-METER,LIB0001,2.0\n");
}

TEST(ScpiToolTest, MissingVisaLibraryIsReported)
{
    int status = -1;
    const std::string output =
        RunCommand(std::string("env VOLTORA_VISA_LIBRARY=/nonexistent/libvisa.so ") + VOLTORA_SCPI_PATH +
                " --resource USB0::0x5A4E::0x0001::LIB0001::INSTR IDN-ZOBR-PRI?",
            status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(output.find("/nonexistent/libvisa.so"), std::string::npos) << output;
    EXPECT_NE(output.find("VOLTORA_VISA_LIBRARY"), std::string::npos) << output;
}

}  // namespace

TEST(ScpiToolTest, ScriptsTheSimulatedMeterByDefault)
{
    int status = -1;
    std::string output =
        RunCommand(std::string("env -u VOLTORA_VISA_LIBRARY ") + VOLTORA_SCPI_PATH + " IDN-ZOBR-PRI?", status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("ZAN"), std::string::npos) << output;

    output = RunCommand(std::string("env -u VOLTORA_VISA_LIBRARY ") + VOLTORA_SCPI_PATH +
                            " 'FUNC \"CURR:DC\"' FUNCTION? DATA:LAST?",
                        status);
    EXPECT_EQ(status, 0) << output;
    // The function in quotes, then a current reading: a number, no overload.
    ASSERT_EQ(output.rfind("\"CURR\"\n", 0), 0u) << output;
    const std::string reading = output.substr(7);
    EXPECT_NE(reading.find(" ADC"), std::string::npos) << output;
    const double value = std::strtod(reading.c_str(), nullptr);
    EXPECT_LT(std::abs(value), 9.9e37) << output;
}

TEST(ScpiToolTest, AQuestionMarkInTheHeaderMakesAQueryAndOptionsForceEither)
{
    const std::string tool = std::string("env -u VOLTORA_VISA_LIBRARY ") + VOLTORA_SCPI_PATH;
    // Replies go to standard output and the trace ("> " lines, what the
    // meter received) to standard error, so only their presence is checked.
    const struct {
        const char* arguments;
        int status;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    } cases[] = {
        // A query with an argument after its header: the table's points.
        {" 'TEMP:MDEF:THER:TRAN:POIN? KITS90'", 0, {"1|-6.457738E-03|-270.0,2|"}, {}},
        // A "?" in an argument alone makes no query: sent, nothing read.
        {" --trace 'FUNC \"VOLT:DC?\"' FUNCTION?", 0, {"> FUNC \"VOLT:DC?\"\n", "\"VOLT\"\n"}, {"no reply"}},
        // Forced to read a reply the meter never sends.
        {" --query 'SYST:BEEP:STAT OFF'", 1, {"voltora-scpi: no reply to SYST:BEEP:STAT OFF\n"}, {}},
        // Forced to send only.
        {" --trace --write FUNCTION?", 0, {"> FUNCTION?\n"}, {"\"VOLT\"", "no reply"}},
        {" --trace --query FUNCTION?", 0, {"> FUNCTION?\n", "\"VOLT\"\n"}, {"no reply"}},
    };
    for (const auto& c : cases) {
        int status = -1;
        const std::string output = RunCommand(tool + c.arguments, status);
        EXPECT_EQ(status, c.status) << c.arguments << "\n" << output;
        for (const std::string& text : c.present) {
            EXPECT_NE(output.find(text), std::string::npos) << c.arguments << ": " << text << "\n" << output;
        }
        for (const std::string& text : c.absent) {
            EXPECT_EQ(output.find(text), std::string::npos) << c.arguments << ": " << text << "\n" << output;
        }
    }
}

TEST(ScpiToolTest, UnreachableMeterExitsWithAMessage)
{
    int status = -1;
    const std::string output = RunCommand(std::string("env -u VOLTORA_VISA_LIBRARY ") + VOLTORA_SCPI_PATH +
                                              " --resource TCPIP0::127.0.0.1::1::SOCKET IDN-ZOBR-PRI?",
                                          status);
    EXPECT_NE(status, 0);
    EXPECT_NE(output.find("could not open"), std::string::npos) << output;
}
