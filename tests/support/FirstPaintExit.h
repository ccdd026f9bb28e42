#pragma once

#include <QObject>

class CZANDlg;

namespace voltora::testing {

// Ends the main window right after its front panel has been painted for the
// first time (the start-up measurement's end point). Owned by the window.
class FirstPaintExit : public QObject {
public:
    explicit FirstPaintExit(CZANDlg& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CZANDlg& window_;
    bool seen_ = false;
};

}  // namespace voltora::testing
