// A main window that records what the core asked of it, in order.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "ports/MainWindow.h"
#include "fakes/FakeListView.h"

namespace gsd::testing {

class FakeMainWindow : public MainWindow {
public:
    // Every call goes into `journal` as one line: "message <caption>: <text>"
    // (a file message's path after CR LF),
    // "post close", "send close", "repaint", "gather repaints", "paint
    // gathered".
    explicit FakeMainWindow(std::vector<std::string>& journal) : calls(journal) {}

    std::vector<std::string>& calls;
    MessageAnswer answer = MessageAnswer::Ok;
    // Answers of the Yes/No boxes, in order; `answer` once they run out.
    std::deque<MessageAnswer> yesNoAnswers;

    MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageButtons buttons) override
    {
        calls.push_back("message " + std::string(caption) + ": " + std::string(text));
        if (buttons == MessageButtons::YesNo && !yesNoAnswers.empty()) {
            const MessageAnswer next = yesNoAnswers.front();
            yesNoAnswers.pop_front();
            return next;
        }
        return answer;
    }
    MessageAnswer ShowFileMessage(
        std::string_view text, std::string_view path, std::string_view caption, MessageButtons buttons) override
    {
        return ShowMessage(path.empty() ? std::string(text) : std::string(text) + "\r\n" + std::string(path),
            caption, buttons);
    }
    void PostClose() override { calls.emplace_back("post close"); }
    void SendClose() override { calls.emplace_back("send close"); }
    void Repaint() override { calls.emplace_back("repaint"); }
    void GatherRepaints() override { calls.emplace_back("gather repaints"); }
    void PaintGathered() override { calls.emplace_back("paint gathered"); }
    void SetCaption(std::string_view text) override { caption = std::string(text); }
    void SetControlText(int controlId, std::string_view text) override { texts[controlId] = std::string(text); }
    void EnableControl(int controlId, bool enabled) override { enabledControls[controlId] = enabled; }
    void EndDialog(int result) override { calls.push_back("end dialog " + std::to_string(result)); }
    void SetBusy(bool isBusy) override
    {
        busy = isBusy;
        calls.emplace_back(isBusy ? "busy" : "not busy");
    }
    int Dpi() const override { return dpi; }
    ListView& LocalList() override { return localList; }
    ListView& ServerList() override { return serverList; }

    std::string caption;
    std::map<int, std::string> texts;
    std::map<int, bool> enabledControls;
    bool busy = false;
    int dpi = 96;
    FakeListView localList{false};
    FakeListView serverList{true};
};

} // namespace gsd::testing
