#include "panel/skin/SkinWindow.h"

#include "panel/skin/SkinArtwork.h"
#include "panel/skin/SkinButton.h"
#include "panel/skin/SkinControl.h"

#include <QFile>
#include <QPainterPath>
#include <QRegion>
#include <QResizeEvent>

namespace voltora::panel {

SkinWindow::SkinWindow(QWidget* parent, SkinImageSource images) : QWidget(parent)
{
    if (images) {
        resources_.images = std::move(images);
    } else {
        artwork_ = std::make_unique<SkinArtwork>();
        SkinArtwork* artwork = artwork_.get();
        resources_.images = [artwork](const QString& file) { return artwork->Pixmap(file); };
    }
}

SkinWindow::~SkinWindow()
{
    // The controls paint with resources_; make sure they go first.
    ClearControls();
}

QString SkinWindow::DefaultSkinPath()
{
    return QStringLiteral(":/voltora/skin/FrontPanel.xml");
}

bool SkinWindow::LoadSkin(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        lastError_ = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return false;
    }
    const SkinParseResult parsed = ParseSkinDocument(file.readAll());
    if (!parsed.document) {
        lastError_ = QStringLiteral("%1: %2").arg(path, parsed.error);
        return false;
    }
    return LoadSkinDocument(*parsed.document);
}

bool SkinWindow::LoadSkinDocument(const SkinDocument& document)
{
    for (const SkinControlDefinition& definition : document.controls) {
        if (definition.parent >= 0
            && (static_cast<std::size_t>(definition.parent) >= document.controls.size()
                || document.controls[static_cast<std::size_t>(definition.parent)].kind
                       != SkinControlKind::Container)) {
            lastError_ = QStringLiteral("control %1 has no container as its parent")
                             .arg(definition.name);
            return false;
        }
    }
    ClearControls();
    document_ = document;
    resources_.fonts = SkinFonts(document_.defaultFont, document_.fonts);
    setFixedSize(document_.windowSize);

    controls_.reserve(document_.controls.size());
    for (const SkinControlDefinition& definition : document_.controls) {
        QWidget* parent = definition.parent < 0 ? static_cast<QWidget*>(this)
                                          : controls_[static_cast<std::size_t>(definition.parent)];
        SkinControl* control = nullptr;
        if (definition.kind == SkinControlKind::Button) {
            auto* button = new SkinButton(definition, &resources_, this, parent);
            connect(button, &SkinButton::Clicked, this, &SkinWindow::Clicked);
            control = button;
        } else {
            control = new SkinControl(definition, &resources_, this, parent);
        }
        controls_.push_back(control);
        if (!definition.name.isEmpty()) {
            byName_.insert(definition.name, control);
            names_.push_back(definition.name);
        }
    }
    lastError_.clear();
    return true;
}

void SkinWindow::ClearControls()
{
    // Deleting the top-level controls deletes the ones inside them.
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (document_.controls[i].parent < 0) {
            delete controls_[i];
        }
    }
    controls_.clear();
    byName_.clear();
    names_.clear();
}

SkinControl* SkinWindow::FindControl(const QString& name) const
{
    return byName_.value(name, nullptr);
}

SkinButton* SkinWindow::FindButton(const QString& name) const
{
    return qobject_cast<SkinButton*>(FindControl(name));
}

QStringList SkinWindow::ControlNames() const
{
    return names_;
}

int SkinWindow::MeasureTextWidth(const QString& text, int fontIndex) const
{
    return resources_.fonts.MeasureTextWidth(text, fontIndex);
}

void SkinWindow::SetRoundedCorners(int ellipse)
{
    cornerEllipse_ = std::max(0, ellipse);
    ApplyRoundedCorners();
}

void SkinWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ApplyRoundedCorners();
}

void SkinWindow::ApplyRoundedCorners()
{
    if (cornerEllipse_ == 0) {
        clearMask();
        return;
    }
    QPainterPath path;
    const qreal radius = cornerEllipse_ / 2.0;
    path.addRoundedRect(QRectF(0, 0, width(), height()), radius, radius);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

}  // namespace voltora::panel
