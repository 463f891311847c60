// The program's menu bar, its localisable texts and its file types.
#include "app/FileTypes1.h"
#include "app/MainMenuBar.h"
#include "app/Startup.h"
#include "app/Strings.h"
#include "framework/Localization.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTranslator>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Translates the given keys of the "Strings" context while it lives.
class TestTranslator : public QTranslator {
public:
    explicit TestTranslator(std::map<std::string, std::string> texts) : m_texts(std::move(texts))
    {
        QCoreApplication::installTranslator(this);
    }
    ~TestTranslator() override { QCoreApplication::removeTranslator(this); }
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* key, const char* = nullptr, int = -1) const override
    {
        const auto it = m_texts.find(key);
        return std::string(context) == "Strings" && it != m_texts.end() ? QString::fromStdString(it->second)
                                                                         : QString();
    }

private:
    std::map<std::string, std::string> m_texts;
};

// The tree in creation order: each top-level menu followed by its items.
std::vector<std::shared_ptr<MenuItem>> Flatten(const MenuItem& bar)
{
    std::vector<std::shared_ptr<MenuItem>> items;
    for (std::size_t i = 0; i < bar.Count(); ++i) {
        items.push_back(bar.Item(i));
        for (std::size_t j = 0; j < bar.Item(i)->Count(); ++j)
            items.push_back(bar.Item(i)->Item(j));
    }
    return items;
}

struct MenuRow {
    const char* name;
    const char* className;
    const char* text;
    const char* shortcut; // nullptr: none set, which differs from the empty one
    bool localised;       // the caption is looked up in Strings
};

// In creation order: each menu, then its items.
const MenuRow kMenuTree[] = {
    {"FileMenu", "MenuItem", "File", "", true},
    {"FileOpen", "MenuItem", "Open...", "Cmd+O", true},
    {"UntitledSeparator", "MenuItem", "-", nullptr, false},
    {"FileQuit", "QuitMenuItem", "&Quit", "Cmd+Q", false},
    {"EditMenu", "MenuItem", "Edit", "", true},
    {"EditUndo", "MenuItem", "&Undo", "Cmd+Z", false},
    {"EditSeparator1", "MenuItem", "-", nullptr, false},
    {"EditCut", "MenuItem", "Cu&t", "Cmd+X", false},
    {"EditCopy", "MenuItem", "&Copy", "Cmd+C", false},
    {"EditPaste", "MenuItem", "&Paste", "Cmd+V", false},
    {"EditClear", "MenuItem", "&Delete", "", false},
    {"EditSeparator2", "MenuItem", "-", nullptr, false},
    {"EditSelectAll", "MenuItem", "Select &All", "Cmd+A", false},
    {"HelpMenu", "MenuItem", "Help", "", true},
    {"HelpSupport", "MenuItem", "Support", "", true},
    {"UntitledSeparator0", "MenuItem", "-", nullptr, false},
    {"HelpAbout", "AppleMenuItem", "About", "", true},
};

struct StringRow {
    std::string (*function)(const std::string&);
    const char* key;
    const char* english;
};
const StringRow kStrings[] = {
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

} // namespace

TEST(MainMenuBar, BuildsTheSeventeenItemsOnceWithTheirTextsAndShortcuts)
{
    const auto bar = implicit::MainMenuBar();
    EXPECT_EQ(implicit::MainMenuBar(), bar);

    ASSERT_EQ(bar->Count(), 3u);
    const auto items = Flatten(*bar);
    ASSERT_EQ(items.size(), std::size(kMenuTree));
    for (std::size_t i = 0; i < items.size(); ++i) {
        const MenuRow& row = kMenuTree[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(items[i]->Name(), row.name);
        EXPECT_EQ(items[i]->GetClassInfo().Name(), row.className);
        EXPECT_EQ(items[i]->Text(), row.text);
        EXPECT_EQ(items[i]->KeyboardShortcutIsSet(), row.shortcut != nullptr);
        EXPECT_EQ(items[i]->KeyboardShortcut(), row.shortcut ? row.shortcut : "");
        EXPECT_TRUE(items[i]->AutoEnable() && items[i]->Enabled() && items[i]->Visible());
    }
}

TEST(MainMenuBar, IsReleasedAtShutDownWhileQtIsStillThere)
{
    const std::weak_ptr<MainMenuBar> bar = implicit::MainMenuBar();
    _RuntimePerformFinalizers();
    EXPECT_TRUE(bar.expired());
    EXPECT_NE(implicit::MainMenuBar(), nullptr) << "asked for again, it is built again";
}

TEST(Strings, EnglishWithoutTranslationsAndATranslationReplacesItsKeyOnly)
{
    for (const StringRow& row : kStrings) {
        EXPECT_EQ(row.function(""), row.english);
        EXPECT_EQ(row.function("xx"), row.english) << "a language without translations";
    }
    for (const StringRow& translated : kStrings) {
        SCOPED_TRACE(translated.key);
        {
            TestTranslator translator(std::map<std::string, std::string>{{translated.key, "Übersetzt"}});
            for (const StringRow& row : kStrings)
                EXPECT_EQ(row.function(""), row.function == translated.function ? "Übersetzt" : row.english);
        }
        // Looked up again on the next call: nothing was kept.
        EXPECT_EQ(translated.function(""), translated.english);
    }

    // The menus look their six captions up when they are built.
    std::map<std::string, std::string> marked;
    for (const StringRow& row : kStrings)
        marked[row.key] = std::string(row.english) + "!";
    TestTranslator translator(marked);
    auto bar = std::make_shared<MainMenuBar>();
    bar->Constructor();
    const auto items = Flatten(*bar);
    ASSERT_EQ(items.size(), std::size(kMenuTree));
    for (std::size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(items[i]->Text(), std::string(kMenuTree[i].text) + (kMenuTree[i].localised ? "!" : "")) << i;
}

TEST(Strings, TheProgramsTranslationIsFoundInTheDataFoldersOrWhereTheProgramIsInstalled)
{
    const QString name = QString::fromStdString(Program().translationsName);
    const QByteArray home = qgetenv("XDG_DATA_HOME"), dirs = qgetenv("XDG_DATA_DIRS");
    const struct {
        const char* where;
        QString folder;
    } rows[] = {
        {"the user's data folder", "home/" + name + "/translations"},
        {"a data folder of the system", "dirs/" + name + "/translations"},
        {"where the program is installed", "installed"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.where);
        TempFolder root;
        const QString base = QFile::decodeName(QByteArray::fromStdString(root.Path())) + '/';
        qputenv("XDG_DATA_HOME", QFile::encodeName(base + "home"));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(base + "dirs"));
        SetProgramTranslations(Program().translationsName, root.Path("installed"));
        ASSERT_TRUE(QDir().mkpath(base + row.folder));
        ASSERT_TRUE(QFile::copy(TEST_TRANSLATION_DE, base + row.folder + '/' + name + "_de.qm"));

        EXPECT_EQ(Strings::About("de"), "Über");
        EXPECT_EQ(Strings::About("fr"), "About");
        // As the user's language, beside Qt's own translation.
        InstallTranslations(QLocale("de_AT"));
        EXPECT_EQ(Strings::About(), "Über");
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
        InstallTranslations(QLocale::c());
        EXPECT_EQ(Strings::About(), "About");
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
    }
    for (const auto& [variable, value] : {std::pair{"XDG_DATA_HOME", home}, std::pair{"XDG_DATA_DIRS", dirs}})
        value.isNull() ? qunsetenv(variable) : qputenv(variable, value);
    SetProgramTranslations("", "");
}

TEST(FileTypes1, RegistersEachTypeOnceAndHandsOutTheSameObjects)
{
    const std::pair<std::shared_ptr<FileType> (*)(), const char*> types[] = {
        {FileTypes1::Any, "special/any"}, {FileTypes1::SpecialFolder, "special/folder"},
        {FileTypes1::SpecialDisk, "special/disk"}, {nullptr, "image/png"}};
    RegistrationCounter registrations;
    FileTypes1::_Initialize();
    for (const auto& [accessor, name] : types) {
        if (accessor) {
            const auto type = accessor();
            ASSERT_NE(type, nullptr) << name;
            // Converted to text for the window's drops: the name, registered no more.
            EXPECT_EQ(type->ToText(), name);
            EXPECT_EQ(accessor(), type) << name;
        }
        EXPECT_EQ(registrations.Count(name), 1) << name;
    }
    const RegisteredFileType* png = FindRegisteredFileType("image/png");
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(png->extensions, ".png");
    EXPECT_EQ(png->uti, "public.png");
}
