// Windows built from design-time lists, and what reaches them: mouse events,
// events from other threads, escaping exceptions, dropped files, the open dialog.
#include "WindowHost.h"

#include "framework/Application.h"
#include "framework/Canvas.h"
#include "framework/DragItem.h"
#include "framework/OpenDialog.h"
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
    DECLARE_CLASS_INFO
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
                                  .Boolean("Visible", true)
                                  .Bytes());
    }

    void CreateControls() override
    {
        _SetProperties(_AddControl("outer", std::make_unique<Canvas>()),
                       Frame(-1, -1, 120, 90).String("InitialParent", "").Bytes());
        _SetProperties(_AddControl("inner", std::make_unique<Canvas>()),
                       Frame(20, 30, 40, 20).String("InitialParent", "outer").Bytes());
        // Moved into a container made after it: the window still lets both go cleanly.
        _SetProperties(_AddControl("early", std::make_unique<Canvas>()),
                       Frame(140, 10, 10, 10).String("InitialParent", "").Bytes());
        _SetProperties(_AddControl("late", std::make_unique<Canvas>()),
                       Frame(130, 0, 60, 60).String("InitialParent", "").Bytes());
        _ControlByName("early")->SetInitialParent("late");
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

class WindowTest : public WindowHost<ListBuiltWindow> {
protected:
    Canvas& Control(const std::string& name) { return ControlCast<Canvas>(window->_ControlByName(name)); }
};

} // namespace

TEST_F(WindowTest, ControlsFromListsStandAtTheirWindowCoordinatesInsideTheirContainersInAFixedSizeWindow)
{
    EXPECT_EQ(window->ContentWidget()->size(), QSize(200, 150));
    EXPECT_EQ(window->Handle()->windowTitle(), "List built");
    EXPECT_EQ(window->opened, 1);
    Canvas& outer = Control("outer");
    Canvas& inner = Control("inner");
    EXPECT_EQ(inner.Parent(), &outer);
    EXPECT_EQ(inner.NativeWidget()->parentWidget(), outer.NativeWidget());
    EXPECT_EQ(inner.NativeWidget()->mapTo(window->ContentWidget(), QPoint(0, 0)), QPoint(20, 30));
    EXPECT_EQ(outer.NativeWidget()->geometry(), QRect(-1, -1, 120, 90));
    EXPECT_EQ(inner.Left(), 20);
    EXPECT_EQ(Control("early").NativeWidget()->parentWidget(), Control("late").NativeWidget());

    // Not resizeable: a fixed size, with a close button only.
    EXPECT_EQ(window->Handle()->layout()->sizeConstraint(), QLayout::SetFixedSize);
    EXPECT_EQ(window->ContentWidget()->minimumSize(), window->ContentWidget()->maximumSize());
    const Qt::WindowFlags flags = window->Handle()->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint));
}

TEST_F(WindowTest, AClosedWindowIsNoLongerFoundAsTheImplicitInstance)
{
    EXPECT_EQ(_GetImplicitWindow("ListBuiltWindow"), window);
    window->Close();
    EXPECT_EQ(_GetImplicitWindow("ListBuiltWindow"), nullptr);
}

TEST_F(WindowTest, TrueFromMouseDownBringsMouseUpWhereverReleasedAndAnUnboundEventIsNotDelivered)
{
    Canvas& canvas = Control("inner");
    std::vector<std::string> events;
    bool capture = true;
    canvas.MouseDown.Bind([&](Canvas&, std::int64_t x, std::int64_t y) {
        events.push_back("down " + std::to_string(x) + "," + std::to_string(y));
        return capture;
    });
    canvas.MouseUp.Bind([&](Canvas&, std::int64_t x, std::int64_t y) {
        events.push_back("up " + std::to_string(x) + "," + std::to_string(y));
    });
    // Qt hands the release to the pressed widget, in its coordinates, even
    // outside it.
    QTest::mousePress(canvas.NativeWidget(), Qt::LeftButton, {}, QPoint(5, 6));
    QTest::mouseRelease(canvas.NativeWidget(), Qt::LeftButton, {}, QPoint(150, -40));
    capture = false;
    QTest::mousePress(canvas.NativeWidget(), Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseRelease(canvas.NativeWidget(), Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(events, (std::vector<std::string>{"down 5,6", "up 150,-40", "down 1,1"}));

    // Unbound: not delivered, so not taken either.
    ASSERT_FALSE(Control("outer").MouseDown.IsBound());
    EXPECT_FALSE(Control("outer").Event_MouseDown(1, 1));
}

TEST_F(WindowTest, MakingOrUsingAControlFromAnotherThreadRaisesThreadAccessingUIException)
{
    Canvas& control = Control("outer");
    std::thread([&] { EXPECT_THROW(control.SetLeft(5), ThreadAccessingUIException); }).join();
    EXPECT_EQ(control.Left(), -1);
    // Refused before any widget is made, so nothing is left behind either.
    std::thread([] { EXPECT_THROW(Canvas(), ThreadAccessingUIException); }).join();
}

TEST_F(WindowTest, AnExceptionEscapingAHandlerReachesTheUnhandledExceptionHandler)
{
    std::vector<std::string> shown;
    SetUnhandledExceptionPresenter(
        [&](const std::string& cls, const std::string& message) { shown.push_back(cls + ": " + message); });
    Control("inner").MouseDown.Bind([](Canvas&, std::int64_t, std::int64_t) -> bool { throw NilObjectException("gone"); });
    QTest::mouseClick(Control("inner").NativeWidget(), Qt::LeftButton, {}, QPoint(2, 2));
    SetUnhandledExceptionPresenter(nullptr);
    EXPECT_EQ(shown, (std::vector<std::string>{"NilObjectException: gone"}));
}

TEST_F(WindowTest, TwoDroppedFilesArriveWithByteExactPaths)
{
    TempFolder folder;
    const std::string plain = folder.MakeFile("plain.txt", "a");
    const std::string latin1 = folder.MakeFile("caf\xE9.txt", "b");
    window->AcceptFileDrop("special/any");

    QMimeData data;
    const QByteArray encodedFolder = QByteArray::fromStdString(folder.Path()).toPercentEncoding("/");
    data.setData("text/uri-list", "file://" + encodedFolder + "/plain.txt\r\nfile://" + encodedFolder
                                       + "/caf%E9.txt\r\nhttp://example.invalid/x\r\n");
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->Handle(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->Handle(), &drop);
    EXPECT_EQ(window->drops, (std::vector<std::vector<std::string>>{{plain, latin1, "<none>"}}));
}

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
