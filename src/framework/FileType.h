#pragma once

#include "Object.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The names under which a window accepts dropped items that are no files of
// a registered type.
inline constexpr std::string_view kFileTypeAny = "special/any";       // any file
inline constexpr std::string_view kFileTypeFolder = "special/folder"; // folders
inline constexpr std::string_view kFileTypeDisk = "special/disk";     // disks (mount points)

// A file type as the program declares it. Converting it to text registers it
// with the framework's registry, which knows it by its Name from then on;
// changing any field withdraws the registration, so the next conversion
// registers the new values.
class FileType : public Object {
    DECLARE_CLASS_INFO

public:
    FileType();
    // A registration dies with its type.
    ~FileType() override;

    const std::string& Name() const { return m_name; }
    void SetName(const std::string& value);
    // One or more extensions, each with its full stop (".png").
    const std::string& Extensions() const { return m_extensions; }
    void SetExtensions(const std::string& value);
    // Four-character type and creator codes.
    const std::string& MacType() const { return m_macType; }
    void SetMacType(const std::string& value);
    const std::string& MacCreator() const { return m_macCreator; }
    void SetMacCreator(const std::string& value);
    const std::string& MimeType() const { return m_mimeType; }
    void SetMimeType(const std::string& value);
    const std::string& ConformsTo() const { return m_conformsTo; }
    void SetConformsTo(const std::string& value);
    const std::string& UTI() const { return m_uti; }
    void SetUTI(const std::string& value);
    bool Imported() const { return m_imported; }
    void SetImported(bool value);

    // Registers the type if it is not registered yet, then returns its Name.
    std::string ToText();
    bool IsRegistered() const { return m_registration != 0; }

private:
    void Withdraw();

    std::string m_name, m_extensions, m_macType, m_macCreator, m_mimeType, m_conformsTo, m_uti;
    bool m_imported = false;
    std::uint64_t m_registration = 0; // 0: not registered
};

// What a registration hands to the registry.
struct RegisteredFileType {
    std::string name;
    std::string macCreator;
    std::string macType;
    std::string extensions;
    std::string uti;
};

// The process's file types, by name. A later registration under a name
// replaces the earlier one. Main thread only, like the types themselves.
namespace FileTypeRegistry {
// Returns the registration's token, never 0.
std::uint64_t Register(RegisteredFileType type);
// Removes the registration of that token, if it is still the current one.
void Withdraw(std::uint64_t token);
// Calls the watcher with the name of every registration from now on; an empty
// function stops watching. For tests.
void _Watch(std::function<void(std::string_view name)> watcher);
} // namespace FileTypeRegistry

// The registered type of that name, or none; valid until the next
// registration or withdrawal.
const RegisteredFileType* FindRegisteredFileType(std::string_view name);