#pragma once

#include <QString>
#include <Qt>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace voltora::views {

// The object name of the control with template id `id` ("ctl1059"), by
// which the dialogs' controls can be found (QObject::findChild).
QString ControlName(int id);

// Places a dialog template's controls on `dialog`: positions and sizes in
// dialog units, the dialog font, the template's id as object name (id 0:
// a control without id). Group boxes go below the controls they frame.
class TemplateBuilder {
public:
    explicit TemplateBuilder(QWidget* dialog);

    // Sets the dialog's font and its size from the template.
    void DialogSize(int width, int height);

    QLabel* Text(int id, const QString& text, int x, int y, int width, int height);
    QLineEdit* Edit(int id, int x, int y, int width, int height, bool readOnly = false);
    QPushButton* Button(int id, const QString& text, int x, int y, int width, int height);
    QGroupBox* Group(int id, const QString& text, int x, int y, int width, int height);
    QCheckBox* Check(int id, const QString& text, int x, int y, int width, int height);
    QRadioButton* Radio(int id, const QString& text, int x, int y, int width, int height);
    // A drop-down list. `height` is the template's, which includes the
    // dropped list; the closed box is as high as an edit field.
    QComboBox* DropDown(int id, int x, int y, int width, int height);
    // A check box that sits in a group box's caption: the caption's leading
    // blanks are made wide enough for the box, and the box is centred on the
    // caption's line, whatever the style draws the caption like.
    static void CaptionCheckBox(QGroupBox* group, QCheckBox* check);
    // Any other control (the drawing controls), placed like the others.
    void Place(QWidget* control, int id, int x, int y, int width, int height);

private:
    QWidget* dialog_;
};

}  // namespace voltora::views
