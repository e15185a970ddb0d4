// The ListView port over a common-controls list view in report mode.
#pragma once

#include <windows.h>

#include "app/ListView.h"

namespace gsd {

class Win32ListView final : public ListView {
public:
    explicit Win32ListView(HWND control) : control_(control) {}

    void SetFullRowSelect() override;
    void AddColumn(int index, std::string_view heading, int width) override;
    void DeleteAllRows() override;
    int InsertRow(const std::vector<std::string>& columns) override;
    int RowCount() const override;

    [[nodiscard]] HWND control() const noexcept { return control_; }

private:
    HWND control_;
};

} // namespace gsd
