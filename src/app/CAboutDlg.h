#pragma once

#include <QDialog>

// The About box: the program's icon, "Voltora, Version " with the version,
// and OK.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    enum ControlId : int {
        kOkButton = 1,
        kIcon = 140,
        kVersionText = 1000,
    };

    explicit CAboutDlg(QWidget* parent = nullptr);
};
