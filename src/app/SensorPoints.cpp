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
        const qsizetype first = entry.indexOf(QLatin1Char('|'));
        const qsizetype last = entry.lastIndexOf(QLatin1Char('|'));
        if (first < 0) {
            row.temp = entry;
        } else {
            if (last > first) {
                row.volt = entry.mid(first + 1, last - first - 1);
            }
            row.temp = entry.mid(last + 1);
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
