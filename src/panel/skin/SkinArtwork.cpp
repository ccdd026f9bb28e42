#include "panel/skin/SkinArtwork.h"

#include <QGuiApplication>

#include "panel/skin/FacePainter.h"
#include "panel/skin/KeyPainter.h"
#include "panel/skin/SkinFonts.h"

#include <vector>

namespace voltora::panel {

namespace {

enum class ArtworkKind { Face, Logo, Key };

// One key's pair of images "<stem>_button_01.png" (normal) and
// "<stem>_button_02.png" (pushed).
struct KeyArtwork {
    const char* stem;
    QSize size;
    KeyDesign design;
};

const std::vector<KeyArtwork>& Keys()
{
    const QSize key(49, 28);
    static const std::vector<KeyArtwork> keys = {
        {"Dcv", key, {"DCV", KeyLegendKind::Text, KeyTone::Grey}},
        {"Acv", key, {"ACV", KeyLegendKind::Text, KeyTone::Grey}},
        {"2W", key, {QString::fromUtf8("\u2126 2W"), KeyLegendKind::Text, KeyTone::Grey}},
        {"-11-", key, {"-||-", KeyLegendKind::Capacitor, KeyTone::Grey}},
        {"Con", key, {"Cont", KeyLegendKind::Text, KeyTone::Grey}},
        {"Temp", key, {"Temp", KeyLegendKind::Text, KeyTone::Grey}},
        {"2nd", key, {"2nd", KeyLegendKind::Text, KeyTone::Grey}},
        {"Acquire", key, {"Acquire", KeyLegendKind::Text, KeyTone::Grey}},
        {"Math", key, {"Math", KeyLegendKind::Text, KeyTone::Grey}},
        {"Run", key, {"Run/Stop", KeyLegendKind::Text, KeyTone::Grey}},
        {"single", key, {"Single", KeyLegendKind::Text, KeyTone::Grey}},
        {"Shift", key, {"Shift", KeyLegendKind::Text, KeyTone::Blue}},
        {"+", key, {"+", KeyLegendKind::Text, KeyTone::Dark}},
        {"Range", key, {"Range", KeyLegendKind::Text, KeyTone::Dark}},
        {"-", key, {QString::fromUtf8("\u2212"), KeyLegendKind::Text, KeyTone::Dark}},
        {"front", QSize(74, 31), {"", KeyLegendKind::ArrowUp, KeyTone::Dark}},
        {"back", QSize(74, 31), {"", KeyLegendKind::ArrowDown, KeyTone::Dark}},
        {"left", QSize(31, 49), {"", KeyLegendKind::ArrowLeft, KeyTone::Dark}},
        {"right", QSize(31, 49), {"", KeyLegendKind::ArrowRight, KeyTone::Dark}},
        {"OK", QSize(44, 36), {"OK", KeyLegendKind::Text, KeyTone::Grey}},
    };
    return keys;
}

struct ArtworkEntry {
    QString file;
    QSize size;
    ArtworkKind kind = ArtworkKind::Key;
    KeyDesign design;
    bool pushed = false;
};

std::vector<ArtworkEntry> BuildCatalogue()
{
    std::vector<ArtworkEntry> entries;
    entries.push_back({"ZAN_front_ID_.png", QSize(800, 328), ArtworkKind::Face, {}, false});
    for (const KeyArtwork& key : Keys()) {
        const QString stem = QString::fromLatin1(key.stem);
        entries.push_back({stem + "_button_01.png", key.size, ArtworkKind::Key, key.design, false});
        entries.push_back({stem + "_button_02.png", key.size, ArtworkKind::Key, key.design, true});
    }
    // The soft keys carry no legend: their meaning is shown on the display.
    const KeyDesign softKey{"", KeyLegendKind::None, KeyTone::Dark};
    for (const char* suffix : {"", "2"}) {
        entries.push_back({QString("button_nor%1.png").arg(suffix), QSize(60, 25),
                           ArtworkKind::Key, softKey, false});
        entries.push_back({QString("button_down%1.png").arg(suffix), QSize(60, 25),
                           ArtworkKind::Key, softKey, true});
    }
    entries.push_back({"logo_UI.png", QSize(365, 209), ArtworkKind::Logo, {}, false});
    return entries;
}

const std::vector<ArtworkEntry>& Catalogue()
{
    static const std::vector<ArtworkEntry> catalogue = BuildCatalogue();
    return catalogue;
}

const ArtworkEntry* Find(const QString& file)
{
    for (const ArtworkEntry& entry : Catalogue()) {
        if (entry.file == file) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

QStringList SkinArtwork::ImageNames()
{
    QStringList names;
    for (const ArtworkEntry& entry : Catalogue()) {
        names << entry.file;
    }
    return names;
}

QSize SkinArtwork::ImageSize(const QString& file)
{
    const ArtworkEntry* entry = Find(file);
    return entry != nullptr ? entry->size : QSize();
}

QImage SkinArtwork::Draw(const QString& file, qreal ratio)
{
    const ArtworkEntry* entry = Find(file);
    if (entry == nullptr) {
        return QImage();
    }
    SkinFonts::InstallFontSubstitutions();
    switch (entry->kind) {
    case ArtworkKind::Face:
        return DrawInstrumentFace(entry->size, ratio);
    case ArtworkKind::Logo:
        return DrawBrandLogo(entry->size, ratio);
    case ArtworkKind::Key:
        break;
    }
    return DrawKey(entry->design, entry->size, entry->pushed, ratio);
}

QPixmap SkinArtwork::Pixmap(const QString& file)
{
    // Drawn for the screen's device pixel ratio (2 at a 200 % scale).
    const qreal ratio = qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
    const QString key = file + QLatin1Char('@') + QString::number(ratio);
    const auto cached = cache_.constFind(key);
    if (cached != cache_.constEnd()) {
        return cached.value();
    }
    const QImage image = Draw(file, ratio);
    QPixmap pixmap = image.isNull() ? QPixmap() : QPixmap::fromImage(image);
    cache_.insert(key, pixmap);
    return pixmap;
}

}  // namespace voltora::panel
