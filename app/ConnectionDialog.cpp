#include "app/ConnectionDialog.h"

#include "app/StartupStatusDialog.h"
#include "resource.h"

namespace gsd {

ConnectionDialog::ConnectionDialog(std::string_view text, std::string_view okText, std::string_view cancelText)
    : text_(text)
    , okText_(okText)
    , cancelText_(cancelText)
{
}

bool ConnectionDialog::AskRetry(HINSTANCE instance, HWND owner)
{
    return RunModal(instance, IDD_CONNECTION_DIALOG, owner) == IDOK;
}

bool ConnectionDialog::OnInit()
{
    ::SetDlgItemTextA(window(), IDC_CONNECTION_TEXT, text_.c_str());
    ::SetDlgItemTextA(window(), IDOK, okText_.c_str());
    ::SetDlgItemTextA(window(), IDCANCEL, cancelText_.c_str());
    PlaceStartupDialog(window());
    return true;
}

} // namespace gsd
