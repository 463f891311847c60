#pragma once

#include <QLocale>

#include <string>

// The translation of a localised text, looked up by its key ("Strings.About")
// in the Qt translations installed in the application: context = the part of
// the key before its first full stop, source text = the whole key. Where no
// translation exists, the default text is returned.
//
// language "" means the user's language, i.e. the translators that are
// installed in the application (InstallTranslations, or a test's own).
// Another language ("de", "fr_CA") reads the program's file for it instead
// (see SetProgramTranslations), loaded once and kept; where there is no such
// file, or it lacks the key, the default text is returned (not the user's
// language), so the caller gets the language it asked for or English.
std::string _GetLocalizedString(const std::string& key, const std::string& defaultText,
                                const std::string& language);

// Where the program's translations are: <name>_<language>.qm, looked up in
// turn in <XDG data folder>/<name>/translations for each of the user's XDG
// data folders (QStandardPaths::GenericDataLocation), in
// <AppDataLocation>/translations, and in installedFolder.
void SetProgramTranslations(const std::string& name, const std::string& installedFolder);

// Installs, for the first of the locale's UI languages that has one, Qt's own
// translation (qtbase_<language>.qm, else qt_<language>.qm, from
// QLibraryInfo's translations folder) and, in the same way, the program's;
// replaces what an earlier call installed. Needs the application object.
// The application's layout direction follows the program's translation, not
// Qt's: right to left only where the program's texts are in a right-to-left
// language, left to right where it has no translation.
void InstallTranslations(const QLocale& locale = QLocale::system());
