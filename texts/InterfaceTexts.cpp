#include "texts/InterfaceTexts.h"

#include <array>
#include <string>
#include <vector>

#include "texts/ListColumns.h"
#include "engine/MediaKeys.h"
#include "engine/ReadingPass.h"
#include "engine/ResourceText.h"
#include "protocol/FieldList.h"
#include "res/resource.h"
#include "texts/LanguageIndex.h"

namespace gsd {

namespace {

// The "Done" button: the dialog's OK button.
constexpr int DoneButton = 1;

// Main-dialog texts 1 to 9 go to these controls, in this order; text 0 is
// the caption.
constexpr std::array<int, 9> ControlsOfTexts = {
    IDC_INTRODUCTION,
    IDC_LOCAL_GROUP,
    IDC_SERVER_GROUP,
    IDC_DOWNLOAD_SELECTIONS,
    IDC_DESCRIPTION_LABEL,
    IDC_DESCRIPTION,
    IDC_NEWS_GROUP,
    IDC_HELP_BUTTON,
    DoneButton,
};

std::string_view FieldOrEmpty(const std::vector<std::string_view>& fields, std::size_t index)
{
    return index < fields.size() ? fields[index] : std::string_view();
}

void ShowMainDialogTexts(MainWindow& window, std::string_view mainDialogText)
{
    const std::vector<std::string_view> fields = SplitFields(mainDialogText, FieldSeparator);
    window.SetCaption(FieldOrEmpty(fields, 0));
    for (std::size_t i = 0; i < ControlsOfTexts.size(); ++i) {
        window.SetControlText(ControlsOfTexts[i], FieldOrEmpty(fields, i + 1));
    }
    SetUpListColumns(window.LocalList(), LocalListColumns, fields, window.Dpi());
    SetUpListColumns(window.ServerList(), ServerListColumns, fields, window.Dpi());
}

} // namespace

void LoadInterfaceTexts(MediaEngine& engine, MainWindow& window, OptionsFile& options, MainDialogState& state)
{
    // Read afresh by every reader of the options file; nothing keeps it.
    const int languageIndex = ReadLanguageIndex(options);
    ReadingPass pass(engine, window);
    if (!pass) {
        return;
    }
    MediaReader& reader = pass.reader();
    ChooseInterfaceLanguage(reader, languageIndex);
    ShowMainDialogTexts(window, ReadText(reader, media_key::MainDialogTexts));
    state.InfoAndErrorTexts = ReadText(reader, media_key::InfoAndErrorTexts);
    state.OnDownloadTexts = ReadText(reader, media_key::OnDownloadTexts);
}

} // namespace gsd
