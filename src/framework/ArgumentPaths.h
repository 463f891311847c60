#pragma once

#include <string>
#include <vector>

// The items that the user named on the command line (or the desktop named
// for the user), as full paths, so that another process can open them.
// Paths are raw bytes, kept byte for byte where they need no resolving.
class ArgumentPaths {
public:
    // The arguments after the program's own name, each made full against the
    // working folder, in order.
    static std::vector<std::string> Of(int argc, char** argv);

    // The working folder; empty where it is gone.
    static std::string WorkingFolder();

    // An argument as a full path. The folder part is resolved; the last name
    // is kept as given, so that a link stays itself, except where it is ".",
    // ".." or followed by a slash, which stand for a folder's own name. Where
    // nothing can be resolved (a missing item), the argument is joined to
    // the working folder as it stands; where the working folder is gone, a
    // relative argument stays relative. An empty argument names nothing and
    // stays empty.
    static std::string FullPath(const std::string& argument, const std::string& workingFolder);
};
