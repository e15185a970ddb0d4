// A main window that records what the core asked of it, in order.
#pragma once

#include <string>
#include <vector>

#include "app/MainWindow.h"

namespace gsd::testing {

class FakeMainWindow : public MainWindow {
public:
    // Every call goes into `journal` as one line: "message <caption>: <text>",
    // "post close", "send close", "repaint".
    explicit FakeMainWindow(std::vector<std::string>& journal) : calls(journal) {}

    std::vector<std::string>& calls;
    MessageAnswer answer = MessageAnswer::Ok;

    MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageButtons) override
    {
        calls.push_back("message " + std::string(caption) + ": " + std::string(text));
        return answer;
    }
    void PostClose() override { calls.emplace_back("post close"); }
    void SendClose() override { calls.emplace_back("send close"); }
    void Repaint() override { calls.emplace_back("repaint"); }
};

} // namespace gsd::testing
