#pragma once

#include <QDialog>

#include <string>
#include <vector>

class IConnection;
class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The connection dialog: a USB meter from those the VISA layer finds
// ("USBTMC"), or a LAN meter by its IP address ("VXI11"). OK stays disabled
// until one of the two has been chosen.
class CDlgProtocol : public QDialog {
    Q_OBJECT

public:
    enum ControlId : int {
        kOkButton = 1,
        kCancelButton = 2,
        kResourceCombo = 1004,
        kUsbtmcRadio = 1060,
        kVxi11Radio = 1061,
        kAddressEdit = 1071,
    };

    // `connection` performs the USB search (the program's connection).
    explicit CDlgProtocol(IConnection* connection, QWidget* parent = nullptr);

    // kUsbtmcRadio or kVxi11Radio: the radio button clicked last; 0 before.
    int Mode() const { return mode; }
    // After OK: the USB resource (USBTMC) or the dotted address (VXI11).
    const std::string& Resource() const { return resource; }
    const std::string& Address() const { return address; }
    // The resource string to open: the USB resource, or the VXI-11 resource
    // made of the address.
    std::string ResourceString() const;

    // Pre-fills the dialog with the resource used last: a VXI-11 resource
    // chooses "VXI11" with its address filled in; any other resource is put
    // in the combo box's text.
    void PrefillLastResource(const std::string& lastResource);

    void accept() override;

private:
    void OnUsbtmc();
    void OnVxi11();

    IConnection* connection;
    int mode = 0;
    std::string address;
    std::string resource;
    std::vector<std::string> models;
    std::vector<std::string> resources;
    std::vector<std::string> rowTexts;

    QPushButton* okButton = nullptr;
    QRadioButton* usbtmcRadio = nullptr;
    QRadioButton* vxi11Radio = nullptr;
    QButtonGroup* modeGroup = nullptr;
    QComboBox* resourceCombo = nullptr;
    QLineEdit* addressEdit = nullptr;
};
