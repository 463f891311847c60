// The desktop's open-document request and the menu commands the program
// handles itself.
#include "App.h"

#include "framework/OpenDialog.h"
#include "window/MainWindow.h"

void App::Event_OpenDocument(std::shared_ptr<FolderItem> item)
{
    // A request for an item that is gone is ignored without a word, and
    // opens no window.
    if (item && item->Exists())
        implicit::MainWindow()->run(item);
}

bool App::_FileOpen_Action()
{
    std::shared_ptr<FolderItem> item = OpenDialog().ShowModal();
    // Only a chosen item brings a closed main window back.
    if (item)
        implicit::MainWindow()->run(item);
    return false;
}

bool App::_HelpAbout_Action()
{
    ShowStandardAboutPanel();
    return true;
}

bool App::_HelpSupport_Action()
{
    ShowURL(App::SupportAddress);
    return true;
}
