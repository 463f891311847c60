// File types and their registry: converting a type to text registers it
// once, and any change to the type withdraws the registration.
#include "framework/FileType.h"
#include "support/TestSupport.h"

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
    type->SetUTI("org.example.kestrune");
    return type;
}
} // namespace

TEST(FileTypeTest, RepeatedConversionToTextRegistersOnceWithTheTypesValues)
{
    auto type = MakeType("test/once");
    EXPECT_EQ(FindRegisteredFileType("test/once"), nullptr);
    RegistrationCounter registrations;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(type->ToText(), "test/once");
    EXPECT_EQ(registrations.Count("test/once"), 1);

    const RegisteredFileType* registered = FindRegisteredFileType("test/once");
    ASSERT_NE(registered, nullptr);
    EXPECT_EQ(registered->extensions, ".kst");
    EXPECT_EQ(registered->macType, "KSTt");
    EXPECT_EQ(registered->macCreator, "KSTc");
    EXPECT_EQ(registered->uti, "org.example.kestrune");
}

TEST(FileTypeTest, EverySetterWithdrawsTheRegistrationAndTheNextConversionRegistersTheNewValues)
{
    auto type = MakeType("test/setters");
    using Change = void (*)(FileType&);
    const Change changes[] = {
        [](FileType& t) { t.SetExtensions(".other"); },   [](FileType& t) { t.SetMacType("OTHR"); },
        [](FileType& t) { t.SetMacCreator("OTHR"); },     [](FileType& t) { t.SetMimeType("text/plain"); },
        [](FileType& t) { t.SetImported(true); },         [](FileType& t) { t.SetConformsTo("public.text"); },
        [](FileType& t) { t.SetUTI("org.example.other"); }, [](FileType& t) { t.SetName("test/setters"); },
    };
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        SCOPED_TRACE(i);
        type->ToText();
        ASSERT_TRUE(type->IsRegistered());
        changes[i](*type);
        EXPECT_FALSE(type->IsRegistered());
        EXPECT_EQ(FindRegisteredFileType("test/setters"), nullptr);
    }
    type->ToText();
    ASSERT_NE(FindRegisteredFileType("test/setters"), nullptr);
    EXPECT_EQ(FindRegisteredFileType("test/setters")->macType, "OTHR");
    EXPECT_EQ(FindRegisteredFileType("test/setters")->extensions, ".other");
}
