// What the user typed as items to open, made full paths for another process:
// the folder part resolved, the last name kept as given (a link stays a
// link) unless it stands for a folder, missing items and a gone working
// folder handled without a guess.
#include "framework/ArgumentPaths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Resolved(const std::string& path)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    std::string result = resolved ? resolved : "";
    std::free(resolved);
    return result;
}

TEST(ArgumentPaths, AnArgumentBecomesAFullPathWithOnlyItsFolderPartResolved)
{
    TempFolder folder;
    ASSERT_EQ(::mkdir(folder.Path("work").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(folder.Path("work/sub").c_str(), 0700), 0);
    folder.MakeFile("work/one.txt");
    ASSERT_EQ(::symlink("one.txt", folder.Path("work/link.txt").c_str()), 0);
    ASSERT_EQ(::symlink("sub", folder.Path("work/linked").c_str()), 0);
    const std::string w = Resolved(folder.Path("work"));
    const std::string parent = Resolved(folder.Path());
    const struct {
        std::string argument;
        std::string workingFolder;
        std::string path;
    } rows[] = {
        {"one.txt", w, w + "/one.txt"},
        {"caf\xE9 \n.txt", w, w + "/caf\xE9 \n.txt"},
        {"sub/../one.txt", w, w + "/one.txt"},
        {"./sub/./one.txt", w, w + "/sub/one.txt"},
        {w + "/sub/../one.txt", "/", w + "/one.txt"},
        {"link.txt", w, w + "/link.txt"},
        {"linked", w, w + "/linked"},
        {"linked/", w, w + "/sub"},
        {"linked/one.txt", w, w + "/sub/one.txt"},
        {".", w, w},
        {"..", w, parent},
        {"sub//", w, w + "/sub"},
        {"/", w, "/"},
        {"//", w, "/"},
        {"missing/none.txt", w, w + "/missing/none.txt"},
        {"missing/../none.txt", w, w + "/missing/../none.txt"},
        {"", w, ""},
        // The working folder is gone.
        {"one.txt", "", "one.txt"},
        {w + "/one.txt", "", w + "/one.txt"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.argument + " in " + row.workingFolder);
        EXPECT_EQ(ArgumentPaths::FullPath(row.argument, row.workingFolder), row.path);
    }
}

TEST(ArgumentPaths, TheArgumentsAfterTheProgramsNameAreMadeFullInOrderAndAGoneWorkingFolderIsEmpty)
{
    TempFolder folder;
    const std::string saved = ArgumentPaths::WorkingFolder();
    ASSERT_EQ(::mkdir(folder.Path("work").c_str(), 0700), 0);
    ASSERT_EQ(::chdir(folder.Path("work").c_str()), 0);
    const std::string w = Resolved(".");
    char program[] = "kestrune", one[] = "one.txt", root[] = "/", none[] = "";
    char* argv[] = {program, one, root, none, nullptr};
    EXPECT_EQ(ArgumentPaths::Of(4, argv), (std::vector<std::string>{w + "/one.txt", "/", ""}));
    EXPECT_EQ(ArgumentPaths::WorkingFolder(), w);
    ASSERT_EQ(::rmdir(w.c_str()), 0);
    EXPECT_EQ(ArgumentPaths::WorkingFolder(), "");
    EXPECT_EQ(ArgumentPaths::Of(2, argv), std::vector<std::string>{"one.txt"});
    ASSERT_EQ(::chdir(saved.c_str()), 0);
}

} // namespace
