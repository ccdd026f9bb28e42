#pragma once

#include <QWidget>

#include <string>

class CStaticBarMeter;
class IViewHost;
class QButtonGroup;
class QRadioButton;

namespace voltora::views {
class BoundEditor;
}

// The bar meter view: the latest reading as a horizontal bar on the Default
// scale of the current function and range, or on a typed (Manual) scale.
// It asks nothing of the meter; the host hands it every reading, shown or
// not, and it repaints only while shown.
class CDlgBarMeter : public QWidget {
    Q_OBJECT

public:
    explicit CDlgBarMeter(IViewHost* host, QWidget* parent = nullptr);

    // The reading text of the current function (a number in base units,
    // "Overload" or "open").
    void UpdateBar(const std::string& text);
    void SetUnit(const std::string& unit);

    CStaticBarMeter* Chart() const { return chart; }
    bool IsDefaultScale() const;

private:
    void BuildControls();
    void ApplyDefaultScale();

    IViewHost* host;
    std::string rangeText;  // the range of the last Default scale
    std::string unitText;

    CStaticBarMeter* chart = nullptr;
    QButtonGroup* scaleGroup = nullptr;
    QRadioButton* defaultRadio = nullptr;
    QRadioButton* manualRadio = nullptr;
    voltora::views::BoundEditor* boundEditor = nullptr;
};
