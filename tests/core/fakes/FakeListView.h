// A list view that keeps its rows as texts, ordered as the real control
// would keep them: insertion at the top, or sorted by column 0 when sorted.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "app/ListView.h"

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

private:
    bool sorted_;
};

} // namespace gsd::testing
