#pragma once

// Drives the real main window on the offscreen platform: prepares what
// start-up prepares, opens the window, drops items on it, answers its open
// dialog and reads the outcome from its widgets and the file system.

#include "window/MainWindow.h"

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

class QWidget;

namespace driver {

// Closes every open window and lets the event loop release them.
void CloseAllWindows();

// Sends a drag-enter and a drop of these entries to the window, as a file
// manager would. A path is taken byte for byte; an entry beginning with
// "http" is a dragged item that carries no file. The drop is sent whatever
// the drag-enter said; returns whether the window accepted the drag.
bool Drop(MainWindow& window, const std::vector<std::string>& entries);


// The two cells of each row of the details list.
using Rows = std::vector<std::pair<std::string, std::string>>;
Rows DetailRows(MainWindow& window);

// One Up key in the given section of a date or time picker, as the user types.
void StepUp(QWidget* picker, int section);

// Shows a date-time in a row's pickers through the editors' own setters,
// which raise the pickers' ValueChanged as the user's typing would.
void PickCreation(MainWindow& window, int year, int month, int day, int hour, int minute, int second);
void PickModification(MainWindow& window, int year, int month, int day, int hour, int minute, int second);

// The control states that run, the date-row handlers and "-" set.
struct RowState {
    bool dateEnabled, timeEnabled, boxEnabled, boxTicked, reloadEnabled;
    bool operator==(const RowState&) const = default;
};
struct DateArea {
    RowState creation, modification;
    bool changeEnabled;
    bool operator==(const DateArea&) const = default;
};
DateArea ReadDateArea(MainWindow& window);
// As run leaves it; a row armed by an edit has its box ticked and its arrow on.
DateArea Loaded(bool creationArmed = false, bool modificationArmed = false);
// As at the start and after "-": everything off.
inline constexpr DateArea kForgotten{};
void PrintTo(const DateArea& area, std::ostream* os);

// What the pickers of a row show, to the second.
struct Shown {
    std::int64_t year, month, day, hour, minute, second;
    bool operator==(const Shown&) const = default;
};
Shown ShownCreation(MainWindow& window);
Shown ShownModification(MainWindow& window);
Shown ShownOf(std::int64_t secondsSinceEpoch);
void PrintTo(const Shown& shown, std::ostream* os);

// A local wall-clock date-time in the process's time zone.
std::int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second);

// File times, to the nanosecond, without following links.
struct FileTimes {
    timespec access, modification;
};
FileTimes ReadTimes(const std::string& path);
// Sets both times; the test's starting point.
void SetTimes(const std::string& path, std::int64_t accessSeconds, long accessNanos, std::int64_t modSeconds,
              long modNanos);

// While it lives, the C clock (time()) reports this instant as "now".
struct FakeNow {
    explicit FakeNow(std::int64_t secondsSinceEpoch);
    ~FakeNow();
};

// The shared fixture: start-up prepared and the window open before, every
// window closed after, and no exception may have reached the message box.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::shared_ptr<MainWindow> window;
    std::vector<std::string> unhandled;
};

} // namespace driver
