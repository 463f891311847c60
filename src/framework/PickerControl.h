#pragma once

#include "RectControl.h"

#include <QDate>
#include <QMetaObject>
#include <QTime>

#include <memory>

class QDateTimeEdit;
class QLineEdit;
class QString;

// The base of the date and time pickers, over Qt's date-time editor. It holds
// what both pickers do alike:
//
// - The editor is laid out left to right in any window, also a right-to-left
//   one. Its display format carries no invisible formatting characters (some
//   locales put direction marks into their date formats), it shows digits
//   it can read one by one, and a double-click selects the whole field under
//   the pointer. So in every locale the field a user selects where it is
//   drawn is the one that keys, typing and Up/Down change, Tab goes on to the
//   field drawn right of it, and a copied value holds no invisible
//   characters.
// - ValueChanged, which each picker declares for itself, is raised once for
//   each change the user makes to the value shown. Return on an unchanged
//   value is none, and no value or format the program sets raises it, also
//   not later from the event loop.
// - A value the program sets starts the editor's undo history afresh: what
//   the program shows is not an edit that Undo could take back.
// - The start value, which a picker shows when the program gives it none, so
//   that no other value passes for a missing one: the value the picker showed
//   when its window opened (its design-time value), or for a picker added to
//   an open window the one it was made with.
//
// Its class declares the pickers' font settings, once for both.
class PickerControl : public RectControl {
    DECLARE_CLASS_INFO

public:
    ~PickerControl() override;

protected:
    // Takes the editor, a QDateTimeEdit made with NewWidget and showing the
    // value the picker starts with.
    explicit PickerControl(std::unique_ptr<QWidget> editor);

    QDateTimeEdit* Editor() const;

    // The program's own sets of the value shown.
    void ShowDate(const QDate& date);
    void ShowTime(const QTime& time);
    void ShowStartValue();

    // Shows the value in this format, less its formatting characters. A new
    // format can drop a part of the value (the seconds); that is not the
    // user's change either. A format the editor has already is not laid out
    // again.
    void SetDisplayFormat(const QString& format);

    // Raises the picker's own ValueChanged.
    virtual void RaiseValueChanged() = 0;

    void Event_WindowOpen() override;

private:
    // The value as the editor holds it: the date of a time editor and the
    // time of a date editor are not shown, but kept for the start value.
    struct Value {
        QDate date;
        QTime time;
        bool operator==(const Value&) const = default;
    };
    Value Held() const;
    // The part of the value that the display format shows.
    Value Shown() const;
    template <class Set>
    void ShowByProgram(Set&& set);

    QLineEdit* m_line;
    Value m_start;
    Value m_lastShown;
    bool m_settingValue = false;
    QMetaObject::Connection m_changes;
};
