#include "Strings.h"

#include "framework/Localization.h"

namespace Strings {
std::string About(const std::string& language)
{
    return _GetLocalizedString("Strings.About", "About", language);
}

std::string Change(const std::string& language)
{
    return _GetLocalizedString("Strings.Change", "Change", language);
}

std::string Created(const std::string& language)
{
    return _GetLocalizedString("Strings.Created", "Created:", language);
}

std::string DropFile(const std::string& language)
{
    return _GetLocalizedString("Strings.DropFile", "Drop File or Folder here", language);
}

std::string Edit(const std::string& language)
{
    return _GetLocalizedString("Strings.Edit", "Edit", language);
}

std::string File(const std::string& language)
{
    return _GetLocalizedString("Strings.File", "File", language);
}

std::string Filename(const std::string& language)
{
    return _GetLocalizedString("Strings.Filename", "Filename:", language);
}

std::string Filesize(const std::string& language)
{
    return _GetLocalizedString("Strings.Filesize", "File size:", language);
}

std::string Help(const std::string& language)
{
    return _GetLocalizedString("Strings.Help", "Help", language);
}

std::string Modified(const std::string& language)
{
    return _GetLocalizedString("Strings.Modified", "Modified:", language);
}

// Three full stops, not an ellipsis character.
std::string Open(const std::string& language)
{
    return _GetLocalizedString("Strings.Open", "Open...", language);
}

std::string Path(const std::string& language)
{
    return _GetLocalizedString("Strings.Path", "Path:", language);
}

std::string Support(const std::string& language)
{
    return _GetLocalizedString("Strings.Support", "Support", language);
}
} // namespace Strings
