#include "app/App.h"
#include "app/MainMenuBar.h"
#include "app/Startup.h"
#include "window/MainWindow.h"

#include "framework/MenuBar.h"
#include "support/TestSupport.h"

#include <QAction>

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>
#include <utility>

namespace {

// Runs the main routine until the event loop has delivered the desktop's
// requests, then quits it.
void RunMainRoutineBriefly()
{
    // 50 ms: long enough for the queued new-document request to arrive
    // first; the loop is quit by the program's own quit path.
    QTimer::singleShot(50, [] { _RuntimeQuit(); });
    _Main();
}

} // namespace

TEST(Startup, StepsRunInTheirFixedOrder)
{
    std::vector<std::string> steps;
    _WatchStartupSteps([&](const std::string& step) { steps.push_back(step); });
    RunMainRoutineBriefly();
    _WatchStartupSteps(nullptr);
    const std::vector<std::string> expected = {
        "high-resolution support", "framework classes", "picker controls", "file types", "application object",
        "menu handler FileOpen", "menu handler HelpAbout", "menu handler HelpSupport", "framework initialisation",
        "late start-up", "main window", "event loop",
    };
    EXPECT_EQ(steps, expected);
}

TEST(Startup, ApplicationWindowAndMenusAreWiredTogether)
{
    RunMainRoutineBriefly();
    ::App* app = implicit::App();
    ASSERT_NE(app, nullptr);
    for (const char* item : {"FileOpen", "HelpAbout", "HelpSupport"})
        EXPECT_TRUE(app->_HasMenuHandler(item)) << item;
    EXPECT_FALSE(app->_HasMenuHandler("FileQuit"));

    auto window = _GetImplicitWindow("MainWindow.MainWindow");
    ASSERT_NE(window, nullptr) << "late start-up makes the main window";
    EXPECT_EQ(window->MenuBar(), app->MenuBar());
    EXPECT_EQ(std::dynamic_pointer_cast<MainMenuBar>(app->MenuBar()), implicit::MainMenuBar());

    // Each item chosen runs its own command.
    std::vector<std::string> ran;
    SetDesktopServicesHook([&](const std::string& request) { ran.push_back(request); });
    const std::pair<const char*, std::string> commands[] = {
        {"FileOpen", "open dialog"}, {"HelpSupport", std::string("url ") + App::SupportAddress}, {"HelpAbout", "about"}};
    bool answered = false;
    for (const auto& [item, command] : commands) {
        ran.clear();
        if (command == "open dialog")
            AnswerNextOpenDialog("", &answered);
        app->MenuBar()->_Lookup(item)->NativeAction()->trigger();
        if (std::exchange(answered, false))
            ran.push_back("open dialog");
        EXPECT_EQ(ran, std::vector<std::string>{command}) << item;
    }
    SetDesktopServicesHook(nullptr);
    window->Close();
}

TEST(NewDocumentRequest, LeavesAnOpenWindowAloneAndBringsAClosedOneBackEmpty)
{
    RunMainRoutineBriefly();
    auto first = std::dynamic_pointer_cast<MainWindow>(_GetImplicitWindow("MainWindow.MainWindow"));
    ASSERT_NE(first, nullptr);
    const auto menuBar = first->MenuBar();
    first->last = std::make_shared<FolderItem>("/");

    implicit::App()->Event_NewDocument();
    EXPECT_EQ(_GetImplicitWindow("MainWindow.MainWindow"), first);
    EXPECT_NE(first->last, nullptr);

    first->Close();
    implicit::App()->Event_NewDocument();
    auto second = std::dynamic_pointer_cast<MainWindow>(_GetImplicitWindow("MainWindow.MainWindow"));
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->last, nullptr);
    EXPECT_EQ(second->MenuBar(), menuBar) << "the menus are not built again";
    second->Close();
}

TEST(Startup, AStartThatStopsOnAnExceptionSaysWhichAndEndsWithStatusOne)
{
    // Off the main thread the runtime's initialisation refuses to run.
    char name[] = "kestrune";
    char* argv[] = {name, nullptr};
    int argc = 1;
    int status = 0;
    testing::internal::CaptureStderr();
    std::thread([&] { status = RunProcess(argc, argv); }).join();
    const std::string said = testing::internal::GetCapturedStderr();

    EXPECT_EQ(status, 1);
    EXPECT_NE(said.find("ThreadAccessingUIException: A user-interface member was used outside the main thread."),
              std::string::npos)
        << said;
}
