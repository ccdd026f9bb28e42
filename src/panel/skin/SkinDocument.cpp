#include "panel/skin/SkinDocument.h"

#include <QSet>
#include <QStringList>
#include <QXmlStreamReader>

namespace voltora::panel {

int SkinDocument::IndexOf(const QString& controlName) const
{
    if (controlName.isEmpty()) {
        return -1;
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].name == controlName) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::vector<QString> SkinDocument::ReferencedImages() const
{
    std::vector<QString> files;
    QSet<QString> seen;
    auto add = [&](const QString& file) {
        if (!file.isEmpty() && !seen.contains(file)) {
            seen.insert(file);
            files.push_back(file);
        }
    };
    for (const SkinControlDefinition& control : controls) {
        add(control.backgroundImage);
        add(control.normalImage);
        add(control.pushedImage);
    }
    return files;
}

std::optional<std::uint32_t> ParseSkinColor(const QString& text)
{
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        digits = digits.mid(2);
    } else if (digits.startsWith(QLatin1Char('#'))) {
        digits = digits.mid(1);
    } else {
        return std::nullopt;
    }
    if (digits.size() != 8) {
        return std::nullopt;
    }
    bool ok = false;
    const uint value = digits.toUInt(&ok, 16);
    if (!ok) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

namespace {

// Reads one document; the first error stops it and is kept with its line.
class SkinReader {
public:
    explicit SkinReader(const QByteArray& xml) : xml_(xml) {}

    SkinParseResult Read();

private:
    bool Fail(const QString& message);
    bool ReadSkinElement();
    bool ReadChildren(int parent);
    bool ReadFont(bool isDefault);
    bool ReadImage();
    bool ReadControl(SkinControlKind kind, int parent);
    bool CheckAttributes(const QStringList& allowed);

    std::optional<int> IntAttribute(const QString& name);
    std::optional<QPoint> PairAttribute(const QString& name, bool required);
    std::optional<bool> BoolAttribute(const QString& name, bool fallback);

    QXmlStreamReader xml_;
    SkinDocument document_;
    QString error_;
    QSet<QString> names_;
    bool controlsStarted_ = false;
};

SkinParseResult SkinReader::Read()
{
    SkinParseResult result;
    while (!xml_.atEnd() && !xml_.isStartElement()) {
        xml_.readNext();
    }
    if (xml_.hasError() || !xml_.isStartElement()) {
        Fail(QStringLiteral("no root element"));
    } else if (xml_.name() != QLatin1String("Skin")) {
        Fail(QStringLiteral("root element must be Skin, not %1").arg(xml_.name()));
    } else if (ReadSkinElement()) {
        while (!xml_.atEnd()) {
            xml_.readNext();
            if (xml_.isStartElement()) {
                Fail(QStringLiteral("content after the Skin element"));
                break;
            }
        }
        if (error_.isEmpty() && xml_.hasError()) {
            Fail(xml_.errorString());
        }
    }
    if (error_.isEmpty()) {
        result.document = std::move(document_);
    } else {
        result.error = error_;
    }
    return result;
}

bool SkinReader::Fail(const QString& message)
{
    if (error_.isEmpty()) {
        error_ = QStringLiteral("line %1: %2").arg(xml_.lineNumber()).arg(message);
    }
    return false;
}

bool SkinReader::CheckAttributes(const QStringList& allowed)
{
    for (const QXmlStreamAttribute& attribute : xml_.attributes()) {
        if (!allowed.contains(attribute.name().toString())) {
            return Fail(QStringLiteral("unknown attribute %1 on %2")
                            .arg(attribute.name(), xml_.name()));
        }
    }
    return true;
}

std::optional<int> SkinReader::IntAttribute(const QString& name)
{
    bool ok = false;
    const int value = xml_.attributes().value(name).toString().trimmed().toInt(&ok);
    if (!ok) {
        Fail(QStringLiteral("attribute %1 must be an integer").arg(name));
        return std::nullopt;
    }
    return value;
}

// "a,b" as a point; used for positions and (as width, height) for sizes.
std::optional<QPoint> SkinReader::PairAttribute(const QString& name, bool required)
{
    const QXmlStreamAttributes attributes = xml_.attributes();
    if (!attributes.hasAttribute(name)) {
        if (required) {
            Fail(QStringLiteral("%1 needs attribute %2").arg(xml_.name(), name));
            return std::nullopt;
        }
        return QPoint(0, 0);
    }
    const QStringList parts = attributes.value(name).toString().split(QLatin1Char(','));
    bool okA = false;
    bool okB = false;
    const int a = parts.size() == 2 ? parts[0].trimmed().toInt(&okA) : 0;
    const int b = parts.size() == 2 ? parts[1].trimmed().toInt(&okB) : 0;
    if (!okA || !okB) {
        Fail(QStringLiteral("attribute %1 must be two integers \"a,b\"").arg(name));
        return std::nullopt;
    }
    return QPoint(a, b);
}

std::optional<bool> SkinReader::BoolAttribute(const QString& name, bool fallback)
{
    const QXmlStreamAttributes attributes = xml_.attributes();
    if (!attributes.hasAttribute(name)) {
        return fallback;
    }
    const QString value = attributes.value(name).toString();
    if (value == QLatin1String("true")) {
        return true;
    }
    if (value == QLatin1String("false")) {
        return false;
    }
    Fail(QStringLiteral("attribute %1 must be true or false").arg(name));
    return std::nullopt;
}

bool SkinReader::ReadSkinElement()
{
    if (!CheckAttributes({"name", "size", "disabledtextcolor"})) {
        return false;
    }
    const QXmlStreamAttributes attributes = xml_.attributes();
    document_.name = attributes.value("name").toString();
    const std::optional<QPoint> size = PairAttribute("size", true);
    if (!size) {
        return false;
    }
    if (size->x() <= 0 || size->y() <= 0) {
        return Fail(QStringLiteral("the window size must be positive"));
    }
    document_.windowSize = QSize(size->x(), size->y());
    if (attributes.hasAttribute("disabledtextcolor")) {
        const auto color = ParseSkinColor(attributes.value("disabledtextcolor").toString());
        if (!color) {
            return Fail(QStringLiteral("bad colour in disabledtextcolor"));
        }
        document_.disabledTextColor = *color;
    }
    return ReadChildren(-1);
}

bool SkinReader::ReadChildren(int parent)
{
    while (xml_.readNextStartElement()) {
        const QStringView element = xml_.name();
        bool ok = false;
        if (parent == -1 && element == QLatin1String("Font")) {
            ok = ReadFont(false);
        } else if (parent == -1 && element == QLatin1String("DefaultFont")) {
            ok = ReadFont(true);
        } else if (parent == -1 && element == QLatin1String("Image")) {
            ok = ReadImage();
        } else if (element == QLatin1String("Rect")) {
            ok = ReadControl(SkinControlKind::Rect, parent);
        } else if (element == QLatin1String("Container")) {
            ok = ReadControl(SkinControlKind::Container, parent);
        } else if (element == QLatin1String("Label")) {
            ok = ReadControl(SkinControlKind::Label, parent);
        } else if (element == QLatin1String("Button")) {
            ok = ReadControl(SkinControlKind::Button, parent);
        } else {
            return Fail(QStringLiteral("unexpected element %1").arg(element));
        }
        if (!ok) {
            return false;
        }
    }
    if (xml_.hasError()) {
        return Fail(xml_.errorString());
    }
    return true;
}

bool SkinReader::ReadFont(bool isDefault)
{
    if (controlsStarted_) {
        return Fail(QStringLiteral("fonts must come before the controls"));
    }
    const QStringList allowed = isDefault ? QStringList{"face", "size", "bold"}
                                          : QStringList{"index", "face", "size", "bold"};
    if (!CheckAttributes(allowed)) {
        return false;
    }
    SkinFontDefinition font;
    font.face = xml_.attributes().value("face").toString();
    if (font.face.isEmpty()) {
        return Fail(QStringLiteral("a font needs a face"));
    }
    const std::optional<int> size = IntAttribute("size");
    const std::optional<bool> bold = BoolAttribute("bold", false);
    if (!size || !bold) {
        return false;
    }
    if (*size <= 0) {
        return Fail(QStringLiteral("font size must be positive"));
    }
    font.pixelSize = *size;
    font.bold = *bold;
    if (isDefault) {
        document_.defaultFont = font;
    } else {
        const std::optional<int> index = IntAttribute("index");
        if (!index) {
            return false;
        }
        if (*index != static_cast<int>(document_.fonts.size())) {
            return Fail(QStringLiteral("font index %1 out of order (expected %2)")
                            .arg(*index)
                            .arg(document_.fonts.size()));
        }
        document_.fonts.push_back(font);
    }
    xml_.skipCurrentElement();
    return true;
}

bool SkinReader::ReadImage()
{
    if (!CheckAttributes({"file", "size", "used"})) {
        return false;
    }
    SkinImageDefinition image;
    image.file = xml_.attributes().value("file").toString();
    if (image.file.isEmpty()) {
        return Fail(QStringLiteral("an image needs a file name"));
    }
    const std::optional<QPoint> size = PairAttribute("size", true);
    const std::optional<bool> used = BoolAttribute("used", true);
    if (!size || !used) {
        return false;
    }
    image.size = QSize(size->x(), size->y());
    image.used = *used;
    document_.images.push_back(image);
    xml_.skipCurrentElement();
    return true;
}

bool ParseAlign(QStringView text, SkinHorizontalAlign& align)
{
    if (text == QLatin1String("left")) {
        align = SkinHorizontalAlign::Left;
    } else if (text == QLatin1String("center")) {
        align = SkinHorizontalAlign::Center;
    } else if (text == QLatin1String("right")) {
        align = SkinHorizontalAlign::Right;
    } else {
        return false;
    }
    return true;
}

bool ParseVerticalAlign(QStringView text, SkinVerticalAlign& align)
{
    if (text == QLatin1String("top")) {
        align = SkinVerticalAlign::Top;
    } else if (text == QLatin1String("center")) {
        align = SkinVerticalAlign::Center;
    } else if (text == QLatin1String("bottom")) {
        align = SkinVerticalAlign::Bottom;
    } else {
        return false;
    }
    return true;
}

bool SkinReader::ReadControl(SkinControlKind kind, int parent)
{
    controlsStarted_ = true;
    QStringList allowed{"name", "pos", "size", "bkcolor", "visible"};
    if (kind != SkinControlKind::Rect) {
        allowed << "textcolor" << "disabledtextcolor" << "font" << "align" << "valign"
                << "text" << "enabled";
    }
    if (kind == SkinControlKind::Container) {
        allowed << "bkimage";
    }
    if (kind == SkinControlKind::Button) {
        allowed << "normalimage" << "pushedimage";
    }
    if (!CheckAttributes(allowed)) {
        return false;
    }
    const QXmlStreamAttributes attributes = xml_.attributes();
    SkinControlDefinition control;
    control.kind = kind;
    control.parent = parent;
    control.name = attributes.value("name").toString();
    if (!control.name.isEmpty()) {
        if (names_.contains(control.name)) {
            return Fail(QStringLiteral("duplicate control name %1").arg(control.name));
        }
        names_.insert(control.name);
    }
    const std::optional<QPoint> position = PairAttribute("pos", true);
    const std::optional<QPoint> size = PairAttribute("size", true);
    const std::optional<bool> visible = BoolAttribute("visible", true);
    const std::optional<bool> enabled = BoolAttribute("enabled", true);
    if (!position || !size || !visible || !enabled) {
        return false;
    }
    if (size->x() < 0 || size->y() < 0) {
        return Fail(QStringLiteral("negative size"));
    }
    control.position = *position;
    control.size = QSize(size->x(), size->y());
    control.visible = *visible;
    control.enabled = *enabled;
    control.disabledTextColor = document_.disabledTextColor;

    const auto readColor = [&](const char* attribute) -> std::optional<std::uint32_t> {
        const auto color = ParseSkinColor(attributes.value(attribute).toString());
        if (!color) {
            Fail(QStringLiteral("bad colour in %1").arg(attribute));
        }
        return color;
    };
    if (attributes.hasAttribute("bkcolor")) {
        control.backgroundColor = readColor("bkcolor");
        if (!control.backgroundColor) {
            return false;
        }
    }
    if (attributes.hasAttribute("textcolor")) {
        const auto color = readColor("textcolor");
        if (!color) {
            return false;
        }
        control.textColor = *color;
    }
    if (attributes.hasAttribute("disabledtextcolor")) {
        if (attributes.value("disabledtextcolor") == QLatin1String("none")) {
            control.disabledTextColor.reset();
        } else {
            control.disabledTextColor = readColor("disabledtextcolor");
            if (!control.disabledTextColor) {
                return false;
            }
        }
    }
    if (attributes.hasAttribute("font")) {
        const std::optional<int> font = IntAttribute("font");
        if (!font) {
            return false;
        }
        if (*font < 0 || *font >= static_cast<int>(document_.fonts.size())) {
            return Fail(QStringLiteral("font index %1 is not in the font table").arg(*font));
        }
        control.fontIndex = *font;
    }
    if (attributes.hasAttribute("align")
        && !ParseAlign(attributes.value("align"), control.horizontalAlign)) {
        return Fail(QStringLiteral("align must be left, center or right"));
    }
    if (attributes.hasAttribute("valign")
        && !ParseVerticalAlign(attributes.value("valign"), control.verticalAlign)) {
        return Fail(QStringLiteral("valign must be top, center or bottom"));
    }
    control.text = attributes.value("text").toString();
    control.backgroundImage = attributes.value("bkimage").toString();
    control.normalImage = attributes.value("normalimage").toString();
    control.pushedImage = attributes.value("pushedimage").toString();
    if (kind == SkinControlKind::Button
        && (control.normalImage.isEmpty() || control.pushedImage.isEmpty())) {
        return Fail(QStringLiteral("button %1 needs normalimage and pushedimage")
                        .arg(control.name));
    }

    const int index = static_cast<int>(document_.controls.size());
    document_.controls.push_back(control);
    if (kind == SkinControlKind::Container) {
        return ReadChildren(index);
    }
    // Only containers hold other controls.
    if (xml_.readNextStartElement()) {
        return Fail(QStringLiteral("%1 cannot hold controls").arg(xml_.name()));
    }
    return !xml_.hasError() || Fail(xml_.errorString());
}

}  // namespace

SkinParseResult ParseSkinDocument(const QByteArray& xml)
{
    SkinReader reader(xml);
    return reader.Read();
}

}  // namespace voltora::panel
