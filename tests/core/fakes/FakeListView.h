// A list view that keeps its rows as texts, ordered as the real control
// would keep them: insertion at the top, or sorted by column 0 when sorted.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "ports/ListView.h"

namespace gsd::testing {

class FakeListView : public ListView {
public:
    explicit FakeListView(bool sorted = false) : sorted_(sorted) {}

    struct Column {
        int index;
        std::string heading;
        int width;
        bool operator==(const Column&) const = default;
    };

    bool fullRowSelect = false;
    std::vector<Column> columns;
    std::vector<std::vector<std::string>> rows;

    void SetFullRowSelect() override { fullRowSelect = true; }
    void AddColumn(int index, std::string_view heading, int width) override
    {
        columns.push_back({index, std::string(heading), width});
    }
    void DeleteAllRows() override { rows.clear(); }
    int InsertRow(const std::vector<std::string>& texts) override
    {
        auto at = rows.begin();
        if (sorted_) {
            // Like the control: after every row whose first text sorts lower.
            const std::string key = texts.empty() ? std::string() : texts.front();
            at = std::find_if(rows.begin(), rows.end(), [&](const auto& row) { return key <= row.front(); });
        }
        std::vector<std::string> row = texts;
        if (row.empty()) {
            row.emplace_back();
        }
        return static_cast<int>(rows.insert(at, row) - rows.begin());
    }
    int RowCount() const override { return static_cast<int>(rows.size()); }
    int NextSelectedRow(int after) const override
    {
        for (int row = std::max(after + 1, 0); row < RowCount(); ++row) {
            if (IsSelected(row)) {
                return row;
            }
        }
        return -1;
    }
    int SelectedRowCount() const override
    {
        return static_cast<int>(std::count_if(selected.begin(), selected.end(), [this](int row) { return row < RowCount(); }));
    }
    std::string CellText(int row, int column) const override
    {
        if (row < 0 || row >= RowCount() || column < 0 || column >= static_cast<int>(rows[row].size())) {
            return {};
        }
        return rows[row][column];
    }
    void SelectRow(int row) override
    {
        if (row >= 0 && row < RowCount() && !IsSelected(row)) {
            selected.push_back(row);
        }
    }
    void DeleteRow(int row) override
    {
        if (row < 0 || row >= RowCount()) {
            return;
        }
        rows.erase(rows.begin() + row);
        // Selection follows the rows, as in the control.
        std::vector<int> kept;
        for (int index : selected) {
            if (index != row) {
                kept.push_back(index > row ? index - 1 : index);
            }
        }
        selected = kept;
    }

    bool IsSelected(int row) const { return std::find(selected.begin(), selected.end(), row) != selected.end(); }

    // Row indexes in the selected state.
    std::vector<int> selected;

private:
    bool sorted_;
};

} // namespace gsd::testing
