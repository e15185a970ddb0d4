// The shared dialog procedure under Wine: a handler that throws is reported
// to the user in a message box, and the dialog lives on.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "driver/window_search.h"
#include "platform/Dialog.h"

namespace gsd {
namespace {

// The template of dialog_test.rc.
constexpr int TestDialogTemplate = 4700;
constexpr int ThrowingCommand = 4711;

class ThrowingDialog final : public Dialog {
public:
    explicit ThrowingDialog(bool standardException)
        : standardException_(standardException)
    {
    }

protected:
    bool OnCommand(int id, int, HWND) override
    {
        if (id != ThrowingCommand) {
            return false;
        }
        if (standardException_) {
            throw std::runtime_error("the handler broke");
        }
        throw 42;
    }

private:
    bool standardException_;
};

TEST(DialogProcedureOnWine, AnExceptionInAHandlerIsReportedAndTheDialogLivesOn)
{
    struct Case {
        const char* name;
        bool standardException;
        std::string text;
    };
    const Case cases[] = {
        { "standard exception", true, "An unexpected error occurred: the handler broke" },
        { "anything else", false, "An unexpected error occurred: unknown failure" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ThrowingDialog dialog(c.standardException);
        HWND window = dialog.CreateModeless(::GetModuleHandleA(nullptr), TestDialogTemplate, nullptr);
        ASSERT_NE(window, nullptr);

        // The box is modal inside the handler's call: read and close it from
        // another thread, as a user would.
        std::optional<e2e::MessageBoxInfo> box;
        bool pressed = false;
        std::thread user([&] {
            box = e2e::FindMessageBox(::GetCurrentProcessId());
            pressed = box && e2e::Press(*box, IDOK);
        });
        const LRESULT result = ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(ThrowingCommand, 0), 0);
        user.join();

        ASSERT_TRUE(box);
        EXPECT_EQ(box->caption, "Error!");
        EXPECT_EQ(box->text, c.text);
        EXPECT_TRUE(pressed);
        EXPECT_EQ(result, FALSE);
        EXPECT_TRUE(::IsWindow(window));
        ::DestroyWindow(window);
    }
}

} // namespace
} // namespace gsd
