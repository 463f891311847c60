#include "framework/Application.h"
#include "framework/Canvas.h"
#include "framework/DragItem.h"
#include "framework/OpenDialog.h"
#include "framework/PropertyList.h"
#include "framework/Window.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLayout>
#include <QMainWindow>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>

namespace {

// A window built only through design-time lists, as the program builds its own.
class ListBuiltWindow : public Window {
    KESTRUNE_CLASS_INFO
public:
    std::vector<std::vector<std::string>> drops;
    int opened = 0;

protected:
    void Layout() override
    {
        _SetProperties(*this, PropertyList()
                                  .Integer("Width", 200)
                                  .Integer("Height", 150)
                                  .String("Title", "List built")
                                  .Boolean("CloseButton", true)
                                  .Boolean("Resizeable", false)
                                  .Boolean("MaximizeButton", false)
                                  .Boolean("MinimizeButton", false)
                                  .Integer("MacProcID", 0)
                                  .Boolean("Visible", true)
                                  .Bytes());
    }

    void CreateControls() override
    {
        RectControl& outer = _AddControl("outer", std::make_unique<Canvas>());
        _SetProperties(outer, PropertyList()
                                  .String("Name", "outer")
                                  .Integer("Index", -2147483648LL)
                                  .Integer("Left", -1)
                                  .Integer("Top", -1)
                                  .Integer("Width", 120)
                                  .Integer("Height", 90)
                                  .Boolean("LockLeft", true)
                                  .Integer("TabIndex", 0)
                                  .Boolean("AcceptFocus", false)
                                  .String("InitialParent", "")
                                  .Bytes());
        RectControl& inner = _AddControl("inner", std::make_unique<Canvas>());
        _SetProperties(inner, PropertyList()
                                  .String("Name", "inner")
                                  .Integer("Left", 20)
                                  .Integer("Top", 30)
                                  .Integer("Width", 40)
                                  .Integer("Height", 20)
                                  .Boolean("Visible", true)
                                  .String("InitialParent", "outer")
                                  .Bytes());
    }

    void Event_Open() override { ++opened; }

    void Event_DropObject(DragItem& item, std::int64_t) override
    {
        std::vector<std::string> paths;
        do {
            paths.push_back(item.FolderItemAvailable() ? item.FolderItem()->NativePathBytes() : "<none>");
        } while (item.NextItem());
        drops.push_back(paths);
    }
};

const ClassInfo& ListBuiltWindow::StaticClassInfo()
{
    static const ClassInfo info("ListBuiltWindow", &Window::StaticClassInfo(), {});
    return info;
}

std::shared_ptr<ListBuiltWindow> MakeWindow()
{
    auto window = std::make_shared<ListBuiltWindow>();
    window->Constructor();
    return window;
}

} // namespace

TEST(WindowFromLists, ControlsStandAtTheirWindowCoordinatesInsideTheirContainers)
{
    auto window = MakeWindow();
    EXPECT_EQ(window->ContentWidget()->size(), QSize(200, 150));
    EXPECT_EQ(window->Handle()->windowTitle(), "List built");
    EXPECT_EQ(window->opened, 1);

    RectControl* outer = window->_ControlByName("outer");
    RectControl* inner = window->_ControlByName("inner");
    ASSERT_TRUE(outer && inner);
    EXPECT_EQ(inner->Parent(), outer);
    EXPECT_EQ(inner->NativeWidget()->parentWidget(), outer->NativeWidget());
    EXPECT_EQ(inner->NativeWidget()->mapTo(window->ContentWidget(), QPoint(0, 0)), QPoint(20, 30));
    EXPECT_EQ(outer->NativeWidget()->geometry(), QRect(-1, -1, 120, 90));
    EXPECT_EQ(inner->Left(), 20);
    EXPECT_EQ(inner->Top(), 30);
    window->Close();
}

TEST(WindowFromLists, NotResizeableMeansAFixedSizeWithACloseButtonOnly)
{
    auto window = MakeWindow();
    QMainWindow* native = window->Handle();
    EXPECT_EQ(native->layout()->sizeConstraint(), QLayout::SetFixedSize);
    EXPECT_EQ(window->ContentWidget()->minimumSize(), window->ContentWidget()->maximumSize());
    const Qt::WindowFlags flags = native->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    window->Close();
}

TEST(ImplicitWindow, AClosedWindowIsNoLongerFound)
{
    auto window = MakeWindow();
    EXPECT_EQ(_GetImplicitWindow("ListBuiltWindow"), window);
    window->Close();
    EXPECT_FALSE(window->IsOpen());
    EXPECT_EQ(_GetImplicitWindow("ListBuiltWindow"), nullptr);
}

TEST(CanvasMouse, TrueFromMouseDownBringsMouseUpWhereverTheButtonIsReleased)
{
    auto window = MakeWindow();
    auto& canvas = ControlCast<Canvas>(window->_ControlByName("inner"));
    std::vector<std::string> events;
    bool capture = true;
    canvas.MouseDown.Bind([&](Canvas&, std::int64_t x, std::int64_t y) {
        events.push_back("down " + std::to_string(x) + "," + std::to_string(y));
        return capture;
    });
    canvas.MouseUp.Bind([&](Canvas&, std::int64_t x, std::int64_t y) {
        events.push_back("up " + std::to_string(x) + "," + std::to_string(y));
    });
    QWidget* widget = canvas.NativeWidget();
    QTest::mousePress(widget, Qt::LeftButton, {}, QPoint(5, 6));
    // Qt hands the release to the pressed widget, in its coordinates, even
    // outside it.
    QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(150, -40));
    EXPECT_EQ(events, (std::vector<std::string>{"down 5,6", "up 150,-40"}));

    events.clear();
    capture = false;
    QTest::mousePress(widget, Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(events, (std::vector<std::string>{"down 1,1"}));
    window->Close();
}

TEST(CanvasMouse, AnUnboundEventIsNotDelivered)
{
    auto window = MakeWindow();
    auto& canvas = ControlCast<Canvas>(window->_ControlByName("outer"));
    EXPECT_FALSE(canvas.MouseDown.IsBound());
    EXPECT_FALSE(canvas.Event_MouseDown(1, 1));
    QTest::mouseClick(canvas.NativeWidget(), Qt::LeftButton, {}, QPoint(3, 3));
    window->Close();
}

TEST(UiThread, UsingAControlFromAnotherThreadRaises)
{
    auto window = MakeWindow();
    RectControl* control = window->_ControlByName("outer");
    std::string raised;
    std::thread worker([&] {
        try {
            control->SetLeft(5);
        } catch (const ThreadAccessingUIException& e) {
            raised = e.ClassName();
        }
    });
    worker.join();
    EXPECT_EQ(raised, "ThreadAccessingUIException");
    EXPECT_EQ(control->Left(), -1);
    window->Close();
}

TEST(UnhandledException, AnExceptionEscapingAHandlerIsShownAndTheProgramGoesOn)
{
    std::vector<std::string> shown;
    SetUnhandledExceptionPresenter([&](const std::string& cls, const std::string& message) {
        shown.push_back(cls + ": " + message);
    });
    auto window = MakeWindow();
    auto& canvas = ControlCast<Canvas>(window->_ControlByName("inner"));
    canvas.MouseDown.Bind([](Canvas&, std::int64_t, std::int64_t) -> bool { throw NilObjectException("gone"); });
    QTest::mouseClick(canvas.NativeWidget(), Qt::LeftButton, {}, QPoint(2, 2));
    SetUnhandledExceptionPresenter(nullptr);
    EXPECT_EQ(shown, (std::vector<std::string>{"NilObjectException: gone"}));
    window->Close();
}

TEST(FileDrops, TwoDroppedFilesArriveWithByteExactPaths)
{
    TempFolder folder;
    const std::string plain = folder.MakeFile("plain.txt", "a");
    const std::string latin1 = folder.MakeFile("caf\xE9.txt", "b");
    auto window = MakeWindow();
    window->AcceptFileDrop("special/any");

    auto* data = new QMimeData;
    const QByteArray encodedFolder = QByteArray::fromStdString(folder.Path()).toPercentEncoding("/");
    data->setData("text/uri-list", "file://" + encodedFolder + "/plain.txt\r\nfile://" + encodedFolder
                                       + "/caf%E9.txt\r\nhttp://example.invalid/x\r\n");
    QWidget* target = window->Handle();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);

    ASSERT_EQ(window->drops.size(), 1u);
    EXPECT_EQ(window->drops[0], (std::vector<std::string>{plain, latin1, "<none>"}));
    delete data;
    window->Close();
}

TEST(FileDrops, FoldersNeedTheFolderTypeAccepted)
{
    TempFolder folder;
    auto window = MakeWindow();
    window->AcceptFileDrop("special/any");
    QMimeData data;
    data.setData("text/uri-list", "file://" + QByteArray::fromStdString(folder.Path()).toPercentEncoding("/") + "\r\n");
    QDragEnterEvent refused(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->Handle(), &refused);
    EXPECT_FALSE(refused.isAccepted());

    window->AcceptFileDrop("special/folder");
    QDragEnterEvent accepted(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->Handle(), &accepted);
    EXPECT_TRUE(accepted.isAccepted());
    window->Close();
}

namespace {
// Answers the next modal open dialog: picks the path, or cancels when empty.
void AnswerNextOpenDialog(const std::string& path)
{
    QTimer::singleShot(0, [path] {
        QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 5000);
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (path.empty()) {
            dialog->reject();
        } else {
            dialog->selectFile(QFile::decodeName(QByteArray::fromStdString(path)));
            static_cast<QDialog*>(dialog)->accept();
        }
    });
}
} // namespace

TEST(OpenDialogModal, ReturnsTheChosenItemThenNoneWhenCancelled)
{
    TempFolder folder;
    const std::string file = folder.MakeFile("chosen.txt", "x");
    AnswerNextOpenDialog(file);
    auto chosen = OpenDialog().ShowModal();
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->NativePathBytes(), file);

    AnswerNextOpenDialog("");
    EXPECT_EQ(OpenDialog().ShowModal(), nullptr);
}
