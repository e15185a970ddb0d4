// The download's fixed English texts and the on-download texts it shows.
#pragma once

#include <string>
#include <string_view>

#include "ports/GameFiles.h"

namespace gsd {

inline constexpr std::string_view NoticeCaption = "Notice";

// Fields of the on-download texts used around a download.
namespace on_download {
inline constexpr int NothingSelected = 10;
inline constexpr int ConfirmDownload = 7;
inline constexpr int UpgradeFirst = 8;
inline constexpr int UpgradeDeclined = 9;
inline constexpr int ItemFailed = 11;
inline constexpr int AllProcessed = 12;
inline constexpr int SomeItemsFailed = 13;
inline constexpr int StartGame = 14;
inline constexpr int Receiving = 15;
inline constexpr int Received = 16;
inline constexpr int NotInDownloadList = 17;
} // namespace on_download

// Longest system description of a file error shown, in bytes.
inline constexpr std::size_t FileErrorDescriptionLimit = 255;

// The text of a file error's box: the system's description cut to 255
// bytes, or "Error Code:" and the code when there is none. The box shows
// the file (its path) on a line of its own after it: MainWindow's
// ShowFileMessage.
std::string FileFailureText(const FileFailure& failure);

// The text of a failed move of the received file to `to` (relative to the
// game folder): FileFailureText, and, when another program held a file
// past every retry, `to` on a line of its own, since the file held may be
// the one the move replaces rather than the one it moves.
std::string MoveFailureText(const FileFailure& failure, std::string_view to);

// Field `index` of the "|"-separated on-download texts.
std::string OnDownloadText(std::string_view onDownloadTexts, int index);

} // namespace gsd
