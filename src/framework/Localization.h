#pragma once

#include <string>

// The translation of a localised text, looked up by its key ("Strings.About")
// in the Qt translations installed in the application: context = the part of
// the key before its first full stop, source text = the whole key. Where no
// translation exists, the default text is returned.
//
// language "" means the user's language, i.e. the translators that are
// installed in the application (InstallTranslations, or a test's own).
// Another language ("de", "fr_CA") reads the file kestrune_<language>.qm from
// the translation folders instead, loaded once and kept; where there is no
// such file, or it lacks the key, the default text is returned (not the
// user's language), so the caller gets the language it asked for or English.
std::string _GetLocalizedString(const std::string& key, const std::string& defaultText,
                                const std::string& language);

// Installs the translation of the user's locale (QLocale()), kestrune_<locale>.qm
// from <AppDataLocation>/translations or /usr/share/kestrune/translations,
// when one exists; silently does nothing otherwise. Needs the application
// object. Calling it again does nothing.
void InstallTranslations();
