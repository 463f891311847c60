#include "PickerControl.h"

#include "Application.h"
#include "EditCommand.h"
#include "UiThread.h"

#include <QDateTimeEdit>
#include <QLineEdit>
#include <QScopedValueRollback>

#include <utility>

const ClassInfo& PickerControl::StaticClassInfo()
{
    // The font settings, in their stored order: first those of the other
    // desktops, which a picker keeps unused (WinTextUnit a 64-bit integer),
    // then the picker's own font, whose unit also takes eight bytes, unlike
    // a control's TextUnit.
    static const ClassInfo info = [] {
        std::vector<PropertyInfo> properties{
            MakeStored("MacTextFont", PropertyType::String),
            MakeStored("MacTextSize", PropertyType::Single),
            MakeStored("MacFontBold", PropertyType::Boolean),
            MakeStored("WinTextFont", PropertyType::String),
            MakeStored("WinTextSize", PropertyType::Single),
            MakeStored("WinTextUnit", PropertyType::Integer),
            MakeStored("WinFontBold", PropertyType::Boolean),
        };
        for (PropertyInfo& font : FontPropertiesNamed("LinuxTextFont", "LinuxTextSize", "LinuxTextUnit",
                                                      PropertyType::Integer, "LinuxFontBold"))
            properties.push_back(std::move(font));
        return ClassInfo("PickerControl", &RectControl::StaticClassInfo(), std::move(properties));
    }();
    return info;
}

PickerControl::PickerControl(std::unique_ptr<QWidget> editor)
    : RectControl(std::move(editor)), m_line(Editor()->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly))
{
    QDateTimeEdit* edit = Editor();
    edit->setLayoutDirection(Qt::LeftToRight);
    m_start = Held();
    m_lastShown = Shown();
    // Qt emits the change synchronously, also for the program's own sets;
    // those are told apart by m_settingValue, so nothing is left to arrive
    // after a setter has returned. Return emits it for the value already
    // shown, which is no change.
    m_changes = QObject::connect(edit, &QDateTimeEdit::dateTimeChanged, edit, [this] {
        const Value shown = Shown();
        const bool changed = shown != m_lastShown;
        m_lastShown = shown;
        if (m_settingValue || !changed)
            return;
        _CallGuarded([this] { RaiseValueChanged(); });
    });
}

// The editor goes with the base control, after the picker's own part; no
// change may reach that part on the way.
PickerControl::~PickerControl()
{
    QObject::disconnect(m_changes);
}

QDateTimeEdit* PickerControl::Editor() const
{
    return static_cast<QDateTimeEdit*>(NativeWidget());
}

PickerControl::Value PickerControl::Held() const
{
    return {Editor()->date(), Editor()->time()};
}

PickerControl::Value PickerControl::Shown() const
{
    const QDateTimeEdit::Sections sections = Editor()->displayedSections();
    return {sections & QDateTimeEdit::DateSections_Mask ? Editor()->date() : QDate(),
            sections & QDateTimeEdit::TimeSections_Mask ? Editor()->time() : QTime()};
}

template <class Set>
void PickerControl::ShowByProgram(Set&& set)
{
    const QScopedValueRollback setting(m_settingValue, true);
    std::forward<Set>(set)(*Editor());
    // The editor clears its history itself when its text changes; a value
    // that shows as the text the user typed leaves the text as it is.
    if (m_line && (m_line->isUndoAvailable() || m_line->isRedoAvailable()))
        ForgetEditHistory(Editor());
}

void PickerControl::ShowDate(const QDate& date)
{
    ShowByProgram([&](QDateTimeEdit& edit) { edit.setDate(date); });
}

void PickerControl::ShowTime(const QTime& time)
{
    ShowByProgram([&](QDateTimeEdit& edit) { edit.setTime(time); });
}

void PickerControl::ShowStartValue()
{
    ShowByProgram([&](QDateTimeEdit& edit) {
        edit.setDate(m_start.date);
        edit.setTime(m_start.time);
    });
}

void PickerControl::SetDisplayFormat(const QString& format)
{
    // Laying out the sections again is not free, and a design-time list
    // mostly names the format the editor has already.
    if (Editor()->displayFormat() == format)
        return;
    ShowByProgram([&](QDateTimeEdit& edit) { edit.setDisplayFormat(format); });
}

void PickerControl::Event_WindowOpen()
{
    // The design-time list has been applied by now.
    m_start = Held();
}
