#pragma once

#include "visa/Vxi11Discovery.h"

#include <QDialog>

#include <functional>
#include <string>
#include <thread>
#include <vector>

class IConnection;
class QButtonGroup;
class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;

// The connection dialog: a USB meter from those the VISA layer finds
// ("USBTMC"), or a LAN meter by its IP address ("VXI11"). OK stays disabled
// until one of the two has been chosen. In VXI11 mode "Find" looks for the
// LAN meters that answer and lists them under the button; picking one fills
// in its address.
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
        kFindButton = 1072,
    };

    // How "Find" looks for LAN meters (blocking; run on a worker thread).
    using LanFinder = std::function<std::vector<voltora::visa::FoundInstrument>()>;
    // Replaces the search for the dialogs opened afterwards (tests); an
    // empty finder restores the broadcast search.
    static void SetLanFinder(LanFinder finder);

    // `connection` performs the USB search (the program's connection).
    explicit CDlgProtocol(IConnection* connection, QWidget* parent = nullptr);
    ~CDlgProtocol() override;

    // kUsbtmcRadio or kVxi11Radio: the radio button clicked last; 0 before.
    int Mode() const { return mode; }
    // After OK: the USB resource (USBTMC) or the dotted address (VXI11).
    const std::string& Resource() const { return resource; }
    const std::string& Address() const { return address; }
    // The resource string to open: the USB resource, or the VXI-11 resource
    // made of the address.
    std::string ResourceString() const;

    void accept() override;

private:
    void OnUsbtmc();
    void OnVxi11();
    void OnFind();
    // On the UI thread: the search's result, shown as a menu under "Find".
    void ShowFound(const std::vector<voltora::visa::FoundInstrument>& found);

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
    QPushButton* findButton = nullptr;
    QMenu* foundMenu = nullptr;
    std::thread finder;
};
