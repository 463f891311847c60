// The main window as it opens: its own settings, the seventeen controls at
// their places with their design-time values, the start state, the focus
// order, the event bindings, and the accessors of the window and its menus.
#include "app/App.h"
#include "app/FileTypes1.h"
#include "app/MainMenuBar.h"
#include "app/Strings.h"
#include "controls/qorActionBar.h"
#include "controls/qorStatusBar.h"
#include "window/MainWindow.h"

#include "framework/AppleMenuItem.h"
#include "framework/Canvas.h"
#include "framework/CheckBox.h"
#include "framework/DateControl.h"
#include "framework/Label.h"
#include "framework/Listbox.h"
#include "framework/MenuBar.h"
#include "framework/PushButton.h"
#include "framework/QuitMenuItem.h"
#include "framework/RuntimeException.h"
#include "framework/TimeControl.h"

#include <QApplication>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

const std::string kReloadText = "\xE2\x9F\xB2\rANTICLOCKWISE GAPPED CIRCLE ARROW\r";

// What start-up prepares before it makes the main window: the file types and
// the application object with the shared menu bar.
void PrepareStartUp()
{
    static const bool fileTypes = [] {
        FileTypes1::_Initialize();
        return true;
    }();
    (void)fileTypes;
    if (!implicit::App()) {
        auto app = std::make_shared<App>();
        app->Constructor();
        app->SetMenuBar(implicit::MainMenuBar());
        _RuntimeRegisterAppObject(app);
    }
}

// Lets the framework release closed windows.
void ProcessPendingEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

class MainWindowLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrepareStartUp();
        SetUnhandledExceptionPresenter(
            [this](const std::string& className, const std::string& message) {
                unhandled.push_back(className + ": " + message);
            });
        window = implicit::MainWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(unhandled, std::vector<std::string>{}) << "the window opened without an unhandled exception";
    }

    void TearDown() override
    {
        for (const auto& open : OpenWindows())
            open->Close();
        window.reset();
        ProcessPendingEvents();
        SetUnhandledExceptionPresenter(nullptr);
    }

    RectControl& ControlNamed(const std::string& name) const
    {
        RectControl* control = window->_ControlByName(name);
        if (!control)
            throw NilObjectException("no control " + name);
        return *control;
    }

    std::shared_ptr<MainWindow> window;
    std::vector<std::string> unhandled;
};

std::string Describe(const PropertyValue& value)
{
    return std::visit(
        [](const auto& v) -> std::string {
            using V = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<V, std::string>)
                return '"' + v + '"';
            else if constexpr (std::is_same_v<V, bool>)
                return v ? "true" : "false";
            else if constexpr (std::is_same_v<V, Color>)
                return "Color " + QString::number(v.value, 16).toStdString();
            else
                return std::to_string(v);
        },
        value);
}

PropertyValue I(std::int64_t v) { return v; }
PropertyValue B(bool v) { return v; }
PropertyValue S(const std::string& v) { return v; }
PropertyValue C(std::uint32_t rrggbb) { return Color(rrggbb); }
PropertyValue F(float v) { return v; }

} // namespace

TEST_F(MainWindowLayout, IsAFixedKestruneWindowOf385By488WithACloseButtonOnly)
{
    QMainWindow* native = window->Handle();
    EXPECT_EQ(window->ContentWidget()->size(), QSize(385, 488));
    EXPECT_EQ(native->windowTitle(), "Kestrune");
    EXPECT_TRUE(native->isVisible()) << "the window shows itself when built";

    // The user cannot resize it: the content area is fixed and the frame follows.
    EXPECT_FALSE(window->Resizeable());
    EXPECT_EQ(native->layout()->sizeConstraint(), QLayout::SetFixedSize);
    EXPECT_EQ(window->ContentWidget()->minimumSize(), QSize(385, 488));
    EXPECT_EQ(window->ContentWidget()->maximumSize(), QSize(385, 488));

    const Qt::WindowFlags flags = native->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);

    // The rest of the window's list, read back through its declared types.
    const std::vector<std::pair<const char*, PropertyValue>> settings = {
        {"MinWidth", I(64)},      {"MinHeight", I(64)},          {"MaxWidth", I(32000)},
        {"MaxHeight", I(32000)},  {"Frame", I(0)},               {"FullScreenButton", B(false)},
        {"Composite", B(true)},   {"MacProcID", I(0)},           {"Placement", I(0)},
        {"LiveResize", B(true)},  {"FullScreen", B(false)},      {"HasBackColor", B(false)},
        {"BackColor", C(0xFFFFFF)}, {"MenuBarVisible", B(true)}, {"Visible", B(true)},
    };
    for (const auto& [property, expected] : settings)
        EXPECT_EQ(Describe(GetPropertyValue(*window, property)), Describe(expected)) << property;
    EXPECT_TRUE(native->menuBar()->isVisible());
}

TEST_F(MainWindowLayout, EachControlStandsAtItsPlaceInItsContainer)
{
    using Accessor = std::function<RectControl&(MainWindow&)>;
    struct Row {
        const char* name;
        Accessor accessor; // casts to the control's class, or throws
        const char* className;
        const char* container;
        std::int64_t left, top, width, height;
        const char* locks;
        std::int64_t tabIndex;
        bool enabled, visible;
    };
#define ACCESSOR(name) [](MainWindow& w) -> RectControl& { return w.name(); }
    // In creation order.
    const std::vector<Row> table = {
        {"cvDropFile", ACCESSOR(cvDropFile), "Canvas", "", -1, -1, 387, 319, "LTR", 0, true, true},
        {"DropFileLabel", ACCESSOR(DropFileLabel), "Label", "cvDropFile", 68, 96, 249, 30, "LTR", 0, true, true},
        {"stFilename", ACCESSOR(stFilename), "Label", "cvDropFile", 86, 173, 213, 30, "LTR", 1, true, false},
        {"lbFileDetails", ACCESSOR(lbFileDetails), "Listbox", "cvDropFile", 3, 219, 379, 90, "LRB", 10, true, true},
        {"ChangeCreatedLabel", ACCESSOR(ChangeCreatedLabel), "Label", "", 36, 368, 75, 20, "LT", 1, true, true},
        {"ChangeModifiedLabel", ACCESSOR(ChangeModifiedLabel), "Label", "", 36, 403, 75, 20, "LT", 2, true, true},
        {"dcModifiedDate", ACCESSOR(dcModifiedDate), "DateControl", "", 121, 403, 115, 23, "LT", 7, false, true},
        {"tcModifiedTime", ACCESSOR(tcModifiedTime), "TimeControl", "", 243, 403, 107, 23, "LTR", 8, false, true},
        {"dcCreatedDate", ACCESSOR(dcCreatedDate), "DateControl", "", 121, 368, 115, 23, "LT", 4, false, true},
        {"tcCreatedTime", ACCESSOR(tcCreatedTime), "TimeControl", "", 243, 368, 107, 23, "LTR", 5, false, true},
        {"ckCreated", ACCESSOR(ckCreated), "CheckBox", "", 20, 367, 23, 23, "LT", 3, false, true},
        {"qorStatusBar1", ACCESSOR(qorStatusBar1), "qorStatusBar", "", -1, 446, 387, 43, "LRB", 9, true, true},
        {"pbChange", ACCESSOR(pbChange), "PushButton", "qorStatusBar1", 240, 457, 126, 20, "TR", 0, false, true},
        {"qorActionBar1", ACCESSOR(qorActionBar1), "qorActionBar", "", -1, 317, 387, 22, "LTR", 10, true, true},
        {"ckModified", ACCESSOR(ckModified), "CheckBox", "", 20, 404, 23, 20, "LT", 6, false, true},
        {"stCreatedReload", ACCESSOR(stCreatedReload), "Label", "", 355, 371, 18, 20, "TR", 11, false, true},
        {"stModifiedReload", ACCESSOR(stModifiedReload), "Label", "", 355, 406, 18, 20, "TR", 12, false, true},
    };
#undef ACCESSOR

    ASSERT_EQ(window->Controls().size(), table.size());
    QWidget* content = window->ContentWidget();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Row& row = table[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(window->Controls()[i]->Name(), row.name) << "creation order";
        RectControl& control = ControlNamed(row.name);
        EXPECT_EQ(&row.accessor(*window), &control);
        EXPECT_EQ(control.GetClassInfo().Name(), row.className);

        const std::string container = control.Parent() ? control.Parent()->Name() : "";
        EXPECT_EQ(container, row.container);
        QWidget* expectedParent = control.Parent() ? control.Parent()->NativeWidget() : content;
        EXPECT_EQ(control.NativeWidget()->parentWidget(), expectedParent);

        EXPECT_EQ(control.Left(), row.left);
        EXPECT_EQ(control.Top(), row.top);
        EXPECT_EQ(control.Width(), row.width);
        EXPECT_EQ(control.Height(), row.height);
        EXPECT_EQ(control.NativeWidget()->mapTo(content, QPoint(0, 0)), QPoint(int(row.left), int(row.top)));
        EXPECT_EQ(control.NativeWidget()->size(), QSize(int(row.width), int(row.height)));

        std::string locks;
        for (auto [lock, letter] : {std::pair{control.LockLeft(), 'L'}, {control.LockTop(), 'T'},
                                    {control.LockRight(), 'R'}, {control.LockBottom(), 'B'}})
            if (lock)
                locks += letter;
        EXPECT_EQ(locks, row.locks);
        EXPECT_EQ(control.TabIndex(), row.tabIndex);

        EXPECT_EQ(control.Enabled(), row.enabled);
        EXPECT_EQ(control.Visible(), row.visible);
        EXPECT_EQ(control.NativeWidget()->isVisibleTo(content), row.visible);
    }
}

TEST_F(MainWindowLayout, StartsWithNothingLoaded)
{
    EXPECT_EQ(window->last, nullptr);

    for (RectControl* picker : std::initializer_list<RectControl*>{
             &window->dcCreatedDate(), &window->tcCreatedTime(), &window->dcModifiedDate(), &window->tcModifiedTime()})
        EXPECT_FALSE(picker->Enabled()) << picker->Name();
    for (CheckBox* box : {&window->ckCreated(), &window->ckModified()}) {
        EXPECT_FALSE(box->Enabled()) << box->Name();
        EXPECT_FALSE(box->Value()) << box->Name();
        EXPECT_EQ(box->State(), CheckBox::Unchecked) << box->Name();
    }
    EXPECT_FALSE(window->stCreatedReload().Enabled());
    EXPECT_FALSE(window->stModifiedReload().Enabled());
    EXPECT_FALSE(window->pbChange().Enabled());
    EXPECT_EQ(window->lbFileDetails().RowCount(), 0);

    EXPECT_FALSE(window->stFilename().Visible());
    EXPECT_FALSE(window->stFilename().NativeWidget()->isVisible());

    EXPECT_EQ(window->qorStatusBar1().LeftCaption(), "");
    EXPECT_EQ(window->qorStatusBar1().CenterCaption(), "");
    EXPECT_EQ(window->qorStatusBar1().RightCaption(), "");

    // The captions set before the lists stay, in the user's language (English here).
    EXPECT_EQ(window->DropFileLabel().Text(), Strings::DropFile(""));
    EXPECT_EQ(window->DropFileLabel().Text(), "Drop File or Folder here");
    EXPECT_EQ(window->ChangeCreatedLabel().Text(), "Created:");
    EXPECT_EQ(window->ChangeModifiedLabel().Text(), "Modified:");
    EXPECT_EQ(window->pbChange().Caption(), "Change");
    EXPECT_EQ(window->stFilename().Text(), "Filename");
}

// Each value is read back through the property's declared type, so an entry
// written in the wrong width shifts every later entry of its list.
TEST_F(MainWindowLayout, ListValuesArriveInTheirDeclaredWidths)
{
    struct Row {
        const char* control;
        const char* property;
        PropertyValue expected;
    };
    const std::vector<Row> table = {
        {"cvDropFile", "DoubleBuffer", B(true)},
        {"cvDropFile", "Transparent", B(true)},
        {"DropFileLabel", "TextAlign", I(1)},
        {"DropFileLabel", "TextColor", C(0xB3B3B3)},
        {"DropFileLabel", "TextSize", F(20)},
        {"DropFileLabel", "Bold", B(true)},
        {"DropFileLabel", "InitialParent", S("cvDropFile")},
        {"stFilename", "TextColor", C(0x4C4C4C)},
        {"stFilename", "TextSize", F(16)},
        {"ChangeCreatedLabel", "TextAlign", I(2)},
        {"ChangeModifiedLabel", "DataField", S("")},
        // 36 characters but 38 bytes; a count in characters would misplace
        // everything after it.
        {"stCreatedReload", "Text", S(kReloadText)},
        {"stCreatedReload", "TextColor", C(0x666666)},
        {"stModifiedReload", "Text", S(kReloadText)},
        {"stModifiedReload", "InitialParent", S("")},
        // Spelt "ScrollbarHorizontal" in the list.
        {"lbFileDetails", "ScrollBarHorizontal", B(false)},
        {"lbFileDetails", "ScrollBarVertical", B(true)},
        {"lbFileDetails", "ColumnWidths", S("100")},
        {"lbFileDetails", "HeadingIndex", I(-1)},
        {"lbFileDetails", "DefaultRowHeight", I(16)},
        {"lbFileDetails", "_ScrollWidth", I(-1)},
        {"lbFileDetails", "TextSize", F(11)},
        {"lbFileDetails", "AutoHideScrollbars", B(true)},
        {"lbFileDetails", "InitialParent", S("cvDropFile")},
        // The pickers' font units are eight bytes, their sizes four.
        {"dcCreatedDate", "Year", I(2017)},
        {"dcCreatedDate", "WinTextUnit", I(0)},
        {"dcCreatedDate", "DateFormat", I(4)},
        {"dcModifiedDate", "LinuxDropDownMode", B(true)},
        {"tcCreatedTime", "ShowSeconds", B(true)},
        {"tcModifiedTime", "TimeFormat", I(0)},
        {"ckCreated", "State", I(0)},
        {"ckModified", "InitialParent", S("")},
        {"qorStatusBar1", "Border", B(true)},
        {"qorStatusBar1", "BorderColor", C(0xA5A5A5)},
        {"qorStatusBar1", "EndColor", C(0xB3B3B3)},
        {"qorStatusBar1", "Style", I(3)},
        {"qorStatusBar1", "MarginLeft", I(20)},
        {"qorStatusBar1", "Transparent", B(true)},
        {"pbChange", "Default", B(true)},
        {"pbChange", "ButtonStyle", I(0)},
        {"pbChange", "InitialParent", S("qorStatusBar1")},
        {"qorActionBar1", "EndColor", C(0xEFEFEF)},
        {"qorActionBar1", "Style", I(0)},
        {"qorActionBar1", "HasAddButton", B(true)},
        {"qorActionBar1", "HasRemoveButton", B(true)},
        {"qorActionBar1", "HasActionButton", B(false)},
        {"qorActionBar1", "Transparent", B(true)},
    };
    EXPECT_EQ(kReloadText.size(), 38u);
    for (const Row& row : table) {
        EXPECT_EQ(Describe(GetPropertyValue(ControlNamed(row.control), row.property)), Describe(row.expected))
            << row.control << "." << row.property;
    }
    // Every list also leaves these.
    for (const auto& control : window->Controls()) {
        EXPECT_EQ(Describe(GetPropertyValue(*control, "Index")), Describe(I(-2147483648LL))) << control->Name();
        EXPECT_EQ(Describe(GetPropertyValue(*control, "TabPanelIndex")), Describe(I(0))) << control->Name();
        EXPECT_EQ(control->HelpTag(), "") << control->Name();
        EXPECT_EQ(Describe(GetPropertyValue(*control, "AutoDeactivate")), Describe(B(true))) << control->Name();
    }
}

TEST_F(MainWindowLayout, KeyboardFocusWalksTheTwoRowsInOrder)
{
    const std::vector<std::string> rowControls = {"ckCreated",      "dcCreatedDate",  "tcCreatedTime",
                                                  "ckModified",     "dcModifiedDate", "tcModifiedTime"};
    for (const auto& name : rowControls)
        ControlNamed(name).SetEnabled(true);

    // The control that owns a widget of the focus chain, if any.
    auto owner = [&](QWidget* widget) -> RectControl* {
        for (; widget; widget = widget->parentWidget()) {
            for (const auto& control : window->Controls()) {
                if (control->NativeWidget() == widget)
                    return control.get();
            }
        }
        return nullptr;
    };

    // One round of the focus chain from the first row's box, keeping the
    // window's own controls that take focus by Tab.
    QWidget* start = window->ckCreated().NativeWidget();
    std::vector<std::string> order;
    QWidget* widget = start;
    do {
        RectControl* control = owner(widget);
        if (control && !control->Parent() && (widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled()
            && (order.empty() || order.back() != control->Name()))
            order.push_back(control->Name());
        widget = widget->nextInFocusChain();
    } while (widget && widget != start);
    EXPECT_EQ(order, rowControls);

    // And Tab from the first box lands in the creation date.
    window->Handle()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->Handle()));
    window->ckCreated().NativeWidget()->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return owner(QApplication::focusWidget()) == &window->ckCreated(); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(owner(QApplication::focusWidget()), &window->dcCreatedDate());
}

TEST_F(MainWindowLayout, EventsAreBoundOnlyWhereTheWindowHandlesThem)
{
    EXPECT_TRUE(window->cvDropFile().Paint.IsBound());
    EXPECT_TRUE(window->lbFileDetails().Open.IsBound());
    EXPECT_TRUE(window->dcModifiedDate().ValueChanged.IsBound());
    EXPECT_TRUE(window->tcModifiedTime().ValueChanged.IsBound());
    EXPECT_TRUE(window->dcCreatedDate().ValueChanged.IsBound());
    EXPECT_TRUE(window->tcCreatedTime().ValueChanged.IsBound());
    EXPECT_TRUE(window->ckCreated().Action.IsBound());
    EXPECT_TRUE(window->pbChange().Action.IsBound());
    EXPECT_TRUE(window->qorActionBar1().AddButtonClick.IsBound());
    EXPECT_TRUE(window->qorActionBar1().RemoveButtonClick.IsBound());
    EXPECT_TRUE(window->ckModified().Action.IsBound());
    EXPECT_TRUE(window->stCreatedReload().MouseDown.IsBound());
    EXPECT_TRUE(window->stModifiedReload().MouseDown.IsBound());

    EXPECT_FALSE(window->qorActionBar1().ActionButtonClick.IsBound());
    EXPECT_FALSE(window->DropFileLabel().MouseDown.IsBound());
    EXPECT_FALSE(window->stFilename().MouseDown.IsBound());
    EXPECT_FALSE(window->ChangeCreatedLabel().MouseDown.IsBound());
    EXPECT_FALSE(window->ChangeModifiedLabel().MouseDown.IsBound());
    EXPECT_FALSE(window->cvDropFile().MouseDown.IsBound());
    EXPECT_FALSE(window->qorStatusBar1().Paint.IsBound());
    EXPECT_FALSE(window->qorStatusBar1().MouseDown.IsBound());
}

TEST_F(MainWindowLayout, ListValuesReachNoHandlerButLaterChangesDo)
{
    // Had a picker's list value reached its handler, the row would be armed
    // and its reload arrow live; had a box's, Change would follow it.
    EXPECT_FALSE(window->ckCreated().Value());
    EXPECT_FALSE(window->ckModified().Value());
    EXPECT_FALSE(window->stCreatedReload().Enabled());
    EXPECT_FALSE(window->stModifiedReload().Enabled());
    EXPECT_FALSE(window->pbChange().Enabled());

    // The bindings are live: ticking a box from the program turns Change on.
    window->ckModified().SetValue(true);
    EXPECT_TRUE(window->pbChange().Enabled());
    window->ckModified().SetValue(false);
    EXPECT_FALSE(window->pbChange().Enabled());
}

TEST_F(MainWindowLayout, DetailsListRightAlignsItsFirstColumnFromTheStart)
{
    Listbox& list = window->lbFileDetails();
    EXPECT_EQ(list.ColumnAlignment(0), 3);
    EXPECT_EQ(list.ColumnAlignment(1), 0);
    list.AddRow("Filename:");
    list.SetCell(0, 1, "x");
    EXPECT_EQ(list.ColumnAlignment(0), 3);

    // The handler works on the list that raised the event.
    window->lbFileDetails_Open(list);
    EXPECT_EQ(list.ColumnAlignment(0), 3);
    EXPECT_EQ(list.ColumnAlignment(1), 0);
}

TEST_F(MainWindowLayout, WindowAndApplicationShareOneMenuBarAcrossWindows)
{
    const int built = MainMenuBar::ConstructionCount();
    ASSERT_NE(window->MenuBar(), nullptr);
    EXPECT_EQ(window->MenuBar(), _GetAppObject()->MenuBar());
    EXPECT_EQ(window->MenuBar(), std::static_pointer_cast<::MenuBar>(implicit::MainMenuBar()));

    window->Close();
    ProcessPendingEvents();
    auto again = implicit::MainWindow();
    ASSERT_NE(again, window);
    EXPECT_EQ(again->MenuBar(), _GetAppObject()->MenuBar());
    EXPECT_EQ(MainMenuBar::ConstructionCount(), built) << "the menus are not built again";
}

TEST_F(MainWindowLayout, AccessorKeepsTheOpenWindowAndMakesAFreshOneAfterClose)
{
    EXPECT_EQ(implicit::MainWindow(), window);
    EXPECT_EQ(implicit::MainWindow(), window);

    auto item = std::make_shared<FolderItem>("/");
    std::weak_ptr<FolderItem> watched = item;
    window->last = item;
    item.reset();
    Canvas* oldCanvas = &window->cvDropFile();

    window->Close();
    ProcessPendingEvents();
    auto fresh = implicit::MainWindow();
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, window);
    EXPECT_EQ(fresh->last, nullptr);
    EXPECT_NE(&fresh->cvDropFile(), oldCanvas) << "new controls";
    EXPECT_EQ(fresh->Controls().size(), 17u);
    EXPECT_EQ(implicit::MainWindow(), fresh);

    // Releasing the closed window releases the item it showed.
    EXPECT_FALSE(watched.expired());
    window.reset();
    ProcessPendingEvents();
    EXPECT_TRUE(watched.expired());
    window = fresh;
}

TEST_F(MainWindowLayout, MenuItemAccessorsFindTheSharedMenuItems)
{
    const std::vector<std::pair<std::string, std::shared_ptr<MenuItem>>> accessors = {
        {"HelpMenu", window->HelpMenu()},
        {"HelpAbout", window->HelpAbout()},
        {"UntitledSeparator0", window->UntitledSeparator0()},
        {"HelpSupport", window->HelpSupport()},
        {"EditMenu", window->EditMenu()},
        {"EditSelectAll", window->EditSelectAll()},
        {"EditSeparator2", window->EditSeparator2()},
        {"EditClear", window->EditClear()},
        {"EditPaste", window->EditPaste()},
        {"EditCopy", window->EditCopy()},
        {"EditCut", window->EditCut()},
        {"EditSeparator1", window->EditSeparator1()},
        {"EditUndo", window->EditUndo()},
        {"FileMenu", window->FileMenu()},
        {"FileQuit", window->FileQuit()},
        {"UntitledSeparator", window->UntitledSeparator()},
        {"FileOpen", window->FileOpen()},
    };
    for (const auto& [name, item] : accessors) {
        ASSERT_NE(item, nullptr) << name;
        EXPECT_EQ(item->Name(), name);
        EXPECT_EQ(item, window->MenuBar()->_Lookup(name)) << name;
    }
    EXPECT_NE(std::dynamic_pointer_cast<AppleMenuItem>(window->HelpAbout()), nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<QuitMenuItem>(window->FileQuit()), nullptr);

    // Without a menu bar there is nothing to look in.
    window->SetMenuBar(nullptr);
    EXPECT_THROW(window->FileOpen(), NilObjectException);
    EXPECT_THROW(window->HelpAbout(), NilObjectException);
}
