#include "MainWindowDriver.h"

#include "app/App.h"
#include "app/FileTypes1.h"
#include "app/MainMenuBar.h"
#include "framework/Application.h"
#include "framework/CheckBox.h"
#include "framework/DateControl.h"
#include "framework/Label.h"
#include "framework/Listbox.h"
#include "framework/PushButton.h"
#include "framework/TimeControl.h"

#include <QApplication>
#include <QDateEdit>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QMainWindow>
#include <QMimeData>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>

namespace driver {

void PrepareStartup()
{
    if (!FileTypes1::Any())
        FileTypes1::_Initialize();
    if (!implicit::App()) {
        auto app = std::make_shared<App>();
        app->Constructor();
        app->SetMenuBar(implicit::MainMenuBar());
        _RuntimeRegisterAppObject(app);
    }
}

std::shared_ptr<MainWindow> OpenMainWindow()
{
    return implicit::MainWindow();
}

void CloseAllWindows()
{
    for (const auto& window : OpenWindows())
        window->Close();
    // A closed window is released from the event loop.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

bool Drop(MainWindow& window, const std::vector<std::string>& entries)
{
    QByteArray uris;
    for (const std::string& entry : entries) {
        if (entry.rfind("http", 0) == 0)
            uris += QByteArray::fromStdString(entry);
        else
            uris += "file://" + QByteArray::fromStdString(entry).toPercentEncoding("/");
        uris += "\r\n";
    }
    QMimeData data;
    data.setData("text/uri-list", uris);
    QWidget* target = window.Handle();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    // The drop goes in even after a refused drag-enter, so that a window
    // that only relied on the refusal would show it.
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return enter.isAccepted();
}

void AnswerNextOpenDialog(const std::string& path, bool* answered)
{
    QTimer::singleShot(0, [path, answered] {
        // The dialog opens once exec() has started its own event loop.
        (void)QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 5000);
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (answered)
            *answered = true;
        if (path.empty()) {
            dialog->reject();
        } else {
            dialog->selectFile(QFile::decodeName(QByteArray::fromStdString(path)));
            static_cast<QDialog*>(dialog)->accept();
        }
    });
}

Rows DetailRows(MainWindow& window)
{
    Listbox& list = window.lbFileDetails();
    Rows rows;
    for (std::int64_t row = 0; row < list.RowCount(); ++row)
        rows.emplace_back(list.Cell(row, 0), list.Cell(row, 1));
    return rows;
}

void ClickActionBar(MainWindow& window, int x, int y)
{
    QWidget* bar = window._ControlByName("qorActionBar1")->NativeWidget();
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(x, y));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(x, y));
}

void Click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

RowWidgets CreationRow(MainWindow& window)
{
    return {window.ckCreated().NativeWidget(), window.dcCreatedDate().NativeWidget(),
            window.tcCreatedTime().NativeWidget(), window.stCreatedReload().NativeWidget()};
}

RowWidgets ModificationRow(MainWindow& window)
{
    return {window.ckModified().NativeWidget(), window.dcModifiedDate().NativeWidget(),
            window.tcModifiedTime().NativeWidget(), window.stModifiedReload().NativeWidget()};
}

void StepYearUp(QWidget* datePicker)
{
    auto* edit = qobject_cast<QDateEdit*>(datePicker);
    ASSERT_NE(edit, nullptr);
    edit->setCurrentSection(QDateTimeEdit::YearSection);
    QTest::keyClick(edit, Qt::Key_Up);
}

void StepSecondsUp(QWidget* timePicker)
{
    auto* edit = qobject_cast<QTimeEdit*>(timePicker);
    ASSERT_NE(edit, nullptr);
    edit->setCurrentSection(QDateTimeEdit::SecondSection);
    QTest::keyClick(edit, Qt::Key_Up);
}

namespace {
// Setting the editors' own values emits their change signals just as typing
// does, so the window sees a user's edit.
void Pick(QWidget* datePicker, QWidget* timePicker, int year, int month, int day, int hour, int minute,
          int second)
{
    auto* dateEdit = qobject_cast<QDateEdit*>(datePicker);
    auto* timeEdit = qobject_cast<QTimeEdit*>(timePicker);
    ASSERT_TRUE(dateEdit && timeEdit);
    dateEdit->setDate(QDate(year, month, day));
    timeEdit->setTime(QTime(hour, minute, second));
}
} // namespace

void PickCreation(MainWindow& window, int year, int month, int day, int hour, int minute, int second)
{
    Pick(window.dcCreatedDate().NativeWidget(), window.tcCreatedTime().NativeWidget(), year, month, day, hour,
         minute, second);
}

void PickModification(MainWindow& window, int year, int month, int day, int hour, int minute, int second)
{
    Pick(window.dcModifiedDate().NativeWidget(), window.tcModifiedTime().NativeWidget(), year, month, day, hour,
         minute, second);
}

DateArea ReadDateArea(MainWindow& window)
{
    DateArea area{};
    area.creation = {window.dcCreatedDate().Enabled() && window.tcCreatedTime().Enabled(),
                     window.ckCreated().Enabled(), window.ckCreated().Value(), window.stCreatedReload().Enabled()};
    area.modification = {window.dcModifiedDate().Enabled() && window.tcModifiedTime().Enabled(),
                         window.ckModified().Enabled(), window.ckModified().Value(),
                         window.stModifiedReload().Enabled()};
    area.changeEnabled = window.pbChange().Enabled();
    return area;
}

Shown ShownCreation(MainWindow& window)
{
    const DateControl& d = window.dcCreatedDate();
    const TimeControl& t = window.tcCreatedTime();
    return {d.Year(), d.Month(), d.Day(), t.Hours(), t.Minutes(), t.Seconds()};
}

Shown ShownModification(MainWindow& window)
{
    const DateControl& d = window.dcModifiedDate();
    const TimeControl& t = window.tcModifiedTime();
    return {d.Year(), d.Month(), d.Day(), t.Hours(), t.Minutes(), t.Seconds()};
}

Shown ShownOf(const Date& date)
{
    return {date.Year(), date.Month(), date.Day(), date.Hour(), date.Minute(), date.Second()};
}

Date LocalDate(int year, int month, int day, int hour, int minute, int second)
{
    Date date = Date::FromSecondsSinceEpoch(0);
    date.SetYear(year);
    date.SetMonth(month);
    date.SetDay(day);
    date.SetHour(hour);
    date.SetMinute(minute);
    date.SetSecond(second);
    return date;
}

std::int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second)
{
    return LocalDate(year, month, day, hour, minute, second).SecondsSinceEpoch();
}

FileTimes ReadTimes(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return {};
    return {info.st_atim, info.st_mtim};
}

void SetTimes(const std::string& path, std::int64_t accessSeconds, long accessNanos, std::int64_t modSeconds,
              long modNanos)
{
    const timespec times[2] = {{static_cast<time_t>(accessSeconds), accessNanos},
                               {static_cast<time_t>(modSeconds), modNanos}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

ExceptionCatcher::ExceptionCatcher()
{
    SetUnhandledExceptionPresenter([this](const std::string& className, const std::string& message) {
        m_caught.push_back(className + ": " + message);
    });
}

ExceptionCatcher::~ExceptionCatcher()
{
    SetUnhandledExceptionPresenter(nullptr);
}

void MainWindowTest::SetUp()
{
    exceptions = std::make_unique<ExceptionCatcher>();
    PrepareStartup();
    CloseAllWindows();
    window = OpenMainWindow();
    ASSERT_NE(window, nullptr);
}

void MainWindowTest::TearDown()
{
    window.reset();
    CloseAllWindows();
    // Nothing a test did may have ended in the message box.
    EXPECT_EQ(exceptions->Caught(), std::vector<std::string>{});
    exceptions.reset();
}

} // namespace driver
