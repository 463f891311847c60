#pragma once

#include <optional>
#include <string_view>

class QWidget;

// The standard Edit commands. A menu item named EditUndo, EditCut, EditCopy,
// EditPaste, EditClear or EditSelectAll carries one: chosen without a
// handler of the application, it acts on the focused text field exactly as
// the command's key does there (Ctrl+Z, Ctrl+X, Ctrl+C, Ctrl+V, Delete,
// Ctrl+A), so an edit made from the menu is the user's edit of that field.
// A text field is a line edit, also the one inside a picker or a combo box.
//
// The focused text field is the active window's own focus widget. While the
// menu bar holds the focus for its keyboard navigation (Alt, arrows), it is
// the widget that had the focus before, so a command reached from the
// keyboard acts where the user was typing.
enum class EditCommand { Undo, Cut, Copy, Paste, Clear, SelectAll };

// The command a menu item of this name carries, if any.
std::optional<EditCommand> EditCommandOfItem(std::string_view itemName);

// Starts following the focus for the commands, so that they know where the
// user was before the menu bar took the focus; an item that carries a
// command calls it when it gets its name. Needs the application object.
void FollowFocusForEditCommands();

// Whether the command would do anything now: Cut and Delete need selected
// text in an editable field, Copy selected text, Paste text on the clipboard
// and an editable field, Undo something to undo, Select All a focused field.
// With no text field focused, none applies.
bool EditCommandApplies(EditCommand command);

// Runs the command on the focused text field; false when there is none.
bool RunEditCommand(EditCommand command);

// Starts the undo history of the text field behind a widget afresh, keeping
// its text, cursor and selection: what the program shows in a field is not
// an edit that Undo could take back.
void ForgetEditHistory(QWidget* field);
