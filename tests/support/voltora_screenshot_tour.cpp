// voltora-screenshot-tour: the desktop program with its picture tour.
//
//   voltora-screenshot-tour FOLDER [voltora options]
//
// Starts like voltora with the given options (for the tour: --simulate),
// then walks through every function and view, saves a picture of the main
// window for each into FOLDER and closes the window. The exit code is not 0
// when a step got no readings or a picture could not be written.
#include "app/CZANApp.h"
#include "link/CConectWithNI.h"
#include "sim/backend/SimulatedMeterBackend.h"
#include "support/ScreenshotTour.h"

#include <QString>
#include <QTimer>

#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2 || argv[1][0] == '-') {
        std::fputs("usage: voltora-screenshot-tour FOLDER [voltora options]\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    // The program's own arguments, without the folder.
    std::vector<char*> arguments{argv[0]};
    arguments.insert(arguments.end(), argv + 2, argv + argc);
    arguments.push_back(nullptr);

    voltora::sim::SimulatedMeterBackend::Register();
    return CZANApp::Run(argc - 1, arguments.data(), *CConectWithNI::Instance(), [&folder](CZANDlg& window) {
        auto* tour = new voltora::testing::ScreenshotTour(window, folder);
        QTimer::singleShot(0, tour, &voltora::testing::ScreenshotTour::Start);
    });
}
