#include "Localization.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QTranslator>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace {

// Guards the program's name and folder and the translators of explicitly
// requested languages, in which an empty pointer remembers that the
// language has no file.
std::mutex g_mutex;
QString g_programName;
QString g_installedFolder;
std::map<std::string, std::unique_ptr<QTranslator>> g_languages;
// What InstallTranslations installed in the application (main thread only).
std::vector<std::unique_ptr<QTranslator>> g_installed;

QStringList ProgramFolders(const QString& name, const QString& installedFolder)
{
    QStringList folders;
    if (name.isEmpty())
        return folders;
    for (const QString& base : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << base + QLatin1Char('/') + name + QStringLiteral("/translations");
    for (const QString& base : QStandardPaths::standardLocations(QStandardPaths::AppDataLocation))
        folders << base + QStringLiteral("/translations");
    if (!installedFolder.isEmpty())
        folders << installedFolder;
    folders.removeDuplicates();
    return folders;
}

// Loads <name>_<language>.qm from the first of the folders that has it.
bool LoadFirst(QTranslator& translator, const QLocale& language, const QStringList& names, const QStringList& folders)
{
    for (const QString& name : names) {
        for (const QString& folder : folders) {
            if (translator.load(language, name, QStringLiteral("_"), folder))
                return true;
        }
    }
    return false;
}

// Installs the translation of the first of the locale's UI languages that
// has one, and returns that language.
std::optional<QLocale> InstallFirst(const QLocale& locale, const QStringList& names, const QStringList& folders)
{
    auto translator = std::make_unique<QTranslator>();
    for (const QString& language : locale.uiLanguages()) {
        if (LoadFirst(*translator, QLocale(language), names, folders)) {
            QCoreApplication::installTranslator(translator.get());
            g_installed.push_back(std::move(translator));
            return QLocale(language);
        }
    }
    return std::nullopt;
}

// Qt lays the application out in the direction that its own translation
// names (QT_LAYOUT_DIRECTION). This answer, asked before Qt's translation,
// names the direction of the program's texts instead: the windows are laid
// out for what they say, while Qt's dialogs still speak the user's language.
class LayoutDirectionTranslator : public QTranslator {
public:
    explicit LayoutDirectionTranslator(Qt::LayoutDirection direction)
        : m_direction(direction == Qt::RightToLeft ? QStringLiteral("RTL") : QStringLiteral("LTR"))
    {
    }
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* = nullptr, int = -1) const override
    {
        return qstrcmp(context, "QGuiApplication") == 0 && qstrcmp(sourceText, "QT_LAYOUT_DIRECTION") == 0
                   ? m_direction
                   : QString();
    }

private:
    QString m_direction;
};

const QTranslator* TranslatorFor(const std::string& language)
{
    auto it = g_languages.find(language);
    if (it == g_languages.end()) {
        auto translator = std::make_unique<QTranslator>();
        const QString file = g_programName + QLatin1Char('_') + QString::fromStdString(language);
        bool loaded = false;
        for (const QString& folder : ProgramFolders(g_programName, g_installedFolder)) {
            if (translator->load(file, folder)) {
                loaded = true;
                break;
            }
        }
        if (!loaded)
            translator.reset();
        it = g_languages.emplace(language, std::move(translator)).first;
    }
    return it->second.get();
}

} // namespace

std::string _GetLocalizedString(const std::string& key, const std::string& defaultText, const std::string& language)
{
    const std::string context = key.substr(0, key.find('.'));
    QString translated;
    if (language.empty()) {
        translated = QCoreApplication::translate(context.c_str(), key.c_str());
    } else {
        std::lock_guard lock(g_mutex);
        if (const QTranslator* translator = TranslatorFor(language))
            translated = translator->translate(context.c_str(), key.c_str());
    }
    // Qt answers the source text itself (or nothing) when it has no translation.
    if (translated.isEmpty() || translated == QString::fromUtf8(key))
        return defaultText;
    return translated.toStdString();
}

void SetProgramTranslations(const std::string& name, const std::string& installedFolder)
{
    std::lock_guard lock(g_mutex);
    g_programName = QString::fromStdString(name);
    g_installedFolder = QString::fromStdString(installedFolder);
    g_languages.clear();
}

void InstallTranslations(const QLocale& locale)
{
    if (!QCoreApplication::instance())
        return;
    QString name, installedFolder;
    {
        std::lock_guard lock(g_mutex);
        name = g_programName;
        installedFolder = g_installedFolder;
    }
    for (const auto& translator : g_installed)
        QCoreApplication::removeTranslator(translator.get());
    g_installed.clear();
    InstallFirst(locale, {QStringLiteral("qtbase"), QStringLiteral("qt")},
                 {QLibraryInfo::path(QLibraryInfo::TranslationsPath)});
    const std::optional<QLocale> program = InstallFirst(locale, {name}, ProgramFolders(name, installedFolder));
    // Installing it makes Qt ask for the direction again.
    auto direction = std::make_unique<LayoutDirectionTranslator>(program ? program->textDirection() : Qt::LeftToRight);
    QCoreApplication::installTranslator(direction.get());
    g_installed.push_back(std::move(direction));
}
