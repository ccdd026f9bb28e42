#pragma once

#include "functions/MathInfo.h"
#include "functions/MathSettings.h"
#include "functions/StatisticsBlock.h"

#include <QWidget>

#include <string>

class IViewHost;
namespace voltora::views {
struct DbControls;
}
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The math view: the meter's running statistics with "Clear Readings", the
// dB/dBm scaling and the relative value of the current function. Its limits
// group belongs to the layout but is never shown. Settings go to the current
// function through the host; statistics arrive from the host after each
// reading while the view is shown.
class CDlgZANMath : public QWidget {
    Q_OBJECT

public:
    // The caption of the view's message box: the program's title.
    static constexpr const char* kMessageCaption = "Voltora";
    static constexpr const char* kLimitMessage = "The value is too large or too small, please modify it";

    explicit CDlgZANMath(IViewHost* host, QWidget* parent = nullptr);
    ~CDlgZANMath() override;

    // After each reading; nothing while the view is hidden.
    void UpdateStatistics(const voltora::functions::StatisticsBlock& block);
    // Takes the current function's dB/dBm record and sets the group from it.
    void LoadDbSettings(const voltora::functions::MathInfo& info);
    // Shows the process-wide limit state and limits (in the hidden group).
    void LoadMathSettings(const voltora::functions::MathSettings& limits);
    void SetUnit(const std::string& unit);
    // The relative state ("Off" disables the field) and value of the function.
    void ShowRelValue(const std::string& state, const std::string& value);

    bool IsShown() const { return shown; }
    // The view's copy of the dB/dBm record.
    const voltora::functions::MathInfo& DbSettings() const { return mathInfo; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void BuildControls();
    void ConnectHandlers();
    void SetShown(bool state);
    void ApplyDbControls(const voltora::views::DbControls& controls);
    void EnableUnitDependent(bool db);
    void EnableLimitControls(bool enable);

    void OnScaleCheck();
    void OnDbUnit(bool db);
    void OnSetReferenceResistance();
    void OnSetDbReference();
    void OnMeasureReference();
    void OnClearReadings();
    void OnSetRelValue();
    void OnLimitCheck();
    void OnSetLimit(bool high);

    IViewHost* host;
    bool shown = false;
    voltora::functions::MathInfo mathInfo;

    QLineEdit* minimumEdit = nullptr;
    QLineEdit* averageEdit = nullptr;
    QLineEdit* maximumEdit = nullptr;
    QLineEdit* spanEdit = nullptr;
    QLineEdit* deviationEdit = nullptr;
    QLineEdit* samplesEdit = nullptr;
    QPushButton* clearButton = nullptr;

    QCheckBox* scaleCheck = nullptr;
    QButtonGroup* unitGroup = nullptr;
    QRadioButton* dbRadio = nullptr;
    QRadioButton* dbmRadio = nullptr;
    QComboBox* referenceList = nullptr;
    QPushButton* referenceSet = nullptr;
    QLineEdit* dbReferenceEdit = nullptr;
    QPushButton* dbReferenceSet = nullptr;
    QCheckBox* measureReference = nullptr;

    QLineEdit* relValueEdit = nullptr;
    QComboBox* relPrefixList = nullptr;
    QLabel* relUnitText = nullptr;
    QPushButton* relValueSet = nullptr;

    QCheckBox* limitCheck = nullptr;
    QLineEdit* upperEdit = nullptr;
    QComboBox* upperPrefixList = nullptr;
    QLabel* upperUnitText = nullptr;
    QPushButton* upperSet = nullptr;
    QLineEdit* lowerEdit = nullptr;
    QComboBox* lowerPrefixList = nullptr;
    QLabel* lowerUnitText = nullptr;
    QPushButton* lowerSet = nullptr;
};
