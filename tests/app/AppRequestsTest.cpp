// The application's answers to the desktop's open-document requests and to
// File > Open, Help > About and Help > Support, with the main window closed.
#include "MainWindowDriver.h"

#include "app/App.h"
#include "framework/Application.h"
#include "framework/FolderItem.h"
#include "support/TestSupport.h"

using namespace driver;

namespace {

class AppRequests : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        window.reset();
        CloseAllWindows();
        app = implicit::App();
    }

    App* app = nullptr;
    TempFolder folder;
};

TEST_F(AppRequests, OpeningAnExistingFileOpensANewWindowWithIt)
{
    const std::string path = folder.MakeFile("requested.txt", "from the desktop");
    app->Event_OpenDocument(std::make_shared<FolderItem>(path));

    ASSERT_EQ(OpenWindows().size(), 1u);
    const auto opened = std::dynamic_pointer_cast<MainWindow>(OpenWindows()[0]);
    ASSERT_NE(opened, nullptr);
    ASSERT_NE(opened->last, nullptr);
    EXPECT_EQ(opened->last->NativePathBytes(), path);
    EXPECT_EQ(DetailRows(*opened)[0].second, "requested.txt");
}

TEST_F(AppRequests, ARequestForAMissingItemOrFileOpenCancelledOpensNoWindow)
{
    app->Event_OpenDocument(std::make_shared<FolderItem>(folder.Path("no-such-file")));
    EXPECT_EQ(OpenWindows().size(), 0u);

    bool answered = false;
    AnswerNextOpenDialog("", &answered);
    EXPECT_FALSE(app->_FileOpen_Action());
    EXPECT_TRUE(answered);
    EXPECT_EQ(OpenWindows().size(), 0u);
}

TEST_F(AppRequests, HelpCommandsHandOverToTheDesktopAndReportHandled)
{
    std::vector<std::string> requests;
    SetDesktopServicesHook([&](const std::string& request) { requests.push_back(request); });
    const bool about = app->_HelpAbout_Action();
    const bool support = app->_HelpSupport_Action();
    SetDesktopServicesHook(nullptr);

    EXPECT_TRUE(about);
    EXPECT_TRUE(support);
    EXPECT_EQ(requests, (std::vector<std::string>{"about", std::string("url ") + App::SupportAddress}));
    EXPECT_EQ(OpenWindows().size(), 0u);
}

} // namespace
