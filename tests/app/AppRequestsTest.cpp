// The application's answers to the desktop's open-document requests and to
// File > Open, Help > About and Help > Support.
#include "MainWindowDriver.h"

#include "app/App.h"
#include "framework/Application.h"
#include "framework/FolderItem.h"
#include "support/TestSupport.h"

#include <QUrl>

using namespace driver;

namespace {

class AppRequests : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrepareStartup();
        app = implicit::App();
        ASSERT_NE(app, nullptr);
        CloseAllWindows();
        SetDesktopServicesHook([this](const std::string& request) { requests.push_back(request); });
    }

    void TearDown() override
    {
        SetDesktopServicesHook(nullptr);
        CloseAllWindows();
        EXPECT_EQ(exceptions.Caught(), std::vector<std::string>{});
    }

    static std::shared_ptr<MainWindow> OpenWindow()
    {
        return std::dynamic_pointer_cast<MainWindow>(_GetImplicitWindow("MainWindow.MainWindow"));
    }

    App* app = nullptr;
    TempFolder folder;
    std::vector<std::string> requests;
    ExceptionCatcher exceptions;
};

TEST_F(AppRequests, OpeningAnExistingFileWithTheWindowClosedOpensANewWindowWithIt)
{
    const std::string path = folder.MakeFile("requested.txt", "from the desktop");
    ASSERT_EQ(OpenWindow(), nullptr);

    app->Event_OpenDocument(std::make_shared<FolderItem>(path));

    const auto window = OpenWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->last, nullptr);
    EXPECT_EQ(window->last->NativePathBytes(), path);
    EXPECT_EQ(DetailRows(*window)[0].second, "requested.txt");

    // A second request goes to the same window.
    const std::string second = folder.MakeFile("second.txt");
    app->Event_OpenDocument(std::make_shared<FolderItem>(second));
    EXPECT_EQ(OpenWindow(), window);
    EXPECT_EQ(window->last->NativePathBytes(), second);
    EXPECT_EQ(OpenWindows().size(), 1u);
}

TEST_F(AppRequests, ARequestForNoItemOrAMissingOneDoesNothing)
{
    app->Event_OpenDocument(nullptr);
    app->Event_OpenDocument(std::make_shared<FolderItem>(folder.Path("no-such-file")));
    EXPECT_EQ(OpenWindows().size(), 0u);

    // With the window open, it keeps what it shows.
    const std::string shown = folder.MakeFile("shown.txt");
    app->Event_OpenDocument(std::make_shared<FolderItem>(shown));
    app->Event_OpenDocument(std::make_shared<FolderItem>(folder.Path("no-such-file")));
    ASSERT_NE(OpenWindow(), nullptr);
    EXPECT_EQ(OpenWindow()->last->NativePathBytes(), shown);
}

TEST_F(AppRequests, FileOpenCancelledLeavesAClosedWindowClosed)
{
    bool answered = false;
    AnswerNextOpenDialog("", &answered);
    EXPECT_FALSE(app->_FileOpen_Action());
    EXPECT_TRUE(answered);
    EXPECT_EQ(OpenWindows().size(), 0u);
}

TEST_F(AppRequests, FileOpenWithAChosenItemOpensTheWindowWithIt)
{
    const std::string chosen = folder.MakeFile("chosen.txt", "picked");
    bool answered = false;
    AnswerNextOpenDialog(chosen, &answered);
    EXPECT_FALSE(app->_FileOpen_Action());
    EXPECT_TRUE(answered);

    const auto window = OpenWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->last, nullptr);
    EXPECT_EQ(window->last->NativePathBytes(), chosen);
}

TEST_F(AppRequests, HelpCommandsHandOverToTheDesktopAndReportHandled)
{
    EXPECT_TRUE(app->_HelpAbout_Action());
    EXPECT_TRUE(app->_HelpSupport_Action());
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], "about");
    EXPECT_EQ(requests[1], std::string("url ") + App::SupportAddress);

    // A plain web address of a host: no path, no query.
    const QUrl address(QString::fromUtf8(App::SupportAddress));
    EXPECT_TRUE(address.isValid());
    EXPECT_TRUE(address.scheme() == "https" || address.scheme() == "http");
    EXPECT_FALSE(address.host().isEmpty());
    EXPECT_TRUE(address.path().isEmpty() || address.path() == "/");
    EXPECT_FALSE(address.hasQuery());
    EXPECT_EQ(OpenWindows().size(), 0u);
}

} // namespace
