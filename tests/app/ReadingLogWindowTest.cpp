// Continuous logging from the main window: the menu items, the display's
// indicator, the file's header and end lines, and a write failure.
#include "AppWindowFixture.h"
#include "app/MainMenu.h"
#include "app/ReadingLogControl.h"
#include "functions/ReadingLog.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <thread>

using namespace voltora::app;
using namespace voltora::app::testing;
using namespace voltora::functions;

namespace {

class ReadingLogWindowTest : public AppWindowFixture {
protected:
    QStringList FileLines(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    static int RowCount(const QStringList& lines)
    {
        int rows = 0;
        for (const QString& line : lines) {
            rows += line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1String("time,")) ? 0 : 1;
        }
        return rows;
    }

    QTemporaryDir dir;
};

TEST_F(ReadingLogWindowTest, StartLoggingNeedsAConnectionAndComesAfterTheAcquireItems)
{
    CZANDlg& shown = Window();
    EXPECT_EQ(shown.Action(kStartLoggingCommand)->text(), "Start &logging...");
    EXPECT_EQ(shown.Action(kStopLoggingCommand)->text(), "S&top logging");
    EXPECT_FALSE(IsEnabled(kStartLoggingCommand));
    EXPECT_FALSE(IsEnabled(kStopLoggingCommand));
    // In the Acquire menu after the prescribed items.
    const QList<QObject*> menus = shown.Action(kStartLoggingCommand)->associatedObjects();
    ASSERT_FALSE(menus.isEmpty());
    const auto* acquire = qobject_cast<QWidget*>(menus.constFirst());
    ASSERT_NE(acquire, nullptr);
    const QList<QAction*> items = acquire->actions();
    ASSERT_GE(items.size(), 6);
    EXPECT_EQ(items[0]->text(), "&Delay");
    EXPECT_EQ(items[items.size() - 2], shown.Action(kStartLoggingCommand));
    EXPECT_EQ(items[items.size() - 1], shown.Action(kStopLoggingCommand));

    shown.OnStartLogging();  // as from a shortcut while unconnected
    ASSERT_EQ(ShownTexts().size(), 1u);
    EXPECT_EQ(shell.saveFileRequests, 0);

    ASSERT_TRUE(ConnectSimulated());
    EXPECT_TRUE(IsEnabled(kStartLoggingCommand));
    EXPECT_FALSE(IsEnabled(kStopLoggingCommand));
}

TEST_F(ReadingLogWindowTest, LogsReadingsWithIndicatorUntilStopped)
{
    ASSERT_TRUE(ConnectSimulated());
    const QString path = dir.filePath(QStringLiteral("run.csv"));
    shell.saveFiles.push_back(path);
    Window().Action(kStartLoggingCommand)->trigger();
    ReadingLogControl* logging = Window().Logging();
    ASSERT_TRUE(logging->IsLogging());
    EXPECT_FALSE(IsEnabled(kStartLoggingCommand));
    EXPECT_TRUE(IsEnabled(kStopLoggingCommand));
    ASSERT_TRUE(WaitUntil([&] { return logging->RowsWritten() >= 20; }));
    ASSERT_TRUE(WaitUntil([&] { return logging->Indicator()->text() != QLatin1String("LOG 0"); }));
    EXPECT_FALSE(logging->Indicator()->isHidden());
    EXPECT_TRUE(logging->Indicator()->text().startsWith(QLatin1String("LOG ")));

    Window().Action(kStopLoggingCommand)->trigger();
    EXPECT_FALSE(logging->IsLogging());
    EXPECT_TRUE(logging->Indicator()->isHidden());
    EXPECT_TRUE(IsEnabled(kStartLoggingCommand));

    const QStringList lines = FileLines(path);
    ASSERT_GE(lines.size(), 25);
    EXPECT_EQ(lines[0], "# Voltora reading log");
    EXPECT_TRUE(lines[1].startsWith(QLatin1String("# instrument: ")) && lines[1].contains("ZAN"))
        << lines[1].toStdString();
    EXPECT_EQ(lines[2], "# resource: SIM0::ZAN::INSTR");
    EXPECT_EQ(lines[3], "time,seconds,function,value,unit,range");
    EXPECT_EQ(lines[4].split(QLatin1Char(',')).value(2), "DC Voltage");
    EXPECT_EQ(lines.last(), QStringLiteral("# end: logging stopped; %1 rows").arg(RowCount(lines)));
    EXPECT_TRUE(ShownTexts().empty());
}

TEST_F(ReadingLogWindowTest, DisconnectEndsTheLogWithItsReason)
{
    ASSERT_TRUE(ConnectSimulated());
    const QString path = dir.filePath(QStringLiteral("disconnect.csv"));
    shell.saveFiles.push_back(path);
    Window().OnStartLogging();
    ASSERT_TRUE(WaitUntil([&] { return Window().Logging()->RowsWritten() >= 5; }));
    Window().Action(kDisconnectCommand)->trigger();
    EXPECT_FALSE(Window().Logging()->IsLogging());
    EXPECT_FALSE(IsEnabled(kStartLoggingCommand));
    const QStringList lines = FileLines(path);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.last(), QStringLiteral("# end: disconnected; %1 rows").arg(RowCount(lines)));
}

TEST_F(ReadingLogWindowTest, ClosingTheWindowEndsTheLogAsClosedNotAsALostLink)
{
    ASSERT_TRUE(ConnectSimulated());
    const QString path = dir.filePath(QStringLiteral("closed.csv"));
    shell.saveFiles.push_back(path);
    Window().OnStartLogging();
    ASSERT_TRUE(WaitUntil([&] { return Window().Logging()->RowsWritten() >= 3; }));
    Window().done(0);
    const QStringList lines = FileLines(path);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.last(), QStringLiteral("# end: program closed; %1 rows").arg(RowCount(lines)));
}

TEST_F(ReadingLogWindowTest, ALogEndedByTheWorkerUpdatesTheWindowQuietly)
{
    ASSERT_TRUE(ConnectSimulated());
    const QString path = dir.filePath(QStringLiteral("lost.csv"));
    shell.saveFiles.push_back(path);
    Window().OnStartLogging();
    ASSERT_TRUE(WaitUntil([&] { return Window().Logging()->RowsWritten() >= 3; }));
    // What a worker does when the meter stops answering, from its own thread.
    std::thread worker([] { voltora::functions::EndActiveReadingLog(voltora::functions::kLinkLostReason); });
    worker.join();
    ASSERT_TRUE(WaitUntil([&] { return !Window().Logging()->IsLogging(); }));
    EXPECT_TRUE(Window().Logging()->Indicator()->isHidden());
    EXPECT_TRUE(IsEnabled(kStartLoggingCommand));
    EXPECT_FALSE(IsEnabled(kStopLoggingCommand));
    EXPECT_TRUE(ShownTexts().empty());
    const QStringList lines = FileLines(path);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.last(), QStringLiteral("# end: %1; %2 rows")
                                .arg(QLatin1String(voltora::functions::kLinkLostReason))
                                .arg(RowCount(lines)));
}

TEST_F(ReadingLogWindowTest, AWriteFailureStopsLoggingWithOneMessage)
{
    ASSERT_TRUE(ConnectSimulated());
    shell.saveFiles.push_back(QStringLiteral("/dev/full"));
    Window().OnStartLogging();
    ASSERT_TRUE(WaitUntil([&] { return !Window().Logging()->IsLogging(); }));
    EXPECT_TRUE(Window().Logging()->Indicator()->isHidden());
    EXPECT_TRUE(IsEnabled(kStartLoggingCommand));
    const auto texts = ShownTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0].startsWith(QLatin1String("Logging stopped: writing to /dev/full failed")))
        << texts[0].toStdString();
}

TEST_F(ReadingLogWindowTest, AFileThatCannotBeCreatedIsSaidAndNothingStarts)
{
    ASSERT_TRUE(ConnectSimulated());
    shell.saveFiles.push_back(dir.filePath(QStringLiteral("no/such/dir/log.csv")));
    Window().OnStartLogging();
    EXPECT_FALSE(Window().Logging()->IsLogging());
    const auto texts = ShownTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0].startsWith(QLatin1String("Cannot create "))) << texts[0].toStdString();
}

}  // namespace
