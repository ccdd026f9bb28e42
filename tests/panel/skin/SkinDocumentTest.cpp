#include "panel/skin/SkinDocument.h"

#include <gtest/gtest.h>

#include <string>

namespace voltora::panel {
namespace {

QByteArray Wrap(const std::string& body)
{
    return QByteArray::fromStdString(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Skin name=\"Test\" size=\"200,100\">\n"
        "<Font index=\"0\" face=\"Arial\" size=\"10\" bold=\"true\"/>\n" + body + "</Skin>\n");
}

TEST(SkinDocument, ParsesControlsWithTheirAttributesAndNesting)
{
    const SkinParseResult result = ParseSkinDocument(Wrap(
        "<DefaultFont face=\"Arial\" size=\"12\"/>\n"
        "<Image file=\"a.png\" size=\"10,5\"/>\n"
        "<Image file=\"b.png\" size=\"7,3\" used=\"false\"/>\n"
        "<Rect pos=\"1,2\" size=\"3,4\" bkcolor=\"0xFF000000\"/>\n"
        "<Container name=\"Box\" pos=\"10,20\" size=\"100,50\" bkcolor=\"0xFF2D7A98\" bkimage=\"a.png\">\n"
        "  <Label name=\"Text\" pos=\"5,6\" size=\"40,12\" textcolor=\"0x00FEE101\" font=\"0\"\n"
        "         align=\"right\" valign=\"bottom\" text=\"+0.5\" visible=\"false\"/>\n"
        "</Container>\n"
        "<Label name=\"Stop\" pos=\"0,0\" size=\"9,9\" disabledtextcolor=\"none\" enabled=\"false\"/>\n"
        "<Button name=\"Key\" pos=\"50,60\" size=\"20,10\" normalimage=\"a.png\" pushedimage=\"c.png\"/>\n"));
    ASSERT_TRUE(result.document) << result.error.toStdString();
    const SkinDocument& document = *result.document;

    EXPECT_EQ(document.name, "Test");
    EXPECT_EQ(document.windowSize, QSize(200, 100));
    EXPECT_EQ(document.defaultFont.pixelSize, 12);
    EXPECT_FALSE(document.defaultFont.bold);
    ASSERT_EQ(document.fonts.size(), 1u);
    EXPECT_TRUE(document.fonts[0].bold);
    ASSERT_EQ(document.images.size(), 2u);
    EXPECT_EQ(document.images[1].size, QSize(7, 3));
    EXPECT_FALSE(document.images[1].used);

    ASSERT_EQ(document.controls.size(), 5u);
    EXPECT_EQ(document.controls[0].kind, SkinControlKind::Rect);
    EXPECT_EQ(document.controls[0].parent, -1);
    EXPECT_EQ(document.controls[0].backgroundColor, 0xFF000000u);

    const int box = document.IndexOf("Box");
    const int text = document.IndexOf("Text");
    ASSERT_EQ(box, 1);
    ASSERT_EQ(text, 2);
    const SkinControlDefinition& label = document.controls[2];
    EXPECT_EQ(label.parent, box);
    EXPECT_EQ(label.position, QPoint(5, 6));
    EXPECT_EQ(label.size, QSize(40, 12));
    EXPECT_EQ(label.textColor, 0x00FEE101u);
    EXPECT_FALSE(label.backgroundColor.has_value());
    EXPECT_EQ(label.fontIndex, 0);
    EXPECT_EQ(label.horizontalAlign, SkinHorizontalAlign::Right);
    EXPECT_EQ(label.verticalAlign, SkinVerticalAlign::Bottom);
    EXPECT_EQ(label.text, "+0.5");
    EXPECT_FALSE(label.visible);
    EXPECT_EQ(label.disabledTextColor, 0xFFA7A6AAu);

    const SkinControlDefinition& stop = document.controls[3];
    EXPECT_EQ(stop.parent, -1) << "controls after a container are not inside it";
    EXPECT_FALSE(stop.disabledTextColor.has_value());
    EXPECT_FALSE(stop.enabled);
    EXPECT_EQ(stop.fontIndex, -1);
    EXPECT_EQ(stop.horizontalAlign, SkinHorizontalAlign::Left);
    EXPECT_EQ(stop.verticalAlign, SkinVerticalAlign::Center);

    const SkinControlDefinition& key = document.controls[4];
    EXPECT_EQ(key.kind, SkinControlKind::Button);
    EXPECT_EQ(key.pushedImage, "c.png");
    EXPECT_EQ(document.IndexOf("Nobody"), -1);
    EXPECT_EQ(document.IndexOf(""), -1);

    const std::vector<QString> images = document.ReferencedImages();
    EXPECT_EQ(images, (std::vector<QString>{"a.png", "c.png"}));
}

struct BadSkin {
    const char* what;
    std::string xml;  // complete document
    const char* errorPart;
};

std::string Doc(const std::string& body)
{
    return Wrap(body).toStdString();
}

class SkinDocumentRejects : public ::testing::TestWithParam<BadSkin> {};

TEST_P(SkinDocumentRejects, WithAMessageNamingTheLine)
{
    const BadSkin& bad = GetParam();
    const SkinParseResult result = ParseSkinDocument(QByteArray::fromStdString(bad.xml));
    EXPECT_FALSE(result.document) << bad.what;
    EXPECT_TRUE(result.error.startsWith("line ")) << result.error.toStdString();
    EXPECT_TRUE(result.error.contains(bad.errorPart))
        << bad.what << ": " << result.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SkinDocumentRejects,
    ::testing::Values(
        BadSkin{"empty", "", "no root element"},
        BadSkin{"wrong root", "<Window size=\"1,1\"/>", "root element must be Skin"},
        BadSkin{"unclosed", "<Skin size=\"1,1\"><Label pos=\"0,0\" size=\"1,1\">", ""},
        BadSkin{"no window size", "<Skin name=\"x\"/>", "needs attribute size"},
        BadSkin{"unknown element", Doc("<Slider pos=\"0,0\" size=\"1,1\"/>"), "unexpected element Slider"},
        BadSkin{"misspelt attribute", Doc("<Label pos=\"0,0\" size=\"1,1\" txt=\"a\"/>"), "unknown attribute txt"},
        BadSkin{"text on a rect", Doc("<Rect pos=\"0,0\" size=\"1,1\" text=\"a\"/>"), "unknown attribute text"},
        BadSkin{"bad colour", Doc("<Label pos=\"0,0\" size=\"1,1\" textcolor=\"0xFEE101\"/>"), "bad colour in textcolor"},
        BadSkin{"bad position", Doc("<Label pos=\"0\" size=\"1,1\"/>"), "pos must be two integers"},
        BadSkin{"missing size", Doc("<Label pos=\"0,0\"/>"), "needs attribute size"},
        BadSkin{"bad bool", Doc("<Label pos=\"0,0\" size=\"1,1\" visible=\"yes\"/>"), "true or false"},
        BadSkin{"font not in table", Doc("<Label pos=\"0,0\" size=\"1,1\" font=\"1\"/>"), "not in the font table"},
        BadSkin{"font out of order", Doc("<Font index=\"3\" face=\"Arial\" size=\"10\"/>"), "out of order"},
        BadSkin{"font after controls", Doc("<Label pos=\"0,0\" size=\"1,1\"/><Font index=\"1\" face=\"Arial\" size=\"9\"/>"), "before the controls"},
        BadSkin{"bad align", Doc("<Label pos=\"0,0\" size=\"1,1\" align=\"middle\"/>"), "align must be"},
        BadSkin{"duplicate name", Doc("<Label name=\"A\" pos=\"0,0\" size=\"1,1\"/><Label name=\"A\" pos=\"0,0\" size=\"1,1\"/>"), "duplicate control name A"},
        BadSkin{"button without pushed image", Doc("<Button name=\"K\" pos=\"0,0\" size=\"1,1\" normalimage=\"a.png\"/>"), "needs normalimage and pushedimage"},
        BadSkin{"label holding a control", Doc("<Label pos=\"0,0\" size=\"1,1\"><Label pos=\"0,0\" size=\"1,1\"/></Label>"), "cannot hold controls"},
        BadSkin{"second root", Doc("") + "<Skin size=\"1,1\"/>", ""}));

TEST(SkinColor, ParsesEightHexDigitsWithPrefix)
{
    struct Case {
        const char* text;
        std::optional<std::uint32_t> value;
    };
    const Case cases[] = {
        {"0xFF2D7A98", 0xFF2D7A98u}, {"0x00fee101", 0x00FEE101u}, {"#FF000000", 0xFF000000u},
        {" 0X0057FFFF ", 0x0057FFFFu}, {"FF000000", std::nullopt}, {"0xFEE101", std::nullopt},
        {"0xFF00000G", std::nullopt}, {"0x1FF000000", std::nullopt}, {"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseSkinColor(c.text), c.value) << c.text;
    }
}

}  // namespace
}  // namespace voltora::panel
