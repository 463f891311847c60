#include "FileTypes1.h"

namespace {
std::shared_ptr<FileType> pAny;
std::shared_ptr<FileType> pSpecialFolder;
std::shared_ptr<FileType> pSpecialDisk;
// Registered for completeness of the program's declared types; nothing reads it.
std::shared_ptr<FileType> pPng;

struct Fields {
    std::string_view name;
    const char* extensions;
    const char* macType;
    const char* macCreator;
    const char* mimeType;
    bool imported;
    const char* conformsTo;
    const char* uti; // nullptr: left unset
};

// Fields go in a fixed order; each setter withdraws any earlier
// registration, so the one conversion at the end registers the final values.
void Make(std::shared_ptr<FileType>& slot, const Fields& f)
{
    slot = std::make_shared<FileType>();
    FileType& type = *slot;
    type.SetName(std::string(f.name));
    type.SetExtensions(f.extensions);
    type.SetMacType(f.macType);
    type.SetMacCreator(f.macCreator);
    type.SetMimeType(f.mimeType);
    type.SetImported(f.imported);
    type.SetConformsTo(f.conformsTo);
    if (f.uti)
        type.SetUTI(f.uti);
    (void)type.ToText(); // the conversion registers the type
}
} // namespace

namespace FileTypes1 {
void _Initialize()
{
    Make(pAny, {kFileTypeAny, "", "????", "????", "", true, "", nullptr});
    Make(pSpecialFolder, {kFileTypeFolder, "", "fold", "MACS", "", true, "", nullptr});
    Make(pSpecialDisk, {kFileTypeDisk, "", "disk", "MACS", "", true, "", nullptr});
    Make(pPng, {"image/png", ".png", "PNGf", "", "", true, "public.image", "public.png"});
}

std::shared_ptr<FileType> Any()
{
    return pAny;
}

std::shared_ptr<FileType> SpecialFolder()
{
    return pSpecialFolder;
}

std::shared_ptr<FileType> SpecialDisk()
{
    return pSpecialDisk;
}
} // namespace FileTypes1
