#include "support/QtTestApplication.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace voltora::testing {
namespace {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    QtApplicationEnvironment(int& argc, char** argv) : argc_(argc), argv_(argv) {}

    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        application_ = std::make_unique<QApplication>(argc_, argv_);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir_.path());
    }

    void TearDown() override { application_.reset(); }

private:
    int& argc_;
    char** argv_;
    std::unique_ptr<QApplication> application_;
    QTemporaryDir settingsDir_;
};

}  // namespace

bool QtApplicationReady()
{
    return QApplication::instance() != nullptr;
}

}  // namespace voltora::testing

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(
        new voltora::testing::QtApplicationEnvironment(argc, argv));
    return RUN_ALL_TESTS();
}
