#include "app/CDlgProtocol.h"

#include "app/ConnectionChoice.h"
#include "link/IConnection.h"
#include "views/TemplateBuilder.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

using voltora::app::ChosenUsbResource;
using voltora::app::FoundInstrumentText;
using voltora::app::DottedAddress;
using voltora::app::PreferredUsbRow;
using voltora::app::UsbRowText;
using voltora::app::Vxi11Resource;

namespace {

CDlgProtocol::LanFinder& LanFinderSetting()
{
    static CDlgProtocol::LanFinder finder;
    return finder;
}

}  // namespace

void CDlgProtocol::SetLanFinder(LanFinder finder)
{
    LanFinderSetting() = std::move(finder);
}

CDlgProtocol::CDlgProtocol(IConnection* link, QWidget* parent)
    : QDialog(parent), connection(link)
{
    setWindowTitle(QStringLiteral("Dialog"));
    voltora::views::TemplateBuilder build(this);
    build.DialogSize(276, 97);
    okButton = build.Button(kOkButton, QStringLiteral("OK"), 42, 76, 50, 14);
    okButton->setDefault(true);
    auto* cancelButton = build.Button(kCancelButton, QStringLiteral("Cancel"), 185, 76, 50, 14);
    usbtmcRadio = build.Radio(kUsbtmcRadio, QStringLiteral("USBTMC"), 25, 25, 43, 10);
    vxi11Radio = build.Radio(kVxi11Radio, QStringLiteral("VXI11"), 25, 44, 35, 10);

    // The IP address field: up to four decimal fields separated by points.
    addressEdit = build.Edit(kAddressEdit, 74, 41, 100, 15);
    addressEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^\\d{0,3}(\\.\\d{0,3}){0,3}$")), addressEdit));
    addressEdit->setPlaceholderText(QStringLiteral("0.0.0.0"));
    findButton = build.Button(kFindButton, QStringLiteral("Find"), 178, 41, 40, 15);
    findButton->setEnabled(false);
    foundMenu = new QMenu(this);
    foundMenu->setObjectName(QStringLiteral("foundInstruments"));

    resourceCombo = build.DropDown(kResourceCombo, 74, 24, 178, 46);
    resourceCombo->setEditable(true);
    resourceCombo->setInsertPolicy(QComboBox::NoInsert);

    modeGroup = new QButtonGroup(this);
    modeGroup->setExclusive(true);
    modeGroup->addButton(usbtmcRadio);
    modeGroup->addButton(vxi11Radio);
    setFixedSize(size());

    okButton->setEnabled(false);
    connect(okButton, &QPushButton::clicked, this, &CDlgProtocol::accept);
    connect(cancelButton, &QPushButton::clicked, this, &CDlgProtocol::reject);
    connect(usbtmcRadio, &QRadioButton::clicked, this, &CDlgProtocol::OnUsbtmc);
    connect(vxi11Radio, &QRadioButton::clicked, this, &CDlgProtocol::OnVxi11);
    connect(findButton, &QPushButton::clicked, this, &CDlgProtocol::OnFind);
}

CDlgProtocol::~CDlgProtocol()
{
    // The search ends within its window; its result, posted to this
    // dialog, is dropped with it.
    if (finder.joinable()) {
        finder.join();
    }
}

std::string CDlgProtocol::ResourceString() const
{
    return mode == kUsbtmcRadio ? resource : Vxi11Resource(address);
}

void CDlgProtocol::OnUsbtmc()
{
    mode = kUsbtmcRadio;
    resourceCombo->setEnabled(true);
    addressEdit->setEnabled(false);
    findButton->setEnabled(false);
    okButton->setEnabled(true);

    resourceCombo->clear();
    rowTexts.clear();
    connection->FindUsbResources(resources, models);
    for (std::size_t i = 0; i < resources.size() && i < models.size(); ++i) {
        rowTexts.push_back(UsbRowText(models[i], resources[i]));
        resourceCombo->addItem(QString::fromStdString(rowTexts.back()));
    }
    const int row = PreferredUsbRow(models);
    if (row >= 0) {
        resourceCombo->setCurrentIndex(row);
    }
}

void CDlgProtocol::OnVxi11()
{
    mode = kVxi11Radio;
    addressEdit->setEnabled(true);
    findButton->setEnabled(!finder.joinable());
    resourceCombo->setEnabled(false);
    okButton->setEnabled(true);
}

void CDlgProtocol::OnFind()
{
    if (finder.joinable()) {
        return;  // a search is running
    }
    findButton->setEnabled(false);
    findButton->setText(QStringLiteral("..."));
    LanFinder find = LanFinderSetting();
    if (!find) {
        find = [] { return voltora::visa::FindVxi11Instruments(); };
    }
    // The broadcast and the identity queries take about a second: off the
    // UI thread, which only gets the result back.
    finder = std::thread([this, find] {
        auto found = find();
        QMetaObject::invokeMethod(
            this, [this, found = std::move(found)] { ShowFound(found); }, Qt::QueuedConnection);
    });
}

void CDlgProtocol::ShowFound(const std::vector<voltora::visa::FoundInstrument>& found)
{
    if (finder.joinable()) {
        finder.join();
    }
    findButton->setText(QStringLiteral("Find"));
    findButton->setEnabled(mode == kVxi11Radio);
    foundMenu->clear();
    if (found.empty()) {
        foundMenu->addAction(QStringLiteral("No LAN instruments found"))->setEnabled(false);
    }
    for (const auto& instrument : found) {
        const QString instrumentAddress = QString::fromStdString(instrument.address);
        connect(foundMenu->addAction(QString::fromStdString(FoundInstrumentText(instrument))),
                &QAction::triggered, this,
                [this, instrumentAddress] { addressEdit->setText(instrumentAddress); });
    }
    foundMenu->popup(findButton->mapToGlobal(QPoint(0, findButton->height())));
}

void CDlgProtocol::accept()
{
    if (!okButton->isEnabled()) {
        // Enter before a radio button was chosen: OK is not available yet.
        return;
    }
    if (mode == kVxi11Radio) {
        address = DottedAddress(addressEdit->text().toStdString());
    } else if (mode == kUsbtmcRadio) {
        resource = ChosenUsbResource(resources, rowTexts, resourceCombo->currentIndex(),
                                     resourceCombo->currentText().toStdString());
    }
    QDialog::accept();
}

void CDlgProtocol::PrefillLastResource(const std::string& lastResource)
{
    static const std::string prefix = "TCPIP0::";
    static const std::string suffix = "::inst0::INSTR";
    if (lastResource.size() > prefix.size() + suffix.size() && lastResource.rfind(prefix, 0) == 0 &&
        lastResource.compare(lastResource.size() - suffix.size(), suffix.size(), suffix) == 0) {
        const std::string host =
            lastResource.substr(prefix.size(), lastResource.size() - prefix.size() - suffix.size());
        vxi11Radio->setChecked(true);
        OnVxi11();
        addressEdit->setText(QString::fromStdString(host));
    } else if (!lastResource.empty()) {
        resourceCombo->setEditText(QString::fromStdString(lastResource));
    }
}
