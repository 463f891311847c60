#include "PickerControl.h"

#include "Application.h"
#include "EditCommand.h"
#include "UiThread.h"

#include <QDateTimeEdit>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QScopedValueRollback>

#include <utility>

namespace {

// The format less its formatting characters (category Cf: the direction
// marks U+200E, U+200F and U+061C, the embeddings and isolates). The Arabic
// short dates put a right-to-left mark after the day and the month: a
// double-click selects the day together with its mark, which the editor
// takes for the month, typing over it is refused, and the marks lay the
// text out right to left against the picker's left-to-right layout.
QString WithoutFormattingCharacters(const QString& format)
{
    QString plain;
    bool dropped = false;
    for (qsizetype i = 0; i < format.size();) {
        const qsizetype length =
            format[i].isHighSurrogate() && i + 1 < format.size() && format[i + 1].isLowSurrogate() ? 2 : 1;
        const char32_t c = length == 2 ? QChar::surrogateToUcs4(format[i], format[i + 1]) : format[i].unicode();
        if (QChar::category(c) == QChar::Other_Format)
            dropped = true;
        else
            plain += QStringView(format).sliced(i, length);
        i += length;
    }
    // Mostly there is none, and the format is kept as it came.
    return dropped ? plain : format;
}

// A double-click selects the field under the pointer, the one the press
// before it put the cursor in and that the keys now change. The line edit's
// own double-click selects the word after the nearest character boundary:
// on the right half of a field's last digit that is the separator, and the
// editor then takes the field after it for the one to change.
class FieldDoubleClick : public QObject {
public:
    explicit FieldDoubleClick(QDateTimeEdit* editor) : QObject(editor), m_editor(editor) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonDblClick
            || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        m_editor->setSelectedSection(m_editor->currentSection());
        return true;
    }

private:
    QDateTimeEdit* m_editor;
};

} // namespace

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
    // The editor shows its value in the locale it was made in, the one its
    // format comes from, wherever it is placed. But Qt's editor takes one
    // UTF-16 unit for each digit it reads and selects: digits beyond that
    // (Adlam, Chakma) leave a selected field and the one the keys change
    // apart, and no digit can be typed. There the picker shows the digits 0
    // to 9, still in the locale's order of fields.
    const QLocale locale;
    edit->setLocale(locale.zeroDigit().size() == 1 ? locale : QLocale::c());
    if (m_line)
        m_line->installEventFilter(new FieldDoubleClick(edit));
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
    const QString plain = WithoutFormattingCharacters(format);
    // Laying out the sections again is not free, and a design-time list
    // mostly names the format the editor has already.
    if (Editor()->displayFormat() == plain)
        return;
    ShowByProgram([&](QDateTimeEdit& edit) { edit.setDisplayFormat(plain); });
}

void PickerControl::Event_WindowOpen()
{
    // The design-time list has been applied by now.
    m_start = Held();
}
