#pragma once

#include "Event.h"
#include "RectControl.h"

#include <cstdint>
#include <string>
#include <vector>

// A list of rows with one or more columns. The user can select rows but not
// edit them.
//
// Open is raised once, when the list's window opens, after every control of
// the window has been created and its settings applied.
class Listbox : public RectControl {
    DECLARE_CLASS_INFO

public:
    Listbox();

    Event<void(Listbox&)> Open;

    // --- Rows and cells ---------------------------------------------------
    // Rows and columns count from 0; a row or column outside the list raises
    // OutOfBoundsException.

    void DeleteAllRows();
    // Appends a row whose first cell holds the text; LastIndex becomes its
    // index.
    void AddRow(const std::string& firstCell);
    // The index of the row added last, -1 when there is none.
    std::int64_t LastIndex() const;
    std::int64_t RowCount() const;
    std::int64_t ListCount() const { return RowCount(); }

    std::string Cell(std::int64_t row, std::int64_t column) const;
    void SetCell(std::int64_t row, std::int64_t column, const std::string& text);
    // The cell's text as the list draws it: in a left-to-right list, with
    // marks that keep a right-to-left word from reordering the numbers and
    // words around it. Framework code and tests only.
    std::string _ShownCell(std::int64_t row, std::int64_t column) const;
    bool CellBold(std::int64_t row, std::int64_t column) const;
    void SetCellBold(std::int64_t row, std::int64_t column, bool bold);
    // The cell's tooltip.
    std::string CellHelpTag(std::int64_t row, std::int64_t column) const;
    void SetCellHelpTag(std::int64_t row, std::int64_t column, const std::string& tag);

    // Horizontal alignment of every cell of a column, present and future:
    // 0 default (left), 1 left, 2 centred, 3 right.
    std::int64_t ColumnAlignment(std::int64_t column) const;
    void SetColumnAlignment(std::int64_t column, std::int64_t alignment);

    // --- Design-time settings ---------------------------------------------

    std::int64_t ColumnCount() const;
    void SetColumnCount(std::int64_t count);
    // Comma-separated column widths: pixels ("100"), a share of the list's
    // width ("40%") or "*"/nothing. Columns without a width share what the
    // others leave, so "100" gives the first column 100 pixels and the rest
    // to the others.
    const std::string& ColumnWidths() const;
    void SetColumnWidths(const std::string& widths);
    bool HasHeading() const;
    void SetHasHeading(bool hasHeading);
    // Row height in pixels; -1 (or any value below 1) is the style's default.
    std::int64_t DefaultRowHeight() const;
    void SetDefaultRowHeight(std::int64_t height);
    bool Border() const;
    void SetBorder(bool border);
    // Rows separated by CR, LF or CR LF, cells within a row by tabs. Setting
    // it replaces the rows.
    const std::string& InitialValue() const;
    void SetInitialValue(const std::string& rows);
    bool ScrollBarHorizontal() const;
    void SetScrollBarHorizontal(bool shown);
    bool ScrollBarVertical() const;
    void SetScrollBarVertical(bool shown);
    // Whether a scroll bar that is on hides while nothing needs scrolling.
    bool AutoHideScrollbars() const;
    void SetAutoHideScrollbars(bool autoHide);
    // Grid line styles: 0 default (none), 1 none, 2 thin dotted, 3 thin
    // solid, 4 thick solid, 5 double. The list draws one grid for both
    // directions, in the heavier style of the two.
    std::int64_t GridLinesHorizontal() const;
    void SetGridLinesHorizontal(std::int64_t style);
    std::int64_t GridLinesVertical() const;
    void SetGridLinesVertical(std::int64_t style);
    // 0 one row at a time, 1 several rows.
    std::int64_t SelectionType() const;
    void SetSelectionType(std::int64_t type);
    bool ColumnsResizable() const;
    void SetColumnsResizable(bool resizable);

    // Lays the columns out again for the list's current width. Called by the
    // list's widget when it is resized.
    void _LayoutColumns();

protected:
    void Event_WindowOpen() override;

private:
    void CheckCell(std::int64_t row, std::int64_t column) const;
    void UpdateScrollBars();
    void UpdateGrid();

    std::int64_t m_lastIndex = -1;
    std::string m_columnWidths;
    std::int64_t m_defaultRowHeight = -1;
    int m_styleRowHeight = 0;
    std::string m_initialValue;
    bool m_scrollBarHorizontal = true;
    bool m_scrollBarVertical = true;
    bool m_autoHideScrollbars = true;
    std::int64_t m_gridLinesHorizontal = 0;
    std::int64_t m_gridLinesVertical = 0;
    std::int64_t m_selectionType = 0;
    bool m_columnsResizable = false;
    bool m_opened = false;
};
