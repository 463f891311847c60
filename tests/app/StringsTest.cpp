// The program's localisable texts: English without translations, and a
// translation of one key replaces that text only, on the very next call.
#include "app/Strings.h"

#include <QCoreApplication>
#include <QTranslator>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {
struct Row {
    std::string (*function)(const std::string&);
    const char* key;
    const char* english;
};

const Row kRows[] = {
    {Strings::About, "Strings.About", "About"},
    {Strings::Change, "Strings.Change", "Change"},
    {Strings::Created, "Strings.Created", "Created:"},
    {Strings::DropFile, "Strings.DropFile", "Drop File or Folder here"},
    {Strings::Edit, "Strings.Edit", "Edit"},
    {Strings::File, "Strings.File", "File"},
    {Strings::Filename, "Strings.Filename", "Filename:"},
    {Strings::Filesize, "Strings.Filesize", "File size:"},
    {Strings::Help, "Strings.Help", "Help"},
    {Strings::Modified, "Strings.Modified", "Modified:"},
    {Strings::Open, "Strings.Open", "Open..."},
    {Strings::Path, "Strings.Path", "Path:"},
    {Strings::Support, "Strings.Support", "Support"},
};

// Answers the given keys of the "Strings" context and counts every question.
class FakeTranslator : public QTranslator {
public:
    explicit FakeTranslator(std::map<std::string, QString> texts) : m_texts(std::move(texts))
    {
        QCoreApplication::installTranslator(this);
    }
    ~FakeTranslator() override { QCoreApplication::removeTranslator(this); }

    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override
    {
        (void)disambiguation;
        (void)n;
        ++questions[sourceText];
        if (std::string(context) != "Strings")
            return {};
        auto it = m_texts.find(sourceText);
        return it == m_texts.end() ? QString() : it->second;
    }

    mutable std::map<std::string, int> questions;

private:
    std::map<std::string, QString> m_texts;
};
} // namespace

TEST(StringsTest, withoutTranslationsEveryTextIsItsEnglishDefault)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(row.function(""), row.english);
        // A language without translation files gets English as well.
        EXPECT_EQ(row.function("xx"), row.english);
    }
    EXPECT_EQ(Strings::Open(), "Open...");
}

TEST(StringsTest, aTranslationReplacesTheTextOfItsKeyOnly)
{
    for (const Row& translated : kRows) {
        SCOPED_TRACE(translated.key);
        {
            FakeTranslator translator({{translated.key, QString::fromUtf8("Übersetzt")}});
            for (const Row& row : kRows)
                EXPECT_EQ(row.function(""), std::string(row.key) == translated.key ? "Übersetzt" : row.english) << row.key;
        }
        // Gone with its translator: nothing was kept.
        EXPECT_EQ(translated.function(""), translated.english);
    }
}

TEST(StringsTest, everyCallLooksTheTextUpAgain)
{
    FakeTranslator translator({});
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.key);
        row.function("");
        row.function("");
        EXPECT_EQ(translator.questions[row.key], 2);
    }
}
