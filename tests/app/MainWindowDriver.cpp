#include "MainWindowDriver.h"

#include "app/App.h"
#include "app/Startup.h"
#include "framework/Application.h"
#include "framework/CheckBox.h"
#include "framework/DateControl.h"
#include "framework/Label.h"
#include "framework/Listbox.h"
#include "framework/PushButton.h"
#include "framework/TimeControl.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QMainWindow>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>

namespace {
std::atomic<std::int64_t> g_fakeNow{-1};
}

// The C clock of the whole test program, which Date() reads for "now".
extern "C" time_t time(time_t* out) noexcept
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t fake = g_fakeNow.load();
    const time_t result = fake >= 0 ? static_cast<time_t>(fake) : now.tv_sec;
    if (out)
        *out = result;
    return result;
}

namespace driver {

// The file types and the App with the shared menu bar, as early start-up leaves them.
static void PrepareStartup()
{
    if (!implicit::App()) {
        _InitFileTypes();
        _NewAppInstance();
    }
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

Rows DetailRows(MainWindow& window)
{
    Listbox& list = window.lbFileDetails();
    Rows rows;
    for (std::int64_t row = 0; row < list.RowCount(); ++row)
        rows.emplace_back(list.Cell(row, 0), list.Cell(row, 1));
    return rows;
}

void StepUp(QWidget* picker, int section)
{
    auto* edit = qobject_cast<QDateTimeEdit*>(picker);
    ASSERT_NE(edit, nullptr);
    edit->setCurrentSection(static_cast<QDateTimeEdit::Section>(section));
    QTest::keyClick(edit, Qt::Key_Up);
}

namespace {
void Pick(QWidget* datePicker, QWidget* timePicker, int year, int month, int day, int hour, int minute,
          int second)
{
    auto* dateEdit = qobject_cast<QDateEdit*>(datePicker);
    auto* timeEdit = qobject_cast<QTimeEdit*>(timePicker);
    ASSERT_TRUE(dateEdit && timeEdit);
    dateEdit->setDate(QDate(year, month, day));
    timeEdit->setTime(QTime(hour, minute, second));
}

Shown ShownIn(const DateControl& d, const TimeControl& t)
{
    return {d.Year(), d.Month(), d.Day(), t.Hours(), t.Minutes(), t.Seconds()};
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
    return {{window.dcCreatedDate().Enabled(), window.tcCreatedTime().Enabled(), window.ckCreated().Enabled(),
             window.ckCreated().Value(), window.stCreatedReload().Enabled()},
            {window.dcModifiedDate().Enabled(), window.tcModifiedTime().Enabled(), window.ckModified().Enabled(),
             window.ckModified().Value(), window.stModifiedReload().Enabled()},
            window.pbChange().Enabled()};
}

DateArea Loaded(bool creationArmed, bool modificationArmed)
{
    return {{true, true, true, creationArmed, creationArmed},
            {true, true, true, modificationArmed, modificationArmed},
            creationArmed || modificationArmed};
}

void PrintTo(const DateArea& area, std::ostream* os)
{
    // Per row: date and time pickers, box enabled, box ticked, arrow; then Change.
    for (const RowState& r : {area.creation, area.modification})
        *os << r.dateEnabled << r.timeEnabled << r.boxEnabled << r.boxTicked << r.reloadEnabled << ' ';
    *os << "change " << area.changeEnabled;
}

Shown ShownCreation(MainWindow& window)
{
    return ShownIn(window.dcCreatedDate(), window.tcCreatedTime());
}

Shown ShownModification(MainWindow& window)
{
    return ShownIn(window.dcModifiedDate(), window.tcModifiedTime());
}

Shown ShownOf(std::int64_t secondsSinceEpoch)
{
    const Date date = Date::FromSecondsSinceEpoch(secondsSinceEpoch);
    return {date.Year(), date.Month(), date.Day(), date.Hour(), date.Minute(), date.Second()};
}

void PrintTo(const Shown& s, std::ostream* os)
{
    *os << s.year << '-' << s.month << '-' << s.day << ' ' << s.hour << ':' << s.minute << ':' << s.second;
}

std::int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second)).toSecsSinceEpoch();
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

FakeNow::FakeNow(std::int64_t secondsSinceEpoch) { g_fakeNow = secondsSinceEpoch; }
FakeNow::~FakeNow() { g_fakeNow = -1; }

void MainWindowTest::SetUp()
{
    SetUnhandledExceptionPresenter([this](const std::string& className, const std::string& message) {
        unhandled.push_back(className + ": " + message);
    });
    PrepareStartup();
    window = implicit::MainWindow();
    ASSERT_NE(window, nullptr);
}

void MainWindowTest::TearDown()
{
    window.reset();
    CloseAllWindows();
    EXPECT_EQ(unhandled, std::vector<std::string>{});
    SetUnhandledExceptionPresenter(nullptr);
}

} // namespace driver
