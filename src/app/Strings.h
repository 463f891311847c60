#pragma once

#include <string>

// The program's localisable texts. Each is looked up by its key
// ("Strings.About") on every call, nothing cached, with the English text as
// the default; language "" asks for the user's language.
namespace Strings {
std::string About(const std::string& language = "");
std::string Change(const std::string& language = "");
std::string Created(const std::string& language = "");
std::string DropFile(const std::string& language = "");
std::string Edit(const std::string& language = "");
std::string File(const std::string& language = "");
std::string Filename(const std::string& language = "");
std::string Filesize(const std::string& language = "");
std::string Help(const std::string& language = "");
std::string Modified(const std::string& language = "");
std::string Open(const std::string& language = "");
std::string Path(const std::string& language = "");
std::string Support(const std::string& language = "");
} // namespace Strings
