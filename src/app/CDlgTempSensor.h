#pragma once

#include <QDialog>

class IConnection;

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QTableWidget;

// The temperature sensor dialog: the kind of definition (built-in or user
// table), the sensor type (thermocouple or resistance thermometer) and one
// of the meter's tables for that pair, whose conversion points it shows.
// Modeless: created once, then hidden and shown again with its lists as the
// user left them. The name lists are read from the meter when it is created.
class CDlgTempSensor : public QDialog {
    Q_OBJECT

public:
    enum ControlId : int {
        kOkButton = 1,
        kCancelButton = 2,
        kPointsTable = 1005,
        kTypeList = 1007,
        kSensorList = 1008,
        kDefinitionList = 1010,
        kStatusText = 1011,
    };

    // Receives the choice on OK: definition index (0 built-in, 1 user),
    // type index (0 thermocouple, 1 resistance) and the table's name.
    using SensorTarget = std::function<void(int definition, int type, const std::wstring& name)>;

    // `connection` tells whether a meter is there to read from.
    explicit CDlgTempSensor(IConnection& connection, QWidget* parent = nullptr);

    void SetTarget(SensorTarget chosen) { target = std::move(chosen); }

    void accept() override;

private:
    void FillNameLists();
    void OnDefinitionChanged();
    void OnTypeChanged();
    void OnSensorChanged();
    void ShowNames(const std::vector<std::string>& names);
    const std::vector<std::string>& NamesOf(int definition, int type) const;

    SensorTarget target;
    std::vector<std::string> builtInThermocouples;
    std::vector<std::string> builtInResistances;
    std::vector<std::string> userThermocouples;
    std::vector<std::string> userResistances;

    QTableWidget* pointsTable = nullptr;
    QListWidget* definitionList = nullptr;
    QListWidget* typeList = nullptr;
    QListWidget* sensorList = nullptr;
    QLabel* statusText = nullptr;
};
