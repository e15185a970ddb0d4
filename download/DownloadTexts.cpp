#include "download/DownloadTexts.h"

#include "download/HeldFileRetry.h"
#include "protocol/FieldList.h"

namespace gsd {

std::string OnDownloadText(std::string_view onDownloadTexts, int index)
{
    return GetField(onDownloadTexts, index, FieldSeparator);
}

std::string FileFailureText(const FileFailure& failure)
{
    return failure.description.empty() ? "Error Code:" + std::to_string(failure.code)
                                       : failure.description.substr(0, FileErrorDescriptionLimit);
}

std::string MoveFailureText(const FileFailure& failure, std::string_view to)
{
    std::string text = FileFailureText(failure);
    if (IsHeldFileError(failure.code)) {
        text += "\r\n" + std::string(to);
    }
    return text;
}

} // namespace gsd
