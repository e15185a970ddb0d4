#include "platform/Win32DesktopShell.h"

#include <windows.h>

#include <exdisp.h>
#include <oleauto.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "platform/GamePaths.h"
#include "platform/UniqueResource.h"

namespace gsd {
namespace {

template <typename Interface>
struct ComTraits {
    using type = Interface*;
    static type invalid() noexcept { return nullptr; }
    static void close(type value) noexcept { value->Release(); }
};

template <typename Interface>
using unique_com = UniqueResource<ComTraits<Interface>>;

struct BstrTraits {
    using type = BSTR;
    static type invalid() noexcept { return nullptr; }
    static void close(type value) noexcept { ::SysFreeString(value); }
};
using unique_bstr = UniqueResource<BstrTraits>;

// A VARIANT that holds a string it owns.
class StringVariant {
public:
    explicit StringVariant(const std::wstring& text)
    {
        ::VariantInit(&value_);
        value_.vt = VT_BSTR;
        value_.bstrVal = ::SysAllocString(text.c_str());
    }
    ~StringVariant() { ::VariantClear(&value_); }
    StringVariant(const StringVariant&) = delete;
    StringVariant& operator=(const StringVariant&) = delete;
    const VARIANT& get() const { return value_; }

private:
    VARIANT value_ {};
};

VARIANT IntegerVariant(LONG number)
{
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = number;
    return value;
}

template <typename Interface, typename From>
HRESULT Query(From* from, unique_com<Interface>& to)
{
    return from->QueryInterface(__uuidof(Interface), reinterpret_cast<void**>(to.put()));
}

DesktopStart Failed(const char* step, HRESULT result)
{
    return { false, step, static_cast<std::uint32_t>(result) };
}

} // namespace

DesktopStart StartFromDesktop(std::string_view program, std::string_view workingFolder)
{
    const WideGamePath file = GameFolderPath(program);
    const WideGamePath folder = GameFolderDirectory(workingFolder);
    if (!file.Problem.empty() || !folder.Problem.empty()) {
        return Failed("game folder path", E_INVALIDARG);
    }

    unique_com<IShellWindows> windows;
    HRESULT result = ::CoCreateInstance(
        CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows, reinterpret_cast<void**>(windows.put()));
    if (FAILED(result) || !windows) {
        return Failed("shell windows", result);
    }
    VARIANT desktop = IntegerVariant(CSIDL_DESKTOP);
    VARIANT noRoot;
    ::VariantInit(&noRoot);
    long desktopWindow = 0;
    unique_com<IDispatch> found;
    result = windows.get()->FindWindowSW(&desktop, &noRoot, SWC_DESKTOP, &desktopWindow, SWFO_NEEDDISPATCH, found.put());
    // S_FALSE: no desktop window is registered.
    if (result != S_OK || !found) {
        return Failed("desktop window", result == S_FALSE ? HRESULT_FROM_WIN32(ERROR_NOT_FOUND) : result);
    }
    unique_com<IServiceProvider> services;
    if (result = Query(found.get(), services); FAILED(result)) {
        return Failed("desktop services", result);
    }
    unique_com<IShellBrowser> browser;
    result = services.get()->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, reinterpret_cast<void**>(browser.put()));
    if (FAILED(result) || !browser) {
        return Failed("desktop browser", result);
    }
    unique_com<IShellView> view;
    if (result = browser.get()->QueryActiveShellView(view.put()); FAILED(result) || !view) {
        return Failed("desktop view", result);
    }
    unique_com<IDispatch> background;
    result = view.get()->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, reinterpret_cast<void**>(background.put()));
    if (FAILED(result) || !background) {
        return Failed("desktop background", result);
    }
    unique_com<IShellFolderViewDual> folderView;
    if (result = Query(background.get(), folderView); FAILED(result)) {
        return Failed("desktop folder view", result);
    }
    unique_com<IDispatch> application;
    if (result = folderView.get()->get_Application(application.put()); FAILED(result) || !application) {
        return Failed("desktop application", result);
    }
    unique_com<IShellDispatch2> shell;
    if (result = Query(application.get(), shell); FAILED(result)) {
        return Failed("desktop shell", result);
    }

    const unique_bstr fileName(::SysAllocString(file.Path.c_str()));
    const StringVariant noParameters(L"");
    const StringVariant workingDirectory(folder.Path);
    const StringVariant defaultVerb(L"");
    const VARIANT show = IntegerVariant(SW_SHOW);
    result = shell.get()->ShellExecute(fileName.get(), noParameters.get(), workingDirectory.get(), defaultVerb.get(), show);
    if (FAILED(result)) {
        return Failed("shell execute", result);
    }
    return { true, {}, 0 };
}

} // namespace gsd
