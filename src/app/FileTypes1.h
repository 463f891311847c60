#pragma once

#include "framework/FileType.h"

#include <memory>

// The program's file types: any file, folders and disks, which the main
// window accepts in drops, and a PNG image type that only gets registered.
namespace FileTypes1 {
// Creates the four types and registers each once. Early start-up runs it
// once; running it again replaces the types with new, newly registered ones.
void _Initialize();

// The types; none before _Initialize. The same object on every call.
std::shared_ptr<FileType> Any();
std::shared_ptr<FileType> SpecialFolder();
std::shared_ptr<FileType> SpecialDisk();
} // namespace FileTypes1
