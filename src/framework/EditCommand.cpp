#include "EditCommand.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>

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

// The line edit behind the focused widget: the widget itself, or the editor
// of a picker or an editable combo box, which keep the focus themselves.
QLineEdit* FocusedLineEdit()
{
    QWidget* focus = QApplication::focusWidget();
    if (auto* edit = qobject_cast<QLineEdit*>(focus))
        return edit;
    if (auto* combo = qobject_cast<QComboBox*>(focus))
        return combo->lineEdit();
    if (qobject_cast<QAbstractSpinBox*>(focus))
        return focus->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly);
    return nullptr;
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

bool EditCommandApplies(EditCommand command)
{
    const QLineEdit* edit = FocusedLineEdit();
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
    if (!FocusedLineEdit())
        return false;
    // The key itself, to the widget that has the focus: a picker handles it
    // as it handles the user's typing.
    const QKeyCombination key = QKeySequence::keyBindings(Info(command).key).value(0)[0];
    QWidget* target = QApplication::focusWidget();
    QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers());
    QKeyEvent release(QEvent::KeyRelease, key.key(), key.keyboardModifiers());
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
    return true;
}
