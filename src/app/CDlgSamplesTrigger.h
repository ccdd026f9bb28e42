#pragma once

#include <QDialog>

#include <string>

class QLineEdit;
class QPushButton;

// The samples-per-trigger dialog: shows the meter's count when it opens and
// keeps the typed text on OK (sent as typed). With no meter connected only
// Cancel is available.
class CDlgSamplesTrigger : public QDialog {
    Q_OBJECT

public:
    enum ControlId : int {
        kOkButton = 1,
        kCancelButton = 2,
        kCountEdit = 1030,
    };

    explicit CDlgSamplesTrigger(QWidget* parent = nullptr);

    // The text typed, after OK.
    const std::string& SampleCountText() const { return sampleCount; }

    void accept() override;

private:
    std::string sampleCount;
    QPushButton* okButton = nullptr;
    QLineEdit* countEdit = nullptr;
};
