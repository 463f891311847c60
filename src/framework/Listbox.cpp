#include "Listbox.h"

#include "UiThread.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include <algorithm>

namespace {

constexpr int kBoldRole = Qt::UserRole + 1;

// The widget behind a Listbox. It keeps the column alignments, which its
// cells read whenever they are drawn, so an alignment reaches every cell of
// the column, whether it exists yet or not.
class ListboxWidget : public QTableWidget {
public:
    explicit ListboxWidget(Listbox* owner) : m_owner(owner) {}

    std::int64_t AlignmentCode(int column) const
    {
        return column >= 0 && std::size_t(column) < m_alignments.size() ? m_alignments[std::size_t(column)] : 0;
    }

    void SetAlignmentCode(int column, std::int64_t code)
    {
        if (std::size_t(column) >= m_alignments.size())
            m_alignments.resize(std::size_t(column) + 1, 0);
        m_alignments[std::size_t(column)] = code;
        viewport()->update();
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QTableWidget::resizeEvent(event);
        m_owner->_LayoutColumns();
    }

private:
    Listbox* m_owner;
    std::vector<std::int64_t> m_alignments;
};

// A cell. Bold and alignment are worked out when the view asks, from the
// list's current font and its column's alignment.
class ListboxItem : public QTableWidgetItem {
public:
    explicit ListboxItem(int column) : m_column(column) { setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled); }

    QVariant data(int role) const override
    {
        if (role == Qt::FontRole && QTableWidgetItem::data(kBoldRole).toBool()) {
            QFont font = tableWidget() ? tableWidget()->font() : QFont();
            font.setBold(true);
            return font;
        }
        if (role == Qt::TextAlignmentRole && tableWidget()) {
            Qt::Alignment horizontal = Qt::AlignLeft;
            switch (static_cast<const ListboxWidget*>(tableWidget())->AlignmentCode(m_column)) {
            case 2: horizontal = Qt::AlignHCenter; break;
            case 3: horizontal = Qt::AlignRight; break;
            default: break;
            }
            return int(horizontal | Qt::AlignVCenter);
        }
        return QTableWidgetItem::data(role);
    }

private:
    int m_column;
};

// A cell's text as a left-to-right list draws it: in the order it is
// written, also where it mixes scripts. Numbers next to a right-to-left word
// (a Hebrew or Arabic month name), and Arabic digits next to anything, would
// join that word in one run shown backwards: the day after the month, the
// time before the year, a folder before its parent. A left-to-right mark
// after each right-to-left run keeps every part in its place. Words that
// only spaces part stay one run, so a phrase still reads right to left. The
// marks are drawn only; the cell's text, which Copy takes, has none.
QString InLeftToRightOrder(const QString& text)
{
    constexpr QChar kMark(0x200E);
    enum class Run { None, Letters, Digits };
    QString out;
    out.reserve(text.size() + 8);
    Run run = Run::None;
    // Where a run of right-to-left letters ended, while only neutral
    // characters have followed it, and whether they were all spaces.
    qsizetype pending = -1;
    bool onlySpaces = true;
    const auto closePending = [&] {
        if (pending >= 0)
            out.insert(pending, kMark);
        pending = -1;
    };
    for (const char32_t c : text.toUcs4()) {
        const QChar::Direction direction = QChar::direction(c);
        const bool letter = direction == QChar::DirR || direction == QChar::DirAL;
        const bool digit = direction == QChar::DirAN;
        const bool neutral = direction == QChar::DirWS || direction == QChar::DirON || direction == QChar::DirCS
                             || direction == QChar::DirES || direction == QChar::DirET || direction == QChar::DirS
                             || direction == QChar::DirBN;
        // Combining marks belong to the character they follow.
        if (direction != QChar::DirNSM) {
            if (neutral) {
                if (run != Run::None) {
                    pending = out.size();
                    onlySpaces = run == Run::Letters;
                }
                onlySpaces = onlySpaces && direction == QChar::DirWS;
                run = Run::None;
            } else if (letter && pending >= 0 && onlySpaces) {
                pending = -1; // the phrase goes on
            } else {
                closePending();
                if (run != Run::None && run != (letter ? Run::Letters : digit ? Run::Digits : Run::None))
                    out += kMark;
            }
            if (!neutral)
                run = letter ? Run::Letters : digit ? Run::Digits : Run::None;
        }
        out += QString::fromUcs4(&c, 1);
    }
    closePending();
    if (run != Run::None)
        out += kMark;
    return out;
}

// Draws each cell's text in the list's reading order.
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(QWidget* view) : QStyledItemDelegate(view), m_view(view) {}

    QString displayText(const QVariant& value, const QLocale& locale) const override
    {
        const QString text = QStyledItemDelegate::displayText(value, locale);
        return m_view->layoutDirection() == Qt::LeftToRight ? InLeftToRightOrder(text) : text;
    }

private:
    QWidget* m_view;
};

ListboxWidget* Widget(const Listbox& list)
{
    return static_cast<ListboxWidget*>(list.NativeWidget());
}

// The cell's item, made on first use.
QTableWidgetItem* ItemAt(QTableWidget* table, int row, int column)
{
    QTableWidgetItem* item = table->item(row, column);
    if (!item) {
        item = new ListboxItem(column);
        table->setItem(row, column, item);
    }
    return item;
}

} // namespace

const ClassInfo& Listbox::StaticClassInfo()
{
    static const ClassInfo info = [] {
        std::vector<PropertyInfo> properties{
            MakeProperty("ColumnCount", PropertyType::Integer, &Listbox::ColumnCount, &Listbox::SetColumnCount),
            MakeProperty("ColumnWidths", PropertyType::String, &Listbox::ColumnWidths, &Listbox::SetColumnWidths),
            MakeProperty("HasHeading", PropertyType::Boolean, &Listbox::HasHeading, &Listbox::SetHasHeading),
            MakeProperty("DefaultRowHeight", PropertyType::Integer, &Listbox::DefaultRowHeight,
                         &Listbox::SetDefaultRowHeight),
            MakeProperty("Border", PropertyType::Boolean, &Listbox::Border, &Listbox::SetBorder),
            MakeProperty("InitialValue", PropertyType::String, &Listbox::InitialValue, &Listbox::SetInitialValue),
            MakeProperty("ScrollBarHorizontal", PropertyType::Boolean, &Listbox::ScrollBarHorizontal,
                         &Listbox::SetScrollBarHorizontal),
            MakeProperty("ScrollBarVertical", PropertyType::Boolean, &Listbox::ScrollBarVertical,
                         &Listbox::SetScrollBarVertical),
            MakeProperty("AutoHideScrollbars", PropertyType::Boolean, &Listbox::AutoHideScrollbars,
                         &Listbox::SetAutoHideScrollbars),
            MakeProperty("GridLinesHorizontal", PropertyType::Integer, &Listbox::GridLinesHorizontal,
                         &Listbox::SetGridLinesHorizontal),
            MakeProperty("GridLinesVertical", PropertyType::Integer, &Listbox::GridLinesVertical,
                         &Listbox::SetGridLinesVertical),
            MakeProperty("SelectionType", PropertyType::Integer, &Listbox::SelectionType, &Listbox::SetSelectionType),
            MakeProperty("ColumnsResizable", PropertyType::Boolean, &Listbox::ColumnsResizable,
                         &Listbox::SetColumnsResizable),
            // Settings without a use in this program or on this desktop; kept
            // for reading back.
            MakeStored("UseFocusRing", PropertyType::Boolean),
            MakeStored("HeadingIndex", PropertyType::Integer),
            MakeStored("_ScrollWidth", PropertyType::Integer),
            MakeStored("_ScrollOffset", PropertyType::Integer),
            MakeStored("Hierarchical", PropertyType::Boolean),
            MakeStored("EnableDrag", PropertyType::Boolean),
            MakeStored("EnableDragReorder", PropertyType::Boolean),
            MakeStored("RequiresSelection", PropertyType::Boolean),
            MakeStored("DataSource", PropertyType::String),
            MakeStored("DataField", PropertyType::String),
        };
        for (PropertyInfo& font : FontProperties())
            properties.push_back(std::move(font));
        return ClassInfo("Listbox", &RectControl::StaticClassInfo(), std::move(properties));
    }();
    return info;
}

Listbox::Listbox() : RectControl(NewWidget<ListboxWidget>(this))
{
    ListboxWidget* table = Widget(*this);
    // The headers are hidden before there are columns: a shown header sizes
    // itself for every column change in its bold font, which costs a font
    // of its own that a list without a heading never draws.
    table->verticalHeader()->hide();
    table->horizontalHeader()->hide();
    table->setColumnCount(1);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    // Tab moves on to the next control, as from any other control; the
    // arrow keys move within the list.
    table->setTabKeyNavigation(false);
    table->setWordWrap(false);
    table->setItemDelegate(new CellDelegate(table));
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_styleRowHeight = table->verticalHeader()->defaultSectionSize();
    UpdateGrid();
    UpdateScrollBars();
    _LayoutColumns();
}

void Listbox::Event_WindowOpen()
{
    if (m_opened)
        return;
    m_opened = true;
    Open.Raise(*this);
}

// --- Rows and cells -----------------------------------------------------------

void Listbox::CheckCell(std::int64_t row, std::int64_t column) const
{
    const QTableWidget* table = Widget(*this);
    if (row < 0 || row >= table->rowCount())
        throw OutOfBoundsException("Listbox row " + std::to_string(row) + " does not exist.");
    if (column < 0 || column >= table->columnCount())
        throw OutOfBoundsException("Listbox column " + std::to_string(column) + " does not exist.");
}

void Listbox::DeleteAllRows()
{
    RequireMainThread();
    Widget(*this)->setRowCount(0);
    m_lastIndex = -1;
}

void Listbox::AddRow(const std::string& firstCell)
{
    RequireMainThread();
    QTableWidget* table = Widget(*this);
    const int row = table->rowCount();
    table->insertRow(row);
    for (int column = 0; column < table->columnCount(); ++column)
        ItemAt(table, row, column);
    table->item(row, 0)->setText(QString::fromStdString(firstCell));
    m_lastIndex = row;
}

std::int64_t Listbox::LastIndex() const
{
    RequireMainThread();
    return m_lastIndex;
}

std::int64_t Listbox::RowCount() const
{
    RequireMainThread();
    return Widget(*this)->rowCount();
}

std::string Listbox::Cell(std::int64_t row, std::int64_t column) const
{
    RequireMainThread();
    CheckCell(row, column);
    const QTableWidgetItem* item = Widget(*this)->item(int(row), int(column));
    return item ? item->text().toStdString() : std::string();
}

void Listbox::SetCell(std::int64_t row, std::int64_t column, const std::string& text)
{
    RequireMainThread();
    CheckCell(row, column);
    ItemAt(Widget(*this), int(row), int(column))->setText(QString::fromStdString(text));
}

std::string Listbox::_ShownCell(std::int64_t row, std::int64_t column) const
{
    RequireMainThread();
    CheckCell(row, column);
    const QTableWidget* table = Widget(*this);
    const QModelIndex index = table->model()->index(int(row), int(column));
    const auto* delegate = static_cast<const QStyledItemDelegate*>(table->itemDelegateForIndex(index));
    return delegate->displayText(index.data(Qt::DisplayRole), table->locale()).toStdString();
}

bool Listbox::CellBold(std::int64_t row, std::int64_t column) const
{
    RequireMainThread();
    CheckCell(row, column);
    const QTableWidgetItem* item = Widget(*this)->item(int(row), int(column));
    return item && item->data(kBoldRole).toBool();
}

void Listbox::SetCellBold(std::int64_t row, std::int64_t column, bool bold)
{
    RequireMainThread();
    CheckCell(row, column);
    ItemAt(Widget(*this), int(row), int(column))->setData(kBoldRole, bold);
}

std::string Listbox::CellHelpTag(std::int64_t row, std::int64_t column) const
{
    RequireMainThread();
    CheckCell(row, column);
    const QTableWidgetItem* item = Widget(*this)->item(int(row), int(column));
    return item ? item->toolTip().toStdString() : std::string();
}

void Listbox::SetCellHelpTag(std::int64_t row, std::int64_t column, const std::string& tag)
{
    RequireMainThread();
    CheckCell(row, column);
    ItemAt(Widget(*this), int(row), int(column))->setToolTip(QString::fromStdString(tag));
}

std::int64_t Listbox::ColumnAlignment(std::int64_t column) const
{
    RequireMainThread();
    if (column < 0 || column >= Widget(*this)->columnCount())
        throw OutOfBoundsException("Listbox column " + std::to_string(column) + " does not exist.");
    return Widget(*this)->AlignmentCode(int(column));
}

void Listbox::SetColumnAlignment(std::int64_t column, std::int64_t alignment)
{
    RequireMainThread();
    if (column < 0 || column >= Widget(*this)->columnCount())
        throw OutOfBoundsException("Listbox column " + std::to_string(column) + " does not exist.");
    Widget(*this)->SetAlignmentCode(int(column), alignment);
}

// --- Design-time settings -------------------------------------------------------

std::int64_t Listbox::ColumnCount() const
{
    RequireMainThread();
    return Widget(*this)->columnCount();
}

void Listbox::SetColumnCount(std::int64_t count)
{
    RequireMainThread();
    if (count < 1 || count > 256)
        throw OutOfBoundsException("A Listbox has 1 to 256 columns, not " + std::to_string(count) + ".");
    Widget(*this)->setColumnCount(int(count));
    _LayoutColumns();
}

const std::string& Listbox::ColumnWidths() const
{
    RequireMainThread();
    return m_columnWidths;
}

void Listbox::SetColumnWidths(const std::string& widths)
{
    RequireMainThread();
    m_columnWidths = widths;
    _LayoutColumns();
}

void Listbox::_LayoutColumns()
{
    RequireMainThread();
    ListboxWidget* table = Widget(*this);
    QHeaderView* header = table->horizontalHeader();
    header->setStretchLastSection(false);
    const QStringList entries = QString::fromStdString(m_columnWidths).split(QLatin1Char(','));
    const int available = table->viewport()->width();
    const QHeaderView::ResizeMode fixedMode = m_columnsResizable ? QHeaderView::Interactive : QHeaderView::Fixed;
    for (int column = 0; column < table->columnCount(); ++column) {
        const QString entry = column < entries.size() ? entries[column].trimmed() : QString();
        bool ok = false;
        int width = -1;
        if (entry.endsWith(QLatin1Char('%'))) {
            const double share = entry.chopped(1).trimmed().toDouble(&ok);
            if (ok)
                width = int(available * share / 100.0);
        } else if (!entry.isEmpty() && entry != QLatin1String("*")) {
            width = entry.toInt(&ok);
            if (!ok)
                width = -1;
        }
        if (width >= 0) {
            header->setSectionResizeMode(column, fixedMode);
            header->resizeSection(column, width);
        } else {
            // Columns without a width share the room the others leave.
            header->setSectionResizeMode(column, QHeaderView::Stretch);
        }
    }
}

bool Listbox::HasHeading() const
{
    RequireMainThread();
    return !Widget(*this)->horizontalHeader()->isHidden();
}

void Listbox::SetHasHeading(bool hasHeading)
{
    RequireMainThread();
    Widget(*this)->horizontalHeader()->setVisible(hasHeading);
}

std::int64_t Listbox::DefaultRowHeight() const
{
    RequireMainThread();
    return m_defaultRowHeight;
}

void Listbox::SetDefaultRowHeight(std::int64_t height)
{
    RequireMainThread();
    m_defaultRowHeight = height;
    QHeaderView* rows = Widget(*this)->verticalHeader();
    if (height >= 1) {
        // The style's minimum would otherwise hold small rows above the
        // height asked for.
        rows->setMinimumSectionSize(1);
        rows->setDefaultSectionSize(int(std::min<std::int64_t>(height, 10000)));
    } else {
        rows->setDefaultSectionSize(m_styleRowHeight);
    }
}

bool Listbox::Border() const
{
    RequireMainThread();
    return Widget(*this)->frameShape() != QFrame::NoFrame;
}

void Listbox::SetBorder(bool border)
{
    RequireMainThread();
    Widget(*this)->setFrameShape(border ? QFrame::StyledPanel : QFrame::NoFrame);
}

const std::string& Listbox::InitialValue() const
{
    RequireMainThread();
    return m_initialValue;
}

void Listbox::SetInitialValue(const std::string& rows)
{
    RequireMainThread();
    m_initialValue = rows;
    DeleteAllRows();
    if (rows.empty())
        return;
    QString text = QString::fromStdString(rows);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    // A break at the very end closes the last row; it opens no new one.
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    for (const QString& line : lines) {
        const QStringList cells = line.split(QLatin1Char('\t'));
        AddRow(cells.first().toStdString());
        for (int column = 1; column < cells.size() && column < ColumnCount(); ++column)
            SetCell(m_lastIndex, column, cells[column].toStdString());
    }
}

bool Listbox::ScrollBarHorizontal() const
{
    RequireMainThread();
    return m_scrollBarHorizontal;
}

void Listbox::SetScrollBarHorizontal(bool shown)
{
    RequireMainThread();
    m_scrollBarHorizontal = shown;
    UpdateScrollBars();
}

bool Listbox::ScrollBarVertical() const
{
    RequireMainThread();
    return m_scrollBarVertical;
}

void Listbox::SetScrollBarVertical(bool shown)
{
    RequireMainThread();
    m_scrollBarVertical = shown;
    UpdateScrollBars();
}

bool Listbox::AutoHideScrollbars() const
{
    RequireMainThread();
    return m_autoHideScrollbars;
}

void Listbox::SetAutoHideScrollbars(bool autoHide)
{
    RequireMainThread();
    m_autoHideScrollbars = autoHide;
    UpdateScrollBars();
}

void Listbox::UpdateScrollBars()
{
    QTableWidget* table = Widget(*this);
    const Qt::ScrollBarPolicy on = m_autoHideScrollbars ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn;
    table->setHorizontalScrollBarPolicy(m_scrollBarHorizontal ? on : Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(m_scrollBarVertical ? on : Qt::ScrollBarAlwaysOff);
}

std::int64_t Listbox::GridLinesHorizontal() const
{
    RequireMainThread();
    return m_gridLinesHorizontal;
}

void Listbox::SetGridLinesHorizontal(std::int64_t style)
{
    RequireMainThread();
    m_gridLinesHorizontal = style;
    UpdateGrid();
}

std::int64_t Listbox::GridLinesVertical() const
{
    RequireMainThread();
    return m_gridLinesVertical;
}

void Listbox::SetGridLinesVertical(std::int64_t style)
{
    RequireMainThread();
    m_gridLinesVertical = style;
    UpdateGrid();
}

void Listbox::UpdateGrid()
{
    QTableWidget* table = Widget(*this);
    const std::int64_t style = std::max(m_gridLinesHorizontal, m_gridLinesVertical);
    table->setShowGrid(style >= 2);
    table->setGridStyle(style == 2 ? Qt::DotLine : Qt::SolidLine);
}

std::int64_t Listbox::SelectionType() const
{
    RequireMainThread();
    return m_selectionType;
}

void Listbox::SetSelectionType(std::int64_t type)
{
    RequireMainThread();
    m_selectionType = type;
    Widget(*this)->setSelectionMode(type == 1 ? QAbstractItemView::ExtendedSelection
                                              : QAbstractItemView::SingleSelection);
}

bool Listbox::ColumnsResizable() const
{
    RequireMainThread();
    return m_columnsResizable;
}

void Listbox::SetColumnsResizable(bool resizable)
{
    RequireMainThread();
    m_columnsResizable = resizable;
    _LayoutColumns();
}
