#include "app/LastResource.h"

#include <QSettings>

namespace voltora::app {
namespace {

constexpr const char* kKey = "connection/lastResource";

QSettings Settings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Voltora"),
                     QStringLiteral("Voltora"));
}

}  // namespace

std::string LoadLastResource()
{
    // Resource strings are ASCII: stored and read as Latin-1 bytes, with no
    // locale in between.
    return Settings().value(QLatin1String(kKey)).toString().toLatin1().toStdString();
}

void SaveLastResource(const std::string& resource)
{
    QSettings settings = Settings();
    settings.setValue(QLatin1String(kKey), QString::fromLatin1(resource.c_str()));
    settings.sync();
}

}  // namespace voltora::app
