#pragma once

#include <QDialog>

class IConnection;

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The trigger delay dialog: automatic, or a typed value in kS, S, mS or uS.
// It reads the meter's delay when it opens and sends the new one on OK; with
// no meter connected only Cancel is available.
class CDlgDelay : public QDialog {
    Q_OBJECT

public:
    enum ControlId : int {
        kOkButton = 1,
        kCancelButton = 2,
        kUnitList = 1004,
        kAutoRadio = 1027,
        kManualRadio = 1028,
        kValueEdit = 1029,
    };

    // `connection` tells whether a meter is there to read from.
    explicit CDlgDelay(IConnection& connection, QWidget* parent = nullptr);

    void accept() override;

private:
    void LoadFromMeter(IConnection& connection);
    void EnableValue(bool enable);

    QPushButton* okButton = nullptr;
    QRadioButton* autoRadio = nullptr;
    QRadioButton* manualRadio = nullptr;
    QLineEdit* valueEdit = nullptr;
    QComboBox* unitList = nullptr;
};
