// The ListView port over a common-controls list view in report mode.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "download/Selection.h"
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

    // What a state-change notification of this list says about its row.
    RowStateChange ChangeOf(const NMLISTVIEW& notification) const;

    // Gives the first row the focus when no row has it, without selecting
    // it, so that a list entered from the keyboard shows where it stands.
    void FocusFirstRowWhenNone();

    // The list's answer to its custom-draw notification: while the list does
    // not have the focus, its selected rows are drawn in colours that stand
    // out from it.
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw) const;

    // Rescales the columns' present widths, which may have been dragged,
    // from one DPI to another.
    void RescaleColumns(int fromDpi, int toDpi);

private:
    // Marks the program's own work on the list for its life: the
    // notifications the list sends meanwhile are not the player's doing.
    class OwnChange {
    public:
        explicit OwnChange(int& depth) : depth_(depth) { ++depth_; }
        ~OwnChange() { --depth_; }
        OwnChange(const OwnChange&) = delete;
        OwnChange& operator=(const OwnChange&) = delete;

    private:
        int& depth_;
    };

    HWND control_;
    int ownChanges_ = 0;
};

} // namespace gsd
