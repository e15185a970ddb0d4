// The connection dialog (template 129): asks, after the server could not be
// reached, whether to try again. Its text and both button texts come from
// the language file.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/Dialog.h"

namespace gsd {

class ConnectionDialog final : public Dialog {
public:
    ConnectionDialog(std::string_view text, std::string_view okText, std::string_view cancelText);

    // Runs the dialog modally, owned by `owner`; true when the user pressed
    // OK, false for Cancel, closing, or a dialog that could not be made.
    bool AskRetry(HINSTANCE instance, HWND owner);

private:
    bool OnInit() override;

    std::string text_;
    std::string okText_;
    std::string cancelText_;
};

} // namespace gsd
