// File types and their registry: converting a type to text registers it
// once, and any change to the type withdraws the registration.
#include "framework/FileType.h"

#include <gtest/gtest.h>

#include <memory>

namespace {
// Each test uses names of its own, since the registry lives for the process.
std::unique_ptr<FileType> MakeType(const std::string& name)
{
    auto type = std::make_unique<FileType>();
    type->SetName(name);
    type->SetExtensions(".kst");
    type->SetMacType("KSTt");
    type->SetMacCreator("KSTc");
    type->SetMimeType("application/x-kestrune");
    type->SetImported(true);
    type->SetConformsTo("public.data");
    type->SetUTI("org.example.kestrune");
    return type;
}
} // namespace

TEST(FileTypeTest, aNewTypeIsEmptyAndNotRegistered)
{
    FileType type;
    EXPECT_EQ(type.Name(), "");
    EXPECT_EQ(type.Extensions(), "");
    EXPECT_EQ(type.MacType(), "");
    EXPECT_EQ(type.MacCreator(), "");
    EXPECT_EQ(type.MimeType(), "");
    EXPECT_EQ(type.ConformsTo(), "");
    EXPECT_EQ(type.UTI(), "");
    EXPECT_FALSE(type.Imported());
    EXPECT_FALSE(type.IsRegistered());
    EXPECT_EQ(type.GetClassInfo().Name(), "FileType");
}

TEST(FileTypeTest, conversionToTextRegistersOnceAndYieldsTheName)
{
    auto type = MakeType("test/once");
    EXPECT_EQ(FindRegisteredFileType("test/once"), nullptr);
    const int before = RegistrationCount("test/once"); // counts live as long as the process

    EXPECT_EQ(type->ToText(), "test/once");
    EXPECT_EQ(type->ToText(), "test/once");
    EXPECT_EQ(type->ToText(), "test/once");
    EXPECT_TRUE(type->IsRegistered());
    EXPECT_EQ(RegistrationCount("test/once"), before + 1);

    const RegisteredFileType* registered = FindRegisteredFileType("test/once");
    ASSERT_NE(registered, nullptr);
    EXPECT_EQ(registered->name, "test/once");
    EXPECT_EQ(registered->extensions, ".kst");
    EXPECT_EQ(registered->macType, "KSTt");
    EXPECT_EQ(registered->macCreator, "KSTc");
    EXPECT_EQ(registered->uti, "org.example.kestrune");
}

TEST(FileTypeTest, everySetterWithdrawsTheRegistration)
{
    auto type = MakeType("test/setters");
    using Change = void (*)(FileType&);
    const Change changes[] = {
        [](FileType& t) { t.SetExtensions(".other"); },   [](FileType& t) { t.SetMacType("OTHR"); },
        [](FileType& t) { t.SetMacCreator("OTHR"); },     [](FileType& t) { t.SetMimeType("text/plain"); },
        [](FileType& t) { t.SetImported(false); },        [](FileType& t) { t.SetConformsTo("public.text"); },
        [](FileType& t) { t.SetUTI("org.example.other"); }, [](FileType& t) { t.SetName("test/setters"); },
    };
    int expectedCount = RegistrationCount("test/setters");
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        SCOPED_TRACE(i);
        type->ToText();
        ++expectedCount;
        ASSERT_NE(FindRegisteredFileType("test/setters"), nullptr);
        changes[i](*type);
        EXPECT_FALSE(type->IsRegistered());
        EXPECT_EQ(FindRegisteredFileType("test/setters"), nullptr);
    }
    // Each withdrawal is followed by one new registration, with the new values.
    type->ToText();
    ++expectedCount;
    EXPECT_EQ(RegistrationCount("test/setters"), expectedCount);
    EXPECT_EQ(FindRegisteredFileType("test/setters")->macType, "OTHR");
    EXPECT_EQ(FindRegisteredFileType("test/setters")->extensions, ".other");
}

TEST(FileTypeTest, renamingMovesTheRegistrationOnTheNextConversion)
{
    auto type = MakeType("test/old-name");
    type->ToText();
    type->SetName("test/new-name");
    EXPECT_EQ(FindRegisteredFileType("test/old-name"), nullptr);
    EXPECT_EQ(FindRegisteredFileType("test/new-name"), nullptr);
    EXPECT_EQ(type->ToText(), "test/new-name");
    EXPECT_NE(FindRegisteredFileType("test/new-name"), nullptr);
}

TEST(FileTypeTest, withdrawingAReplacedTypeKeepsTheNewerRegistration)
{
    auto first = MakeType("test/shared");
    auto second = MakeType("test/shared");
    second->SetMacType("SCND");
    first->ToText();
    second->ToText(); // replaces the first under the same name
    first->SetMacType("FRST");
    ASSERT_NE(FindRegisteredFileType("test/shared"), nullptr);
    EXPECT_EQ(FindRegisteredFileType("test/shared")->macType, "SCND");
    second.reset(); // a registration dies with its type
    EXPECT_EQ(FindRegisteredFileType("test/shared"), nullptr);
}

TEST(FileTypeTest, classTableSetsTheTypeByPropertyName)
{
    FileType type;
    type.GetClassInfo().FindProperty("macType")->set(type, std::string("fold"));
    EXPECT_EQ(type.MacType(), "fold");
    EXPECT_EQ(kFileTypeAny, "special/any");
}
