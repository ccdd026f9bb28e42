#pragma once

#include <QObject>

#include <functional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace voltora::views {

class TemplateBuilder;

// Where one row of the bound editor goes, in dialog units: the caption
// ("High" or "Low"), the typed number, the prefix list, the unit text and
// the "Set" button, with their template ids.
struct BoundRowLayout {
    struct Box {
        int id;
        int x;
        int y;
        int width;
        int height;
    };
    Box caption;
    Box edit;
    Box prefixList;
    Box unitText;
    Box setButton;
};

// The manual scale bounds of a chart view: a "High" and a "Low" row, each a
// number, a prefix ("p" ... "G", none at first) and the unit, set by its
// "Set" button. The rows' controls are placed on the view itself, where the
// view's template puts them; a number that is not one is refused with the
// views' message and changes nothing.
class BoundEditor : public QObject {
public:
    // Receives a typed bound in base units.
    using BoundHandler = std::function<void(bool high, double value)>;

    // Builds the high row, then the low row, with `builder` on `view`.
    BoundEditor(QWidget* view, TemplateBuilder& builder, const BoundRowLayout& high, const BoundRowLayout& low,
                BoundHandler onBound);

    // The unit text shown beside both numbers.
    void SetUnit(const std::string& unit);
    // Numbers, prefixes and "Set" buttons usable only with a manual scale.
    void EnableManualControls(bool enable);
    // What "Set" of the high (or low) row does.
    void OnSetBound(bool high);

private:
    struct Row {
        QLineEdit* edit = nullptr;
        QComboBox* prefixList = nullptr;
        QLabel* unitText = nullptr;
        QPushButton* setButton = nullptr;
    };
    static Row BuildRow(TemplateBuilder& builder, const QString& caption, const BoundRowLayout& layout);

    QWidget* view_;
    Row high_;
    Row low_;
    BoundHandler onBound_;
};

}  // namespace voltora::views
