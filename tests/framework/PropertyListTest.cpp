// Design-time property lists: their byte format, and how _SetProperties
// reads them into an object.
#include "framework/Object.h"
#include "framework/PropertyList.h"
#include "framework/RuntimeException.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

// One property of every declared type, one of them computed (through a
// getter and a setter) and one only stored.
class Sample : public Object {
    DECLARE_CLASS_INFO
public:
    std::int64_t left = 0;
    bool visible = false;
    std::string title;
    std::int64_t style = 0;
    std::int64_t textUnit = 0;
    std::int64_t winTextUnit = 0;
    Color textColor;
    float textSize = 0;
    bool scrollBarHorizontal = true;
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& caption) { m_caption = caption; }

private:
    std::string m_caption;
};

const ClassInfo& Sample::StaticClassInfo()
{
    static const ClassInfo info("Sample", &Object::StaticClassInfo(), {
        MakeField("Left", PropertyType::Integer, &Sample::left),
        MakeField("Visible", PropertyType::Boolean, &Sample::visible),
        MakeField("Title", PropertyType::String, &Sample::title),
        MakeField("Style", PropertyType::Enum64, &Sample::style),
        MakeField("TextUnit", PropertyType::FontUnits, &Sample::textUnit),
        MakeField("WinTextUnit", PropertyType::Integer, &Sample::winTextUnit),
        MakeField("TextColor", PropertyType::Color, &Sample::textColor),
        MakeField("TextSize", PropertyType::Single, &Sample::textSize),
        MakeField("ScrollBarHorizontal", PropertyType::Boolean, &Sample::scrollBarHorizontal),
        MakeProperty("Caption", PropertyType::String, &Sample::Caption, &Sample::SetCaption),
        MakeStored("MacProcID", PropertyType::Integer),
    });
    return info;
}

std::string Hex(const std::string& bytes)
{
    return QByteArray::fromStdString(bytes).toHex().toUpper().toStdString();
}

} // namespace

TEST(PropertyListFormat, WritesValuesInTheirDeclaredWidthsAndStringCountsInBytes)
{
    // An arrow (three bytes of UTF-8), a carriage return, 33 letters and
    // spaces, and another carriage return: 36 characters in 38 bytes.
    const std::string reload = "\xE2\x9F\xB2\rANTICLOCKWISE GAPPED CIRCLE ARROW\r";
    const struct {
        PropertyList list;
        std::string expected;
    } cases[] = {
        {PropertyList().Integer("Width", 385), Hex("Width ") + "8101000000000000"},
        {PropertyList().FontUnit("TextUnit", 2), Hex("TextUnit ") + "02"},
        {PropertyList().String("Text", reload), Hex("Text ") + "26000000" + Hex(reload)},
        // Blue, green, red, then the alpha byte (0 = opaque).
        {PropertyList().ColorValue("TextColor", 0xB3A5FAu), Hex("TextColor ") + "FAA5B300"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Hex(c.list.Bytes()), c.expected);
}

TEST(SetProperties, ListWithEveryValueTypeRoundTripsWithOneByteTextUnitBesideEightByteWinTextUnit)
{
    Sample sample;
    const std::string list = PropertyList()
                                 .Integer("Left", -1)
                                 .Boolean("Visible", true)
                                 .String("Title", "Kestrune")
                                 .Enum("Style", 3)
                                 // one byte, then eight: a wrong width on either
                                 // side swallows or splits the neighbour
                                 .FontUnit("TextUnit", 2)
                                 .Integer("WinTextUnit", 0x0102030405060708)
                                 .ColorValue("TextColor", Color(0x80B3B3B3))
                                 .Single("TextSize", 20.5f)
                                 .Integer("MacProcID", 12)
                                 .Bytes();
    _SetProperties(sample, list);
    EXPECT_EQ(sample.left, -1);
    EXPECT_TRUE(sample.visible);
    EXPECT_EQ(sample.title, "Kestrune");
    EXPECT_EQ(sample.style, 3);
    EXPECT_EQ(sample.textUnit, 2);
    EXPECT_EQ(sample.winTextUnit, 0x0102030405060708);
    EXPECT_EQ(sample.textColor, Color(0x80B3B3B3));
    EXPECT_FLOAT_EQ(sample.textSize, 20.5f);
    EXPECT_EQ(std::get<std::int64_t>(GetPropertyValue(sample, "MacProcID")), 12);
}

TEST(SetProperties, NamesMatchWithoutRegardToCaseAndLaterEntriesReadRight)
{
    Sample sample;
    _SetProperties(sample, PropertyList()
                               .Boolean("ScrollbarHorizontal", false)
                               .Integer("left", 42)
                               .String("CAPTION", "x")
                               .Bytes());
    EXPECT_FALSE(sample.scrollBarHorizontal);
    EXPECT_EQ(sample.left, 42);
    EXPECT_EQ(sample.Caption(), "x");
}

TEST(SetProperties, BadListsGiveAClearErrorNamingPropertyAndOffsetAndReadNothingPastTheEnd)
{
    // Each bad entry follows a good one, so the offset named is the good one's length.
    const std::string good = PropertyList().Integer("Left", 5).Bytes();
    const std::pair<std::string, const char*> cases[] = {
        {PropertyList().Boolean("NoSuchThing", true).Bytes(), "NoSuchThing"}, // unknown name
        {PropertyList().Integer("Left", 1).Bytes().substr(0, 9), "Left"},     // integer cut short
        {std::string("Title \x10\0\0\0abc", 13), "Title"},                  // string count beyond the end
        {std::string("Title \x01\0", 8), "Title"},                            // string count cut short
        {"Visible", "Visible"},                                               // name without a value
        {"Visible ", "Visible"},                                              // boolean missing
    };
    for (const auto& [bad, name] : cases) {
        SCOPED_TRACE(name);
        Sample sample;
        try {
            _SetProperties(sample, good + bad);
            ADD_FAILURE() << "no exception";
        } catch (const UnsupportedFormatException& e) {
            EXPECT_NE(e.Message().find(std::string("\"") + name + "\""), std::string::npos) << e.Message();
            EXPECT_NE(e.Message().find("byte offset " + std::to_string(good.size())), std::string::npos) << e.Message();
        }
        // The entries before the faulty one were applied, the faulty one not.
        EXPECT_EQ(sample.left, 5);
        EXPECT_FALSE(sample.visible);
        EXPECT_EQ(sample.title, "");
    }
}
