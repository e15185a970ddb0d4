// A main window for the benchmarks: its lists only count what they are
// given, and a message box would mean a broken set-up, so it throws.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "ports/MainWindow.h"

namespace gsd::bench {

class CountingListView final : public ListView {
public:
    std::size_t rows = 0;
    std::size_t bytes = 0;
    void SetFullRowSelect() override { }
    void AddColumn(int, std::string_view, int) override { }
    void DeleteAllRows() override { rows = 0; }
    int InsertRow(const std::vector<std::string>& columns) override
    {
        for (const std::string& column : columns) {
            bytes += column.size();
        }
        return static_cast<int>(rows++);
    }
    int RowCount() const override { return static_cast<int>(rows); }
    int NextSelectedRow(int) const override { return -1; }
    int SelectedRowCount() const override { return 0; }
    std::string CellText(int, int) const override { return {}; }
    void SelectRow(int) override { }
    void DeleteRow(int) override
    {
        if (rows > 0) {
            --rows;
        }
    }
};

class SilentWindow final : public MainWindow {
public:
    CountingListView list;
    MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageButtons) override
    {
        throw std::runtime_error("unexpected message " + std::string(caption) + ": " + std::string(text));
    }
    MessageAnswer ShowFileMessage(
        std::string_view text, std::string_view path, std::string_view caption, MessageButtons buttons) override
    {
        return ShowMessage(std::string(text) + " " + std::string(path), caption, buttons);
    }
    void PostClose() override { }
    void SendClose() override { }
    void Repaint() override { }
    void GatherRepaints() override { }
    void PaintGathered() override { }
    void SetCaption(std::string_view) override { }
    void SetControlText(int, std::string_view) override { }
    void EnableControl(int, bool) override { }
    void EndDialog(int) override { }
    void SetBusy(bool) override { }
    int Dpi() const override { return 96; }
    ListView& LocalList() override { return list; }
    ListView& ServerList() override { return list; }
};

} // namespace gsd::bench
