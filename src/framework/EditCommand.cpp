#include "EditCommand.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSignalBlocker>


namespace {

struct CommandInfo {
    std::string_view itemName;
    EditCommand command;
    QKeySequence::StandardKey key;
};

constexpr CommandInfo kCommands[] = {
    {"EditUndo", EditCommand::Undo, QKeySequence::Undo},
    {"EditCut", EditCommand::Cut, QKeySequence::Cut},
    {"EditCopy", EditCommand::Copy, QKeySequence::Copy},
    {"EditPaste", EditCommand::Paste, QKeySequence::Paste},
    {"EditClear", EditCommand::Clear, QKeySequence::Delete},
    {"EditSelectAll", EditCommand::SelectAll, QKeySequence::SelectAll},
};

const CommandInfo& Info(EditCommand command)
{
    return kCommands[static_cast<int>(command)];
}

bool IsMenu(const QWidget* widget)
{
    return qobject_cast<const QMenuBar*>(widget) || qobject_cast<const QMenu*>(widget);
}

// The line edit behind a widget: the widget itself, or the editor of a
// picker or an editable combo box, which keep the focus themselves.
QLineEdit* LineEditOf(QWidget* widget)
{
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit;
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->lineEdit();
    if (qobject_cast<QAbstractSpinBox*>(widget))
        return widget->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly);
    return nullptr;
}

struct Selection {
    int start = -1, length = 0, cursor = 0;
};

Selection SelectionOf(const QLineEdit& edit)
{
    return {edit.selectionStart(), edit.selectionLength(), edit.cursorPosition()};
}

void Select(QLineEdit& edit, const Selection& selection)
{
    if (selection.start < 0)
        edit.setCursorPosition(selection.cursor);
    else if (selection.cursor == selection.start) // selected leftwards
        edit.setSelection(selection.start + selection.length, -selection.length);
    else
        edit.setSelection(selection.start, selection.length);
}

// Follows the focus for the commands: which widget outside the menus had it
// last, since the menu bar takes it for its keyboard navigation and gives it
// back when it is done. A line edit drops its selection when the menu bar
// takes the focus, and a picker selects its first section when it gets the
// focus back; the user's selection is put back both times, so that a command
// reached from the keyboard acts on what the user selected, as it does when
// chosen with the mouse.
class FocusTracker : public QObject {
public:
    explicit FocusTracker(QApplication* app) : QObject(app)
    {
        if (!IsMenu(QApplication::focusWidget()))
            m_last = QApplication::focusWidget();
        app->installEventFilter(this);
        connect(app, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
            const bool back = now && !IsMenu(now) && IsMenu(old) && LineEditOf(now) == m_leaving;
            if (m_leaving && (IsMenu(now) || back))
                Select(*m_leaving, m_leavingSelection);
            if (now && !IsMenu(now)) {
                m_last = now;
                m_leaving = nullptr;
            }
        });
    }

    QWidget* Last() const { return m_last; }

protected:
    // The selection is read as the field loses the focus to the menu bar,
    // before the field drops it; only the focus change tells the reason.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut
            && static_cast<QFocusEvent*>(event)->reason() == Qt::MenuBarFocusReason && watched->isWidgetType()) {
            if (QLineEdit* edit = LineEditOf(static_cast<QWidget*>(watched))) {
                m_leaving = edit;
                m_leavingSelection = SelectionOf(*edit);
            }
        }
        return false;
    }

private:
    QPointer<QWidget> m_last;
    QPointer<QLineEdit> m_leaving;
    Selection m_leavingSelection;
};

FocusTracker* Tracker()
{
    static QPointer<FocusTracker> tracker; // goes with the application
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app && !tracker)
        tracker = new FocusTracker(app);
    return tracker;
}

// The widget the commands act on: the active window's focus widget, or while
// the menu bar holds the focus, the one that had it before.
QWidget* CommandTarget()
{
    QWidget* window = QApplication::activeWindow();
    const FocusTracker* tracker = Tracker();
    if (!window || !tracker)
        return nullptr;
    QWidget* focus = window->focusWidget();
    if (!IsMenu(focus))
        return focus;
    QWidget* last = tracker->Last();
    return last && last->window() == window ? last : nullptr;
}

} // namespace

std::optional<EditCommand> EditCommandOfItem(std::string_view itemName)
{
    for (const CommandInfo& info : kCommands) {
        if (info.itemName == itemName)
            return info.command;
    }
    return std::nullopt;
}

void FollowFocusForEditCommands()
{
    (void)Tracker();
}

bool EditCommandApplies(EditCommand command)
{
    const QLineEdit* edit = LineEditOf(CommandTarget());
    if (!edit)
        return false;
    const bool editable = !edit->isReadOnly();
    switch (command) {
    case EditCommand::Undo: return editable && edit->isUndoAvailable();
    case EditCommand::Cut:
    case EditCommand::Clear: return editable && edit->hasSelectedText();
    case EditCommand::Copy: return edit->hasSelectedText();
    case EditCommand::Paste: return editable && !QApplication::clipboard()->text().isEmpty();
    case EditCommand::SelectAll: return true;
    }
    return false;
}

bool RunEditCommand(EditCommand command)
{
    QWidget* target = CommandTarget();
    if (!LineEditOf(target))
        return false;
    // The key itself, to the field's widget: a picker handles it as it
    // handles the user's typing.
    const QKeyCombination key = QKeySequence::keyBindings(Info(command).key).value(0)[0];
    QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers());
    QKeyEvent release(QEvent::KeyRelease, key.key(), key.keyboardModifiers());
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
    return true;
}

void ForgetEditHistory(QWidget* field)
{
    QLineEdit* edit = LineEditOf(field);
    if (!edit)
        return;
    // Setting the text, even the same text, is what clears a line edit's
    // history. Quietly: the owner sees no edit.
    const QSignalBlocker blocker(edit);
    const Selection selection = SelectionOf(*edit);
    edit->setText(edit->text());
    Select(*edit, selection);
}
