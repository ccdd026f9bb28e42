#pragma once

#include "panel/skin/SkinDocument.h"
#include "panel/skin/SkinResources.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

// A window built from a skin: fixed size, absolutely placed containers,
// labels and image buttons. Code that drives it finds controls by name, sets
// their texts, colours, visibility and rectangles, and receives a button's
// click as Clicked(name).
namespace voltora::panel {

class SkinArtwork;
class SkinButton;
class SkinControl;

class SkinWindow : public QWidget {
    Q_OBJECT
public:
    // Without an image source the window draws the program's own artwork.
    explicit SkinWindow(QWidget* parent = nullptr, SkinImageSource images = {});
    ~SkinWindow() override;

    // The front-panel skin embedded in the program.
    static QString DefaultSkinPath();

    // Reads, parses and builds a skin; replaces any controls built before.
    // On failure nothing is built and LastError() tells why.
    bool LoadSkin(const QString& path = DefaultSkinPath());
    bool LoadSkinDocument(const SkinDocument& document);
    const QString& LastError() const { return lastError_; }
    const SkinDocument& Document() const { return document_; }

    // nullptr when no control has that name.
    SkinControl* FindControl(const QString& name) const;
    SkinButton* FindButton(const QString& name) const;
    // Every named control, in skin order.
    QStringList ControlNames() const;

    QFont Font(int index) const { return resources_.fonts.Font(index); }
    int FontCount() const { return resources_.fonts.Count(); }
    // Width in pixels of `text` in the font of `fontIndex`, rounded up.
    int MeasureTextWidth(const QString& text, int fontIndex) const;

    // Clips the window to a rectangle with rounded corners whose corner
    // ellipses are `ellipse` x `ellipse` pixels; 0 removes the clipping.
    // The clipping follows later size changes.
    void SetRoundedCorners(int ellipse);

signals:
    void Clicked(const QString& name);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ClearControls();
    void ApplyRoundedCorners();

    std::unique_ptr<SkinArtwork> artwork_;
    SkinResources resources_;
    SkinDocument document_;
    QString lastError_;
    QHash<QString, SkinControl*> byName_;
    QStringList names_;
    std::vector<SkinControl*> controls_;  // same order as document_.controls
    int cornerEllipse_ = 0;
};

}  // namespace voltora::panel
