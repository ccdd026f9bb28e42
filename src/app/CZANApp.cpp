#include "app/CZANApp.h"

#include "app/CZANDlg.h"
#include "app/CommandLine.h"
#include "app/MessageQueue.h"
#include "app/ShellHooks.h"
#include "link/CConectWithNI.h"
#include "scpi/InstrumentExchange.h"

#include <QApplication>

#include <cstdio>

using voltora::app::ParseCommandLine;

std::vector<std::string> CZANApp::Arguments(int argc, char** argv)
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    return arguments;
}

int CZANApp::Run(int argc, char** argv, CConectWithNI& connection,
                 const StartupHook& startupHook)
{
    // The program's options are checked, and --help and --version answered,
    // before the toolkit needs a display.
    const auto early = ParseCommandLine(voltora::app::WithoutToolkitOptions(Arguments(argc, argv)));
    if (!early.error.empty()) {
        std::fprintf(stderr, "voltora: %s\n%s", early.error.c_str(), voltora::app::UsageText().c_str());
        return 2;
    }
    if (early.help || early.version) {
        std::fputs(early.help ? voltora::app::UsageText().c_str()
                              : (voltora::app::VersionLine() + "\n").c_str(),
                   stdout);
        return 0;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Voltora"));
    QApplication::setApplicationVersion(QString::fromStdString(voltora::app::VersionText()));
    // Lets a desktop shell match the window to the installed menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.voltora.Voltora"));
    // Qt has taken its own options (such as -platform) out of argv.
    const auto options = ParseCommandLine(Arguments(argc, argv));
    if (!options.error.empty()) {
        std::fprintf(stderr, "voltora: %s\n%s", options.error.c_str(), voltora::app::UsageText().c_str());
        return 2;
    }

    const voltora::app::ShellHooks hooks = voltora::app::DefaultShellHooks();
    voltora::app::MessageQueue messages(hooks.showMessage);
    messages.InstallAsConnectionSink();

    // The command operations send through the connection the panel is handed.
    voltora::scpi::BindConnection(&connection);
    int exitCode = 0;
    {
        CZANDlg window(connection, hooks, &messages);
        if (!options.resource.empty()) {
            window.ConnectWhenShown(options.resource);
        }
        if (startupHook) {
            startupHook(window);
        }
        exitCode = window.exec();
        // Leaving the scope destroys the window: the panel (joining every
        // worker) before the views.
    }
    voltora::scpi::BindConnection(nullptr);
    // Accepted and Rejected are both a normal end.
    return exitCode > QDialog::Accepted ? exitCode : 0;
}
