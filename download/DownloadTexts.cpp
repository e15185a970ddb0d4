#include "download/DownloadTexts.h"

#include "protocol/FieldList.h"

namespace gsd {

std::string OnDownloadText(std::string_view onDownloadTexts, int index)
{
    return GetField(onDownloadTexts, index, FieldSeparator);
}

std::string FileFailureText(const FileFailure& failure)
{
    std::string text = failure.description.empty() ? "Error Code:" + std::to_string(failure.code)
                                                   : failure.description.substr(0, FileErrorDescriptionLimit);
    if (!failure.path.empty()) {
        text.append("\r\n").append(failure.path);
    }
    return text;
}

} // namespace gsd
