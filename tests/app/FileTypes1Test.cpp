// The program's file types: created and registered once by _Initialize, and
// handed out as the same objects afterwards.
#include "app/FileTypes1.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {
const char* const kNames[] = {"special/any", "special/folder", "special/disk", "image/png"};
}

TEST(FileTypes1Test, accessorsHoldNothingBeforeInitialisation)
{
    // A fresh process, so that no earlier test has filled the slots.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const bool empty = !FileTypes1::Any() && !FileTypes1::SpecialFolder() && !FileTypes1::SpecialDisk();
            std::exit(empty ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(FileTypes1Test, initialisationRegistersEachTypeOnce)
{
    int before[4];
    for (int i = 0; i < 4; ++i)
        before[i] = RegistrationCount(kNames[i]);

    FileTypes1::_Initialize();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(RegistrationCount(kNames[i]), before[i] + 1) << kNames[i];

    // The window converts them to text for its drops: names, and nothing new.
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(FileTypes1::Any()->ToText(), "special/any");
        EXPECT_EQ(FileTypes1::SpecialFolder()->ToText(), "special/folder");
        EXPECT_EQ(FileTypes1::SpecialDisk()->ToText(), "special/disk");
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(RegistrationCount(kNames[i]), before[i] + 1) << kNames[i];
}

TEST(FileTypes1Test, accessorsReturnTheSameObjectEveryTime)
{
    FileTypes1::_Initialize();
    auto any = FileTypes1::Any();
    auto folder = FileTypes1::SpecialFolder();
    auto disk = FileTypes1::SpecialDisk();
    ASSERT_NE(any, nullptr);
    ASSERT_NE(folder, nullptr);
    ASSERT_NE(disk, nullptr);
    EXPECT_NE(any, folder);
    EXPECT_NE(folder, disk);
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(FileTypes1::Any(), any);
        EXPECT_EQ(FileTypes1::SpecialFolder(), folder);
        EXPECT_EQ(FileTypes1::SpecialDisk(), disk);
    }
}

TEST(FileTypes1Test, typesCarryTheirDeclaredFields)
{
    FileTypes1::_Initialize();
    struct Expected {
        const char* name;
        const char* extensions;
        const char* macType;
        const char* macCreator;
        const char* uti;
    };
    const Expected table[] = {
        {"special/any", "", "????", "????", ""},
        {"special/folder", "", "fold", "MACS", ""},
        {"special/disk", "", "disk", "MACS", ""},
        {"image/png", ".png", "PNGf", "", "public.png"},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.name);
        const RegisteredFileType* registered = FindRegisteredFileType(e.name);
        ASSERT_NE(registered, nullptr);
        EXPECT_EQ(registered->extensions, e.extensions);
        EXPECT_EQ(registered->macType, e.macType);
        EXPECT_EQ(registered->macCreator, e.macCreator);
        EXPECT_EQ(registered->uti, e.uti);
    }
    for (const auto& type : {FileTypes1::Any(), FileTypes1::SpecialFolder(), FileTypes1::SpecialDisk()}) {
        SCOPED_TRACE(type->Name());
        EXPECT_TRUE(type->Imported());
        EXPECT_TRUE(type->IsRegistered());
        EXPECT_EQ(type->MimeType(), "");
        EXPECT_EQ(type->ConformsTo(), "");
    }
}
