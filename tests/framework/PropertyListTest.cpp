#include "framework/Object.h"
#include "framework/PropertyList.h"
#include "framework/RuntimeException.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A small class hierarchy with one property of every declared type; the
// computed property counts its setter calls.
class Base : public Object {
    KESTRUNE_CLASS_INFO
public:
    std::int64_t left = 0;
    bool visible = false;
    std::string title;
};

class Sample : public Base {
    KESTRUNE_CLASS_INFO
public:
    std::int64_t style = 0;
    std::int64_t textUnit = 0;
    std::int64_t winTextUnit = 0;
    Color textColor;
    float textSize = 0;
    bool scrollBarHorizontal = true;
    int captionSets = 0;
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& caption)
    {
        m_caption = caption;
        ++captionSets;
    }

private:
    std::string m_caption;
};

const ClassInfo& Base::StaticClassInfo()
{
    static const ClassInfo info("Base", &Object::StaticClassInfo(), {
        MakeField("Left", PropertyType::Integer, &Base::left),
        MakeField("Visible", PropertyType::Boolean, &Base::visible),
        MakeField("Title", PropertyType::String, &Base::title),
    });
    return info;
}

const ClassInfo& Sample::StaticClassInfo()
{
    static const ClassInfo info("Sample", &Base::StaticClassInfo(), {
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
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

} // namespace

TEST(PropertyListFormat, WritesEachTypeInItsDeclaredWidth)
{
    EXPECT_EQ(Hex(PropertyList().Integer("Left", -1).Bytes()), Hex("Left ") + "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(Hex(PropertyList().Integer("Width", 385).Bytes()), Hex("Width ") + "8101000000000000");
    EXPECT_EQ(Hex(PropertyList().Boolean("Visible", true).Bytes()), Hex("Visible ") + "01");
    EXPECT_EQ(Hex(PropertyList().FontUnit("TextUnit", 0).Bytes()), Hex("TextUnit ") + "00");
    EXPECT_EQ(Hex(PropertyList().String("HelpTag", "").Bytes()), Hex("HelpTag ") + "00000000");
    EXPECT_EQ(Hex(PropertyList().String("Title", "Kestrune").Bytes()), Hex("Title ") + "08000000" + Hex("Kestrune"));
    // Blue, green, red, then the alpha byte (0 = opaque).
    EXPECT_EQ(Hex(PropertyList().ColorValue("TextColor", 0xB3A5FAu).Bytes()), Hex("TextColor ") + "FAA5B300");
    EXPECT_EQ(Hex(PropertyList().Single("TextSize", 11.0f).Bytes()), Hex("TextSize ") + "00003041");
}

TEST(PropertyListFormat, StringCountIsInBytesNotCharacters)
{
    // An arrow (three bytes of UTF-8), a carriage return, 33 letters and
    // spaces, and another carriage return: 36 characters in 38 bytes.
    const std::string reload = "\xE2\x9F\xB2\rANTICLOCKWISE GAPPED CIRCLE ARROW\r";
    const std::string bytes = PropertyList().String("Text", reload).Bytes();
    EXPECT_EQ(Hex(bytes.substr(5, 4)), "26000000");
    EXPECT_EQ(bytes.size(), 5u + 4u + 38u);
}

TEST(PropertyListFormat, StoredFormHasTheLengthByte)
{
    PropertyList shortList;
    shortList.Boolean("Visible", true);
    EXPECT_EQ(static_cast<unsigned char>(shortList.StoredForm()[0]), shortList.Bytes().size());
    PropertyList longList;
    for (int i = 0; i < 30; ++i)
        longList.Integer("Left", i);
    ASSERT_GT(longList.Bytes().size(), 254u);
    EXPECT_EQ(static_cast<unsigned char>(longList.StoredForm()[0]), 0xFF);
    EXPECT_EQ(longList.StoredForm().substr(1), longList.Bytes());
}

TEST(SetProperties, ListWithEveryValueTypeRoundTrips)
{
    Sample sample;
    const std::string list = PropertyList()
                                 .Integer("Left", -1)
                                 .Boolean("Visible", true)
                                 .String("Title", "Kestrune")
                                 .Enum("Style", 3)
                                 .FontUnit("TextUnit", 2)
                                 .Integer("WinTextUnit", 7)
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
    EXPECT_EQ(sample.winTextUnit, 7);
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

TEST(SetProperties, OneByteTextUnitBesideEightByteWinTextUnit)
{
    Sample sample;
    _SetProperties(sample, PropertyList()
                               .FontUnit("TextUnit", 1)
                               .Integer("WinTextUnit", 0x0102030405060708)
                               .Boolean("Visible", true)
                               .Bytes());
    EXPECT_EQ(sample.textUnit, 1);
    EXPECT_EQ(sample.winTextUnit, 0x0102030405060708);
    EXPECT_TRUE(sample.visible);
}

TEST(SetProperties, ComputedPropertyGoesThroughItsSetterEveryTime)
{
    Sample sample;
    _SetProperties(sample, PropertyList().String("Caption", "a").String("Caption", "a").Bytes());
    EXPECT_EQ(sample.captionSets, 2);
}

TEST(SetProperties, BadListsGiveAClearErrorAndReadNothingPastTheEnd)
{
    struct Case {
        const char* what;
        std::string list;
        const char* expectedName;
        std::size_t expectedOffset;
    };
    const std::string good = PropertyList().Integer("Left", 5).Bytes();
    const std::vector<Case> cases = {
        {"unknown name", good + PropertyList().Boolean("NoSuchThing", true).Bytes(), "NoSuchThing", good.size()},
        {"integer cut short", good + PropertyList().Integer("Left", 1).Bytes().substr(0, 9), "Left", good.size()},
        {"string count beyond the end", good + std::string("Title \x10\0\0\0abc", 13), "Title", good.size()},
        {"string count cut short", good + std::string("Title \x01\0", 8), "Title", good.size()},
        {"name without a value", good + "Visible", "Visible", good.size()},
        {"boolean missing", good + "Visible ", "Visible", good.size()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Sample sample;
        try {
            _SetProperties(sample, c.list);
            ADD_FAILURE() << "no exception";
        } catch (const UnsupportedFormatException& e) {
            const std::string message = e.Message();
            EXPECT_NE(message.find(std::string("\"") + c.expectedName + "\""), std::string::npos) << message;
            EXPECT_NE(message.find("byte offset " + std::to_string(c.expectedOffset)), std::string::npos) << message;
        }
        // The entries before the faulty one were applied, the faulty one not.
        EXPECT_EQ(sample.left, 5);
        EXPECT_FALSE(sample.visible);
        EXPECT_EQ(sample.title, "");
    }
}
