// The ListView port over a common-controls list view in report mode.
#pragma once

#include <windows.h>

#include "ports/ListView.h"

namespace gsd {

class Win32ListView final : public ListView {
public:
    explicit Win32ListView(HWND control) : control_(control) {}

    void SetFullRowSelect() override;
    void AddColumn(int index, std::string_view heading, int width) override;
    void DeleteAllRows() override;
    int InsertRow(const std::vector<std::string>& columns) override;
    void InsertRows(const std::vector<std::vector<std::string>>& rows) override;
    void ReplaceAllRows(const std::vector<std::vector<std::string>>& rows) override;
    int RowCount() const override;
    int NextSelectedRow(int after) const override;
    int SelectedRowCount() const override;
    std::string CellText(int row, int column) const override;
    void SelectRow(int row) override;
    void DeleteRow(int row) override;

private:
    HWND control_;
};

} // namespace gsd
