// The MainWindow port over a real dialog window.
#pragma once

#include <windows.h>

#include "app/MainWindow.h"

namespace gsd {

class Win32MainWindow final : public MainWindow {
public:
    explicit Win32MainWindow(HWND window) : window_(window) {}

    MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageButtons buttons) override;
    void PostClose() override;
    void SendClose() override;
    void Repaint() override;

private:
    HWND window_;
};

} // namespace gsd
