#pragma once

#include <QString>

#include <vector>

namespace voltora::app {

// One row of the sensor dialog's points table.
struct SensorPointRow {
    QString number;  // 1, 2, ... in decimal
    QString volt;
    QString temp;
};

// The rows of a points reply: entries separated by ",", each made of fields
// separated by "|" ("1|0.000000|0.0"). Row k shows k, the text between the
// entry's first and last "|" and the text after its last "|"; an entry
// without "|" shows an empty voltage and the whole entry as temperature.
// Every entry gives a row, the text after the last comma included, so an
// empty reply gives one empty row and a reply ending in "," an empty last
// row. The reply's terminator stays on the last row.
std::vector<SensorPointRow> ParseSensorPoints(const QString& reply);

// The dialog's status line: "Current Load Sensor:<definition>/<type>/<name>".
QString CurrentSensorText(const QString& definition, const QString& type, const QString& name);

}  // namespace voltora::app
