// Saving the meter's reading memory: the exact bytes of the file, overwrite,
// cancel, the failures a user must hear about, a full memory, and the
// worker kept out of the abort-fetch-restart sequence.
#include "AppWindowFixture.h"
#include "ScriptedMeters.h"
#include "app/ReadingsFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>

using namespace voltora::app;
using namespace voltora::app::testing;
using voltora::testing::ScopedScriptedBackend;

namespace {

constexpr const char* kScriptedResource = "USB0::0x5345::0x1234::SAVE::INSTR";

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray("<cannot read>");
    }
    return file.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A scripted meter whose "FETCh?" reply the test sets, opened without the
// panel so that the save's exchange is all it sees.
class SaveReadingsTest : public AppWindowFixture {
protected:
    void SetUp() override
    {
        AppWindowFixture::SetUp();
        ASSERT_TRUE(folder.isValid());
        device = backend->AddDevice(kScriptedResource, "ZAN Scripted");
        device->SetResponder([this](const std::string& message) -> std::optional<std::string> {
            if (message == "IDN-ZOBR-PRI?") {
                return std::string("ZAN,ZDM1000,TEST,1.0\n");
            }
            if (message == "FETCh?") {
                return fetchReply;
            }
            return std::nullopt;
        });
    }

    void OpenScripted()
    {
        ASSERT_TRUE(CConectWithNI::Instance()->Open(kScriptedResource));
        device->ClearWrites();
    }

    QString Path(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }

    ScopedScriptedBackend backend;
    std::shared_ptr<voltora::testing::ScriptedDevice> device;
    std::optional<std::string> fetchReply;
    QTemporaryDir folder;
};

TEST_F(SaveReadingsTest, FileHoldsEachFieldOnACrLfLineAndReplacesAnOldFile)
{
    OpenScripted();
    const QString path = Path("readings.csv");
    WriteFile(path, "old content that is longer than the new one\r\n");
    fetchReply = "+1.00000000E+00,,-2.50000000E-01\n";
    shell.saveFiles.push_back(path);
    Window().OnSaveData();
    EXPECT_EQ(FileBytes(path), QByteArray("+1.00000000E+00\r\n\r\n-2.50000000E-01\r\n\r\n"));
    EXPECT_EQ(device->Writes(), (std::vector<std::string>{"ABORt", "FETCh?", "INIT"}));
    EXPECT_TRUE(ShownTexts().empty());
    // Nothing else is left in the folder (no temporary file).
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"readings.csv"});
}

TEST_F(SaveReadingsTest, CancelledFileChoiceSendsNothing)
{
    OpenScripted();
    Window().OnSaveData();  // the chooser answers with no file
    EXPECT_EQ(shell.saveFileRequests, 1);
    EXPECT_TRUE(device->Writes().empty());
    EXPECT_TRUE(ShownTexts().empty());
}

TEST_F(SaveReadingsTest, WithoutAMeterNothingIsWrittenAndTheUserIsTold)
{
    shell.saveFiles.push_back(Path("none.csv"));
    Window().OnSaveData();
    EXPECT_EQ(shell.saveFileRequests, 0);
    EXPECT_FALSE(QFileInfo::exists(Path("none.csv")));
    ASSERT_EQ(ShownTexts().size(), 1u);
    EXPECT_EQ(shell.messages[0].text, SaveOutcomeMessage({SaveResult::NotConnected, {}}, {}));
}

TEST_F(SaveReadingsTest, FileThatCannotBeCreatedIsReportedAndNothingIsSent)
{
    OpenScripted();
    const QString path = Path("missing-folder/readings.csv");
    shell.saveFiles.push_back(path);
    fetchReply = "+1.0E+00\n";
    Window().OnSaveData();
    EXPECT_TRUE(device->Writes().empty());
    const auto texts = ShownTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0].contains(path)) << texts[0].toStdString();
    EXPECT_EQ(shell.messages[0].icon, MessageIcon::Error);
}

TEST_F(SaveReadingsTest, SilentMeterLeavesTheOldFileAndStopsWithOneMessage)
{
    OpenScripted();
    const QString path = Path("keep.csv");
    WriteFile(path, "1\r\n2\r\n");
    fetchReply = std::nullopt;  // no reply: the read times out
    shell.saveFiles.push_back(path);
    Window().OnSaveData();
    EXPECT_EQ(FileBytes(path), QByteArray("1\r\n2\r\n"));
    // The sequence stops at its first failed exchange: no "INIT" after it.
    EXPECT_EQ(device->Writes(), (std::vector<std::string>{"ABORt", "FETCh?"}));
    const auto texts = ShownTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], CConectWithNI::kCommunicationFailedMessage);
}

TEST_F(SaveReadingsTest, FullMemoryIsSavedWhole)
{
    OpenScripted();
    // 12000 readings of 16 bytes: far beyond the 160000-byte cut.
    std::string reply;
    for (int i = 0; i < 12000; ++i) {
        reply += (i % 2 ? "-1.23456789E+00" : "+9.87654321E-01");
        reply += i + 1 < 12000 ? "," : "\n";
    }
    ASSERT_GT(reply.size(), 160000u);
    fetchReply = reply;
    const QString path = Path("full.csv");
    shell.saveFiles.push_back(path);
    Window().OnSaveData();
    const QByteArray bytes = FileBytes(path);
    EXPECT_EQ(bytes.toStdString(), FormatReadingsFile(reply));
    EXPECT_TRUE(bytes.endsWith("-1.23456789E+00\r\n\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 12001);
}

TEST_F(SaveReadingsTest, WriteFailureIsReportedAndTheOldFileKept)
{
    OpenScripted();
    const QString path = Path("limited.csv");
    WriteFile(path, "old\r\n");
    fetchReply = std::string(100000, '1') + "\n";
    shell.saveFiles.push_back(path);
    // A file-size limit makes the write fail as a full disk would.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    Window().OnSaveData();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(FileBytes(path), QByteArray("old\r\n"));
    const auto texts = ShownTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("Writing the file \"%1\" failed").arg(path)))
        << texts[0].toStdString();
}

// On the simulated meter with the worker running: the worker sends nothing
// between "ABORt" and "INIT", and reading resumes afterwards.
TEST_F(AppWindowFixture, SaveKeepsTheWorkerOutOfTheAbortFetchRestartSequence)
{
    ASSERT_TRUE(ConnectSimulated());
    // Let the meter collect readings, then save while the worker polls.
    ASSERT_TRUE(WaitUntil([this] { return CountOf(Transcript(), "DATA:LAST?") >= 5; }));
    QTemporaryDir folder;
    const QString path = folder.filePath("sim.csv");
    shell.saveFiles.push_back(path);
    Window().OnSaveData();
    const auto transcript = Transcript();
    const auto abort = std::find(transcript.begin(), transcript.end(), "ABORt");
    ASSERT_NE(abort, transcript.end());
    ASSERT_LE(abort + 3, transcript.end());
    EXPECT_EQ(*(abort + 1), "FETCh?");
    EXPECT_EQ(*(abort + 2), "INIT");
    EXPECT_TRUE(ShownTexts().empty());

    // The file holds the meter's readings, one per line, with the empty last line.
    const QByteArray bytes = FileBytes(path);
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_TRUE(bytes.endsWith("\r\n\r\n"));
    EXPECT_FALSE(bytes.contains(','));
    // Reading goes on.
    const int before = CountOf(Transcript(), "DATA:LAST?");
    EXPECT_TRUE(WaitUntil([&] { return CountOf(Transcript(), "DATA:LAST?") > before; }));
}

}  // namespace
