#include "FileType.h"

#include <functional>
#include <map>

namespace {
struct Entry {
    std::uint64_t token;
    RegisteredFileType type;
};

struct Registry {
    std::map<std::string, Entry, std::less<>> byName;
    std::function<void(std::string_view)> watcher;
    std::uint64_t nextToken = 1;
};

Registry& TheRegistry()
{
    // Never destroyed: types held in static slots withdraw their
    // registrations while the process ends, after any local static is gone.
    static Registry* registry = new Registry;
    return *registry;
}
} // namespace

std::uint64_t FileTypeRegistry::Register(RegisteredFileType type)
{
    Registry& r = TheRegistry();
    const std::uint64_t token = r.nextToken++;
    if (r.watcher)
        r.watcher(type.name);
    std::string name = type.name;
    r.byName.insert_or_assign(std::move(name), Entry{token, std::move(type)});
    return token;
}

void FileTypeRegistry::Withdraw(std::uint64_t token)
{
    auto& byName = TheRegistry().byName;
    std::erase_if(byName, [token](const auto& entry) { return entry.second.token == token; });
}

const RegisteredFileType* FindRegisteredFileType(std::string_view name)
{
    auto& byName = TheRegistry().byName;
    auto it = byName.find(name);
    return it == byName.end() ? nullptr : &it->second.type;
}

void FileTypeRegistry::_Watch(std::function<void(std::string_view name)> watcher)
{
    TheRegistry().watcher = std::move(watcher);
}

const ClassInfo& FileType::StaticClassInfo()
{
    static const ClassInfo info(
        "FileType", &Object::StaticClassInfo(),
        {
            MakeProperty("Name", PropertyType::String, &FileType::Name, &FileType::SetName),
            MakeProperty("Extensions", PropertyType::String, &FileType::Extensions, &FileType::SetExtensions),
            MakeProperty("MacType", PropertyType::String, &FileType::MacType, &FileType::SetMacType),
            MakeProperty("MacCreator", PropertyType::String, &FileType::MacCreator, &FileType::SetMacCreator),
            MakeProperty("MimeType", PropertyType::String, &FileType::MimeType, &FileType::SetMimeType),
            MakeProperty("ConformsTo", PropertyType::String, &FileType::ConformsTo, &FileType::SetConformsTo),
            MakeProperty("UTI", PropertyType::String, &FileType::UTI, &FileType::SetUTI),
            MakeProperty("Imported", PropertyType::Boolean, &FileType::Imported, &FileType::SetImported),
        });
    return info;
}

FileType::FileType() = default;

FileType::~FileType()
{
    Withdraw();
}

void FileType::Withdraw()
{
    if (m_registration != 0) {
        FileTypeRegistry::Withdraw(m_registration);
        m_registration = 0;
    }
}

// Each setter withdraws first, so the registry never holds values that the
// type no longer has.
void FileType::SetName(const std::string& value)
{
    Withdraw();
    m_name = value;
}

void FileType::SetExtensions(const std::string& value)
{
    Withdraw();
    m_extensions = value;
}

void FileType::SetMacType(const std::string& value)
{
    Withdraw();
    m_macType = value;
}

void FileType::SetMacCreator(const std::string& value)
{
    Withdraw();
    m_macCreator = value;
}

void FileType::SetMimeType(const std::string& value)
{
    Withdraw();
    m_mimeType = value;
}

void FileType::SetConformsTo(const std::string& value)
{
    Withdraw();
    m_conformsTo = value;
}

void FileType::SetUTI(const std::string& value)
{
    Withdraw();
    m_uti = value;
}

void FileType::SetImported(bool value)
{
    Withdraw();
    m_imported = value;
}

std::string FileType::ToText()
{
    // MimeType, Imported and ConformsTo stay with the object: the registry
    // matches items by name, codes and extensions only.
    if (m_registration == 0)
        m_registration = FileTypeRegistry::Register({m_name, m_macCreator, m_macType, m_extensions, m_uti});
    return m_name;
}
