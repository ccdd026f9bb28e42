#pragma once

#include "panel/skin/SkinDocument.h"

#include <QFont>
#include <QString>

#include <vector>

// The skin's font table as Qt fonts. Sizes are character heights in pixels,
// so text has the same size whatever the screen's resolution setting.
namespace voltora::panel {

class SkinFonts {
public:
    SkinFonts() = default;
    SkinFonts(const SkinFontDefinition& defaultFont, const std::vector<SkinFontDefinition>& fonts);

    // The font of an index; the default font for -1 or an index outside the table.
    QFont Font(int index) const;
    int Count() const { return static_cast<int>(fonts_.size()); }

    // Width in pixels of `text` drawn in the font of `index`, rounded up.
    int MeasureTextWidth(const QString& text, int index) const;

    // Makes "Arial" resolve to the metric-compatible "Liberation Sans" where
    // Arial itself is not installed. Safe to call more than once.
    static void InstallFontSubstitutions();

    static QFont MakeFont(const SkinFontDefinition& definition);

private:
    QFont defaultFont_;
    std::vector<QFont> fonts_;
};

}  // namespace voltora::panel
