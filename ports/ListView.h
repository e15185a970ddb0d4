// One report-style list view of the main dialog, as the core sees it: the
// core makes every text; the control only receives finished texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gsd {

class ListView {
public:
    virtual ~ListView() = default;

    // Turns on full-row selection; done before the columns are added.
    virtual void SetFullRowSelect() = 0;

    // Adds a left-aligned column at `index` with a width in pixels.
    virtual void AddColumn(int index, std::string_view heading, int width) = 0;

    // Removes every row.
    virtual void DeleteAllRows() = 0;

    // Inserts a row at position 0 with column 0's text, then sets the other
    // columns in order on the index the insertion gave (a sorted control
    // decides where the row ends up). Returns that index, or -1.
    virtual int InsertRow(const std::vector<std::string>& columns) = 0;

    // Inserts each row as InsertRow does, first to last. A control may hold
    // its painting until the last row is in.
    virtual void InsertRows(const std::vector<std::vector<std::string>>& rows)
    {
        for (const std::vector<std::string>& row : rows) {
            InsertRow(row);
        }
    }

    // Removes every row, then inserts `rows` as InsertRows does. A control
    // may hold its painting throughout, so it is never seen empty between.
    virtual void ReplaceAllRows(const std::vector<std::vector<std::string>>& rows)
    {
        DeleteAllRows();
        InsertRows(rows);
    }

    virtual int RowCount() const = 0;

    // The first selected row after row `after` (-1: from the top), in the
    // control's order; -1 when there is none.
    virtual int NextSelectedRow(int after) const = 0;

    // The control's own count of selected rows.
    virtual int SelectedRowCount() const = 0;

    // The text of `column` in `row`; empty when there is no such cell.
    virtual std::string CellText(int row, int column) const = 0;

    // Gives `row` the selected state; other rows keep theirs.
    virtual void SelectRow(int row) = 0;

    // Removes `row`; the rows below move up.
    virtual void DeleteRow(int row) = 0;
};

} // namespace gsd
