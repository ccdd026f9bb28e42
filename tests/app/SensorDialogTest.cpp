// The temperature sensor dialog: its lists per definition and type, the
// points table, what OK reports, an unconnected first opening, and the whole
// road from the Load key to the transducer command.
#include "AppWindowFixture.h"
#include "app/CDlgTempSensor.h"
#include "views/TemplateBuilder.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

using namespace voltora::app;
using namespace voltora::app::testing;
using voltora::views::ControlName;

namespace {

class SensorDialogTest : public AppWindowFixture {
protected:
    void SetUp() override
    {
        AppWindowFixture::SetUp();
        ASSERT_TRUE(meter->AddUserTransducer(false, "MYTC", {{0.0, 0.0}, {0.004, 100.0}}));
        ASSERT_TRUE(meter->AddUserTransducer(true, "MYRTD", {{100.0, 0.0}, {119.4, 50.0}, {138.5, 100.0}}));
    }

    void OpenMeterDirectly()
    {
        ASSERT_TRUE(CConectWithNI::Instance()->Open(voltora::sim::SimulatedMeterBackend::kResource));
        meter->ClearTranscript();
    }

    static QListWidget* List(CDlgTempSensor& dialog, int id) { return dialog.findChild<QListWidget*>(ControlName(id)); }
    static QStringList Texts(QListWidget* list)
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i) {
            texts << list->item(i)->text();
        }
        return texts;
    }
    static QTableWidget* Table(CDlgTempSensor& dialog)
    {
        return dialog.findChild<QTableWidget*>(ControlName(CDlgTempSensor::kPointsTable));
    }
};

TEST_F(SensorDialogTest, ListsFollowDefinitionAndType)
{
    OpenMeterDirectly();
    CDlgTempSensor dialog(*CConectWithNI::Instance());
    EXPECT_EQ(dialog.windowTitle(), "Select Sensor");
    // The four lists are read once, in this order.
    const std::vector<std::string> lists = {"TEMP:MDEF:THER:TRAN:LIST?", "TEMP:UDEF:THER:TRAN:LIST?",
                                            "TEMP:MDEF:RTD:TRAN:LIST?", "TEMP:UDEF:RTD:TRAN:LIST?"};
    EXPECT_EQ(Transcript(), lists);

    QListWidget* definitions = List(dialog, CDlgTempSensor::kDefinitionList);
    QListWidget* types = List(dialog, CDlgTempSensor::kTypeList);
    QListWidget* sensors = List(dialog, CDlgTempSensor::kSensorList);
    EXPECT_EQ(Texts(definitions), (QStringList{"Manu Define", "User Define"}));
    EXPECT_EQ(Texts(types), (QStringList{"Thermocouple", "Thermoresisor"}));
    EXPECT_EQ(definitions->currentRow(), 0);
    EXPECT_EQ(types->currentRow(), 0);
    EXPECT_TRUE(Texts(sensors).contains("KITS90"));
    EXPECT_FALSE(Texts(sensors).contains("PT100"));
    EXPECT_EQ(Table(dialog)->rowCount(), 0);

    types->setCurrentRow(1);  // built-in resistance thermometers
    EXPECT_EQ(Texts(sensors), (QStringList{"PT100", "PT1000"}));

    definitions->setCurrentRow(1);  // user tables: the type goes back to thermocouple
    EXPECT_EQ(types->currentRow(), 0);
    EXPECT_EQ(Texts(sensors), QStringList{"MYTC"});
    types->setCurrentRow(1);
    EXPECT_EQ(Texts(sensors), QStringList{"MYRTD"});
    // No list was read again.
    EXPECT_EQ(Transcript(), lists);
}

TEST_F(SensorDialogTest, ChosenSensorShowsItsPointsAndOkReportsTheChoice)
{
    OpenMeterDirectly();
    CDlgTempSensor dialog(*CConectWithNI::Instance());
    std::vector<std::tuple<int, int, std::wstring>> chosen;
    dialog.SetTarget([&chosen](int definition, int type, const std::wstring& name) {
        chosen.emplace_back(definition, type, name);
    });
    List(dialog, CDlgTempSensor::kDefinitionList)->setCurrentRow(1);
    List(dialog, CDlgTempSensor::kTypeList)->setCurrentRow(1);
    meter->ClearTranscript();
    List(dialog, CDlgTempSensor::kSensorList)->setCurrentRow(0);
    EXPECT_EQ(Transcript(), std::vector<std::string>{"TEMP:UDEF:RTD:TRAN:POIN? MYRTD"});

    QTableWidget* table = Table(dialog);
    ASSERT_EQ(table->columnCount(), 3);
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), "Volt");
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), "Temp");
    EXPECT_EQ(table->columnWidth(0), 50);
    EXPECT_EQ(table->columnWidth(1), 100);
    ASSERT_EQ(table->rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(table->item(row, 0)->text(), QString::number(row + 1));
        EXPECT_FALSE(table->item(row, 1)->text().isEmpty());
    }
    EXPECT_EQ(table->item(0, 2)->text(), "0.0");
    EXPECT_EQ(table->item(1, 2)->text(), "50.0");
    EXPECT_EQ(table->item(2, 2)->text(), "100.0\n");  // the reply's terminator stays
    EXPECT_NEAR(table->item(1, 1)->text().toDouble(), 119.4, 1e-6);
    EXPECT_EQ(dialog.findChild<QLabel*>(ControlName(CDlgTempSensor::kStatusText))->text(),
              "Current Load Sensor:User Define/Thermoresisor/MYRTD");

    dialog.show();
    dialog.findChild<QPushButton*>(ControlName(CDlgTempSensor::kOkButton))->click();
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0], std::make_tuple(1, 1, std::wstring(L"MYRTD")));
    EXPECT_FALSE(dialog.isVisible());
    // Hidden, not destroyed: the choice is still there for the next opening.
    EXPECT_EQ(List(dialog, CDlgTempSensor::kSensorList)->currentItem()->text(), "MYRTD");

    // The built-in pair queries the built-in points.
    List(dialog, CDlgTempSensor::kDefinitionList)->setCurrentRow(0);
    List(dialog, CDlgTempSensor::kTypeList)->setCurrentRow(1);
    meter->ClearTranscript();
    List(dialog, CDlgTempSensor::kSensorList)->setCurrentRow(0);
    EXPECT_EQ(Transcript(), std::vector<std::string>{"TEMP:MDEF:RTD:TRAN:POIN? PT100"});
    EXPECT_GT(table->rowCount(), 10);
}

TEST_F(SensorDialogTest, UnconnectedFirstOpeningStaysEmptyAndOkSendsNothing)
{
    CDlgTempSensor dialog(*CConectWithNI::Instance());
    int reports = 0;
    dialog.SetTarget([&reports](int, int, const std::wstring&) { ++reports; });
    EXPECT_EQ(List(dialog, CDlgTempSensor::kDefinitionList)->count(), 0);
    EXPECT_EQ(List(dialog, CDlgTempSensor::kTypeList)->count(), 0);
    EXPECT_EQ(List(dialog, CDlgTempSensor::kSensorList)->count(), 0);
    dialog.show();
    dialog.findChild<QPushButton*>(ControlName(CDlgTempSensor::kOkButton))->click();
    EXPECT_EQ(reports, 0);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(Transcript().empty());
}

TEST_F(SensorDialogTest, LoadKeyOpensTheDialogAndOkLoadsTheSensor)
{
    ASSERT_TRUE(ConnectSimulated());
    Panel().Notify("btnTemp");
    ASSERT_EQ(Panel().CurrentFunctionName(), "Temperature");
    Panel().Notify("btnF1");  // "Load"
    CDlgTempSensor* dialog = Window().SensorDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    List(*dialog, CDlgTempSensor::kDefinitionList)->setCurrentRow(1);
    List(*dialog, CDlgTempSensor::kTypeList)->setCurrentRow(1);
    List(*dialog, CDlgTempSensor::kSensorList)->setCurrentRow(0);
    meter->ClearTranscript();
    dialog->findChild<QPushButton*>(ControlName(CDlgTempSensor::kOkButton))->click();
    EXPECT_FALSE(dialog->isVisible());
    // The temperature function's worker sends the user resistance transducer.
    EXPECT_TRUE(WaitUntil([this] { return CountOf(Transcript(), "TEMP:UDEF:RTD:TRAN MYRTD") == 1; }));

    // Opening again shows the same dialog object, lists as left.
    Panel().Notify("btnF1");
    EXPECT_EQ(Window().SensorDialog(), dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(List(*dialog, CDlgTempSensor::kSensorList)->currentItem()->text(), "MYRTD");
    EXPECT_TRUE(ShownTexts().empty());
}

}  // namespace
