#include "functions/MathSettings.h"

#include <mutex>

namespace voltora::functions {
namespace {

std::mutex& SettingsMutex()
{
    static std::mutex mutex;
    return mutex;
}

MathSettings& Settings()
{
    static MathSettings settings;
    return settings;
}

}  // namespace

MathSettings GetMathSettings()
{
    std::lock_guard<std::mutex> guard(SettingsMutex());
    return Settings();
}

void SetMathSettings(const MathSettings& settings)
{
    std::lock_guard<std::mutex> guard(SettingsMutex());
    Settings() = settings;
}

}  // namespace voltora::functions
