#pragma once

// Drives the real main window on the offscreen platform: prepares what
// start-up prepares, opens the window, drops items on it, answers its open
// dialog and reads the outcome from its widgets and the file system.

#include "window/MainWindow.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QWidget;

namespace driver {

// The file types and an App with the shared menu bar, as early start-up
// leaves them; done once per process.
void PrepareStartup();

// The window as the program gets it, through its accessor.
std::shared_ptr<MainWindow> OpenMainWindow();

// Closes every open window and lets the event loop release them.
void CloseAllWindows();

// Sends a drag-enter and a drop of these entries to the window, as a file
// manager would. A path is taken byte for byte; an entry beginning with
// "http" is a dragged item that carries no file. The drop is sent whatever
// the drag-enter said; returns whether the window accepted the drag.
bool Drop(MainWindow& window, const std::vector<std::string>& entries);

// Answers the next modal open dialog with this path, or cancels it when the
// path is empty. Sets *answered once the dialog has been seen.
void AnswerNextOpenDialog(const std::string& path, bool* answered = nullptr);

// The two cells of each row of the details list.
using Rows = std::vector<std::pair<std::string, std::string>>;
Rows DetailRows(MainWindow& window);

// One press and release on the action bar at (x, y) in its coordinates.
void ClickActionBar(MainWindow& window, int x, int y);
// A left click in the middle of a control's widget.
void Click(QWidget* widget);

// The widgets of one date row.
struct RowWidgets {
    QWidget* box;
    QWidget* date;
    QWidget* time;
    QWidget* reload;
};
RowWidgets CreationRow(MainWindow& window);
RowWidgets ModificationRow(MainWindow& window);

// Edits a row's pickers as the user would: the year of the date picker and
// the seconds of the time picker are stepped with the Up key.
void StepYearUp(QWidget* datePicker);
void StepSecondsUp(QWidget* timePicker);

// Shows a date-time in a row's pickers and raises the pickers' ValueChanged,
// as the user's typing would.
void PickCreation(MainWindow& window, int year, int month, int day, int hour, int minute, int second);
void PickModification(MainWindow& window, int year, int month, int day, int hour, int minute, int second);

// The control states that run and the date-row handlers set.
struct RowState {
    bool pickersEnabled;
    bool boxEnabled;
    bool boxTicked;
    bool reloadEnabled;
};
struct DateArea {
    RowState creation;
    RowState modification;
    bool changeEnabled;
};
DateArea ReadDateArea(MainWindow& window);

// What the pickers of a row show, to the second.
struct Shown {
    std::int64_t year, month, day, hour, minute, second;
    bool operator==(const Shown&) const = default;
};
Shown ShownCreation(MainWindow& window);
Shown ShownModification(MainWindow& window);
Shown ShownOf(const Date& date);

// A local wall-clock date-time in the process's time zone, whatever TZ is.
Date LocalDate(int year, int month, int day, int hour, int minute, int second);
std::int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second);

// File times, to the nanosecond, without following links.
struct FileTimes {
    timespec access;
    timespec modification;
};
FileTimes ReadTimes(const std::string& path);
// Sets both times; the test's starting point.
void SetTimes(const std::string& path, std::int64_t accessSeconds, long accessNanos, std::int64_t modSeconds,
              long modNanos);

// Catches exceptions that would otherwise reach the message box.
class ExceptionCatcher {
public:
    ExceptionCatcher();
    ~ExceptionCatcher();
    const std::vector<std::string>& Caught() const { return m_caught; }
    // Hands over what was caught so far, for a test that expects it.
    std::vector<std::string> Take() { return std::exchange(m_caught, {}); }

private:
    std::vector<std::string> m_caught;
};

// The shared fixture: start-up prepared before, every window closed after.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::shared_ptr<MainWindow> window;
    std::unique_ptr<ExceptionCatcher> exceptions;
};

} // namespace driver
