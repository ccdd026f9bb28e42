#pragma once

#include <optional>
#include <string>
#include <vector>

namespace voltora::sim {

// One point of a transducer's conversion table: the sensor's raw value
// (thermocouple voltage in volts, resistance thermometer resistance in ohms)
// at a temperature in degrees Celsius.
struct TransducerPoint {
    double raw;
    double temperature;
};

// A transducer's conversion table. The meter converts the raw value to a
// temperature by linear interpolation between the points, whether the table
// is one of its built-in definitions or a user's.
class TransducerTable {
public:
    // `points` must rise in both raw value and temperature (Valid() checks).
    TransducerTable(std::string name, bool rtd, std::vector<TransducerPoint> points);

    // At least two points, both columns strictly rising, all finite.
    static bool Valid(const std::vector<TransducerPoint>& points);

    const std::string& Name() const { return name_; }
    bool IsRtd() const { return rtd_; }
    const std::vector<TransducerPoint>& Points() const { return points_; }

    // Nothing outside the table: the sensor is beyond what it can measure.
    std::optional<double> RawAt(double temperature) const;
    std::optional<double> TemperatureAt(double raw) const;

    // The "POIN?" reply body: "index|raw|temperature" entries, index from 1,
    // separated by commas.
    const std::string& PointsText() const { return pointsText_; }

private:
    std::string name_;
    bool rtd_;
    std::vector<TransducerPoint> points_;
    std::string pointsText_;
};

}  // namespace voltora::sim
