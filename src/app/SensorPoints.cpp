#include "app/SensorPoints.h"

#include <QStringList>

namespace voltora::app {

std::vector<SensorPointRow> ParseSensorPoints(const QString& reply)
{
    std::vector<SensorPointRow> rows;
    const QStringList entries = reply.split(QLatin1Char(','), Qt::KeepEmptyParts);
    int number = 0;
    for (const QString& entry : entries) {
        SensorPointRow row;
        row.number = QString::number(++number);
        // Index, volt and temperature separated by "|": the second and third
        // fields are shown, and fields after a third are not part of either.
        // With fewer fields the last one goes under "Temp".
        const QStringList fields = entry.split(QLatin1Char('|'), Qt::KeepEmptyParts);
        if (fields.size() >= 3) {
            row.volt = fields[1];
            row.temp = fields[2];
        } else {
            row.temp = fields.back();
        }
        rows.push_back(row);
    }
    return rows;
}

QString CurrentSensorText(const QString& definition, const QString& type, const QString& name)
{
    return QStringLiteral("Current Load Sensor:%1/%2/%3").arg(definition, type, name);
}

}  // namespace voltora::app
