#pragma once

#include <QByteArray>
#include <QPoint>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// The parsed form of a skin file: window size, font table and the tree of
// controls, each with its geometry, colours, font, alignment, text and images.
// Plain data; the widgets are built from it by SkinWindow.
namespace voltora::panel {

enum class SkinControlKind {
    Rect,       // a filled rectangle without text
    Container,  // holds other controls; may draw a background image and a caption
    Label,      // one line of text
    Button,     // image button that reports clicks by name
};

enum class SkinHorizontalAlign { Left, Center, Right };
enum class SkinVerticalAlign { Top, Center, Bottom };

// One entry of the font table. Size is the character height in pixels.
struct SkinFontDefinition {
    QString face;
    int pixelSize = 12;
    bool bold = false;
};

// Colours are 0xAARRGGBB as written in the skin.
struct SkinControlDefinition {
    SkinControlKind kind = SkinControlKind::Label;
    QString name;                   // empty for unnamed controls
    QPoint position;                // relative to the parent control
    QSize size;
    std::optional<std::uint32_t> backgroundColor;
    std::uint32_t textColor = 0xFF000000;
    int fontIndex = -1;             // -1: the skin's default font
    SkinHorizontalAlign horizontalAlign = SkinHorizontalAlign::Left;
    SkinVerticalAlign verticalAlign = SkinVerticalAlign::Center;
    QString text;
    bool visible = true;
    bool enabled = true;
    std::optional<std::uint32_t> disabledTextColor;  // empty when the control declares none
    QString backgroundImage;        // containers
    QString normalImage;            // buttons
    QString pushedImage;            // buttons
    int parent = -1;                // index into SkinDocument::controls, -1 for the root
};

// An image file the skin names, with the size it is drawn at.
struct SkinImageDefinition {
    QString file;
    QSize size;
    bool used = true;               // false for images carried but not referenced
};

struct SkinDocument {
    QString name;
    QSize windowSize;
    std::uint32_t disabledTextColor = 0xFFA7A6AA;
    SkinFontDefinition defaultFont;
    std::vector<SkinFontDefinition> fonts;         // by index
    std::vector<SkinControlDefinition> controls;   // parents always precede their children
    std::vector<SkinImageDefinition> images;

    // Index of the named control, or -1.
    int IndexOf(const QString& controlName) const;
    // Every image file that a control refers to, each once, in order of appearance.
    std::vector<QString> ReferencedImages() const;
};

struct SkinParseResult {
    std::optional<SkinDocument> document;
    QString error;                  // "line N: ..." when document is empty
};

// Parses skin XML. Rejects malformed XML, unknown elements and attributes,
// bad numbers and colours, duplicate control names, font indices outside
// the font table, and buttons without both images.
SkinParseResult ParseSkinDocument(const QByteArray& xml);

// Parses "0xAARRGGBB" (also "#AARRGGBB"); nullopt when it is not 8 hex digits.
std::optional<std::uint32_t> ParseSkinColor(const QString& text);

}  // namespace voltora::panel
