#include "app/CDlgTempSensor.h"

#include "app/SensorPoints.h"
#include "link/IConnection.h"
#include "scpi/Commands.h"
#include "views/TemplateBuilder.h"

#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>

#include <cstring>

using voltora::app::CurrentSensorText;
using voltora::app::ParseSensorPoints;
using namespace voltora::scpi;

namespace {

const char* const kDefinitionTexts[] = {"Manu Define", "User Define"};
const char* const kTypeTexts[] = {"Thermocouple", "Thermoresisor"};

using PointsQuery = bool (*)(const std::string&, char*, unsigned);

// The points query of a (definition, type) pair.
PointsQuery PointsQueryOf(int definition, int type)
{
    if (definition == 0) {
        return type == 0 ? QueryMdefTherPoints : QueryMdefRtdPoints;
    }
    return type == 0 ? QueryUdefTherPoints : QueryUdefRtdPoints;
}

constexpr std::size_t kMaxNameBytes = 255;

}  // namespace

CDlgTempSensor::CDlgTempSensor(IConnection& connection, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Select Sensor"));
    voltora::views::TemplateBuilder build(this);
    build.DialogSize(362, 265);
    auto* ok = build.Button(kOkButton, QStringLiteral("OK"), 205, 244, 50, 14);
    ok->setDefault(true);
    auto* cancel = build.Button(kCancelButton, QStringLiteral("Cancel"), 305, 244, 50, 14);
    definitionList = new QListWidget(this);
    build.Place(definitionList, kDefinitionList, 19, 22, 65, 27);
    typeList = new QListWidget(this);
    build.Place(typeList, kTypeList, 19, 58, 65, 27);
    sensorList = new QListWidget(this);
    build.Place(sensorList, kSensorList, 20, 94, 65, 79);
    pointsTable = new QTableWidget(this);
    build.Place(pointsTable, kPointsTable, 87, 46, 255, 127);
    statusText = build.Text(kStatusText, QString(), 90, 25, 252, 8);
    setFixedSize(size());

    // Points table: full-row selection, grid lines, three columns.
    pointsTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    pointsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    pointsTable->setShowGrid(true);
    pointsTable->verticalHeader()->hide();
    pointsTable->setColumnCount(3);
    pointsTable->setHorizontalHeaderLabels(
        {QString(), QStringLiteral("Volt"), QStringLiteral("Temp")});
    pointsTable->setColumnWidth(0, 50);
    pointsTable->setColumnWidth(1, 100);
    pointsTable->setColumnWidth(2, 100);
    pointsTable->horizontalHeaderItem(0)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    connect(ok, &QPushButton::clicked, this, &CDlgTempSensor::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgTempSensor::reject);
    // Only the user's selections notify; the dialog's own do not.
    connect(definitionList, &QListWidget::currentRowChanged, this, &CDlgTempSensor::OnDefinitionChanged);
    connect(typeList, &QListWidget::currentRowChanged, this, &CDlgTempSensor::OnTypeChanged);
    connect(sensorList, &QListWidget::currentRowChanged, this, &CDlgTempSensor::OnSensorChanged);

    if (!connection.IsConnected()) {
        return;  // the dialog stays empty for the rest of the run
    }
    FillNameLists();
    const QSignalBlocker blockDefinitions(definitionList);
    const QSignalBlocker blockTypes(typeList);
    const QSignalBlocker blockSensors(sensorList);
    for (const char* text : kDefinitionTexts) {
        definitionList->addItem(QString::fromLatin1(text));
    }
    definitionList->setCurrentRow(0);
    for (const char* text : kTypeTexts) {
        typeList->addItem(QString::fromLatin1(text));
    }
    typeList->setCurrentRow(0);
    ShowNames(builtInThermocouples);
}

void CDlgTempSensor::FillNameLists()
{
    QueryTransducerList("TEMP:MDEF:THER:TRAN:LIST?", builtInThermocouples);
    QueryTransducerList("TEMP:UDEF:THER:TRAN:LIST?", userThermocouples);
    QueryTransducerList("TEMP:MDEF:RTD:TRAN:LIST?", builtInResistances);
    QueryTransducerList("TEMP:UDEF:RTD:TRAN:LIST?", userResistances);
}

const std::vector<std::string>& CDlgTempSensor::NamesOf(int definition, int type) const
{
    if (definition == 0) {
        return type == 0 ? builtInThermocouples : builtInResistances;
    }
    return type == 0 ? userThermocouples : userResistances;
}

void CDlgTempSensor::ShowNames(const std::vector<std::string>& names)
{
    const QSignalBlocker block(sensorList);
    sensorList->clear();
    for (const std::string& name : names) {
        sensorList->addItem(QString::fromStdString(name));
    }
}

void CDlgTempSensor::OnDefinitionChanged()
{
    {
        const QSignalBlocker block(typeList);
        typeList->setCurrentRow(0);
    }
    ShowNames(NamesOf(definitionList->currentRow() == 1 ? 1 : 0, 0));
}

void CDlgTempSensor::OnTypeChanged()
{
    ShowNames(NamesOf(definitionList->currentRow() == 1 ? 1 : 0, typeList->currentRow() == 1 ? 1 : 0));
}

void CDlgTempSensor::OnSensorChanged()
{
    pointsTable->setRowCount(0);
    const QListWidgetItem* item = sensorList->currentItem();
    if (item == nullptr || item->text().isEmpty()) {
        return;
    }
    std::string name = item->text().toStdString();
    if (name.size() > kMaxNameBytes) {
        name.resize(kMaxNameBytes);
    }
    const int definition = definitionList->currentRow() == 1 ? 1 : 0;
    const int type = typeList->currentRow() == 1 ? 1 : 0;
    std::vector<char> reply(voltora::scpi::kTransducerPointsReplySize, '\0');
    PointsQueryOf(definition, type)(name, reply.data(), static_cast<unsigned>(reply.size()));
    // The reply ends at its first NUL byte, and never past the buffer.
    const QString text = QString::fromUtf8(reply.data(), static_cast<qsizetype>(::strnlen(reply.data(), reply.size())));

    const auto rows = ParseSensorPoints(text);
    pointsTable->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i);
        pointsTable->setItem(row, 0, new QTableWidgetItem(rows[i].number));
        auto* volt = new QTableWidgetItem(rows[i].volt);
        volt->setTextAlignment(Qt::AlignCenter);
        pointsTable->setItem(row, 1, volt);
        auto* temp = new QTableWidgetItem(rows[i].temp);
        temp->setTextAlignment(Qt::AlignCenter);
        pointsTable->setItem(row, 2, temp);
    }
    statusText->setText(CurrentSensorText(QString::fromLatin1(kDefinitionTexts[definition]),
                                          QString::fromLatin1(kTypeTexts[type]), item->text()));
}

void CDlgTempSensor::accept()
{
    const QListWidgetItem* item = sensorList->currentItem();
    if (item != nullptr && !item->text().isEmpty() && target) {
        const int definition = definitionList->currentRow() == 1 ? 1 : 0;
        const int type = typeList->currentRow() == 1 ? 1 : 0;
        target(definition, type, item->text().toStdWString());
    }
    hide();
    setResult(QDialog::Accepted);
}
