#include "panel/skin/SkinFonts.h"

#include <QFontMetricsF>
#include <QStringList>

#include <cmath>

namespace voltora::panel {

SkinFonts::SkinFonts(const SkinFontDefinition& defaultFont,
                     const std::vector<SkinFontDefinition>& fonts)
{
    InstallFontSubstitutions();
    defaultFont_ = MakeFont(defaultFont);
    fonts_.reserve(fonts.size());
    for (const SkinFontDefinition& definition : fonts) {
        fonts_.push_back(MakeFont(definition));
    }
}

QFont SkinFonts::Font(int index) const
{
    if (index < 0 || index >= Count()) {
        return defaultFont_;
    }
    return fonts_[static_cast<std::size_t>(index)];
}

int SkinFonts::MeasureTextWidth(const QString& text, int index) const
{
    const QFontMetricsF metrics(Font(index));
    return static_cast<int>(std::ceil(metrics.horizontalAdvance(text)));
}

void SkinFonts::InstallFontSubstitutions()
{
    const QStringList arialLike{QStringLiteral("Liberation Sans"),
                                QStringLiteral("Arimo"),
                                QStringLiteral("DejaVu Sans")};
    if (QFont::substitutes(QStringLiteral("Arial")) != arialLike) {
        QFont::removeSubstitutions(QStringLiteral("Arial"));
        QFont::insertSubstitutions(QStringLiteral("Arial"), arialLike);
    }
}

QFont SkinFonts::MakeFont(const SkinFontDefinition& definition)
{
    QFont font(definition.face);
    font.setPixelSize(definition.pixelSize);
    font.setBold(definition.bold);
    // Keep glyph shapes the same on every machine: no hinting differences
    // between the platform defaults.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

}  // namespace voltora::panel
