#include "Localization.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStandardPaths>
#include <QStringList>
#include <QTranslator>

#include <map>
#include <memory>
#include <mutex>

namespace {
QStringList TranslationFolders()
{
    QStringList folders;
    for (const QString& base : QStandardPaths::standardLocations(QStandardPaths::AppDataLocation))
        folders << base + QStringLiteral("/translations");
    folders << QStringLiteral("/usr/share/kestrune/translations");
    return folders;
}

const QString kFilePrefix = QStringLiteral("kestrune");

// Translators of explicitly requested languages; an empty pointer remembers
// that the language has no file.
std::mutex g_languagesMutex;
std::map<std::string, std::unique_ptr<QTranslator>> g_languages;

const QTranslator* TranslatorFor(const std::string& language)
{
    std::lock_guard lock(g_languagesMutex);
    auto it = g_languages.find(language);
    if (it == g_languages.end()) {
        auto translator = std::make_unique<QTranslator>();
        const QString file = kFilePrefix + QLatin1Char('_') + QString::fromStdString(language);
        bool loaded = false;
        for (const QString& folder : TranslationFolders()) {
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
    } else if (const QTranslator* translator = TranslatorFor(language)) {
        translated = translator->translate(context.c_str(), key.c_str());
    }
    // Qt answers the source text itself (or nothing) when it has no translation.
    if (translated.isEmpty() || translated == QString::fromUtf8(key))
        return defaultText;
    return translated.toStdString();
}

void InstallTranslations()
{
    static QTranslator* installed = nullptr;
    if (installed || !QCoreApplication::instance())
        return;
    auto* translator = new QTranslator(QCoreApplication::instance());
    for (const QString& folder : TranslationFolders()) {
        // load(QLocale, ...) tries the locale's UI languages in turn
        // ("de_AT", "de"...), which is what the user expects.
        if (translator->load(QLocale(), kFilePrefix, QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
            installed = translator;
            return;
        }
    }
    delete translator;
}
