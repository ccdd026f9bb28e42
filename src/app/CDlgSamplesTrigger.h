#pragma once

#include <QDialog>

class IConnection;

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

// The samples-per-trigger dialog: shows the meter's count when it opens and
// keeps the typed count on OK; a count that is not a whole number the meter
// accepts keeps the dialog open with a message. With no meter connected
// only Cancel is available.
class CDlgSamplesTrigger : public QDialog {
    Q_OBJECT

public:
    enum ControlId : int {
        kOkButton = 1,
        kCancelButton = 2,
        kCountEdit = 1030,
        kMessageText = 1031,
    };

    // `connection` tells whether a meter is there to read from.
    explicit CDlgSamplesTrigger(IConnection& connection, QWidget* parent = nullptr);

    // The count typed, after OK.
    const std::string& SampleCountText() const { return sampleCount; }

    void accept() override;

private:
    std::string sampleCount;
    QPushButton* okButton = nullptr;
    QLineEdit* countEdit = nullptr;
    QLabel* messageText = nullptr;
};
