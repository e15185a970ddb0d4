// Where the bytes of a file reply go: the temporary file, held from its
// creation and written chunk by chunk as they arrive, with the running
// count in the status dialog.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ports/GameFiles.h"
#include "ports/MainWindow.h"
#include "ports/MonotonicClock.h"
#include "ports/StatusDialog.h"
#include "protocol/ServerExchange.h"
#include "shell/DeadlineTimer.h"

namespace gsd {

// The status dialog's second line while a file arrives; the running count
// follows it.
inline constexpr std::string_view TransferWaitText
    = "This may take up to 30 minutes depending on your connection speed and server availability.";
inline constexpr std::string_view TransferCountText = " Total KBytes Transfered = ";
// The running count is rebuilt at most this often, and once at the end.
inline constexpr std::int32_t ProgressIntervalMilliseconds = 100;
// Free space a transfer leaves on the game's drive besides the file itself,
// so that the player's drive is never filled to the last byte.
inline constexpr std::uint64_t FreeSpaceMarginBytes = 4 * 1024 * 1024;

// The second line with the count of `total` bytes, in whole thousands.
std::string TransferProgressText(std::uint64_t total);

// Why a file of `needed` bytes (its length and the margin) is not fetched
// onto a drive with `free` bytes left.
std::string NotEnoughSpaceText(std::string_view fileName, std::uint64_t needed, std::uint64_t free);

// What a transfer received: its file, still held, and the SHA-256 of the
// bytes written to it, which is what the file must still hold when it is
// checked.
struct ReceivedFile {
    std::unique_ptr<HeldFile> file;
    FileDigest digest {};
};

class TransferSink final : public ReplySink {
public:
    // `status` may be null; every reference must outlive the sink.
    // `fileName` names the item in messages.
    TransferSink(GameFiles& files, MainWindow& window, const MonotonicClock& clock, StatusDialog* status,
        std::string_view onDownloadTexts, std::string_view fileName);

    // Lets go of (and so deletes) the file of an earlier attempt, then
    // empties (or creates) "Temp\Download.tmp" and holds it; false after
    // reporting a file error ("Error!"), so the attempt does not connect.
    bool BeginAttempt() override;
    // The receiving texts, and the progress bar when a length is announced.
    // False after reporting ("Error!") that an announced length and the
    // margin do not fit in the free space of the drive that holds "Temp":
    // nothing is read then.
    bool ReplyOpened(const ReplyHead& head) override;
    // Writes the chunk; false after reporting a file error, or (when no
    // length was announced) that the file would leave less than the margin
    // free on the drive.
    bool Accept(std::string_view chunk, std::uint64_t total) override;
    // Finishes the file (writes out and flushes it; a failure is a file
    // error, and the file is deleted) and shows the final count.
    void EndAttempt() override;

    // The latest attempt's file and digest, handed over once: a null file
    // when the attempt made none or it failed. A file the sink still has
    // when it goes is deleted.
    [[nodiscard]] ReceivedFile TakeReceived();

    // The bytes received in the latest attempt.
    [[nodiscard]] std::uint64_t Received() const { return total_; }
    // Whether everything received in the attempt is in the file.
    [[nodiscard]] bool FileComplete() const { return !fileFailed_; }
    // The attempt's first bytes as text, up to the first NUL: the server's
    // error number when the reply is that short.
    [[nodiscard]] std::string ShortReplyText() const;

private:
    void ReportFileFailure(const FileFailure& failure);
    void ShowProgress(std::uint64_t total);

    GameFiles& files_;
    MainWindow& window_;
    StatusDialog* status_;
    std::string_view onDownloadTexts_;
    std::string_view fileName_;
    DeadlineTimer progressTimer_;
    std::unique_ptr<HeldFile> file_;
    bool fileFailed_ = false;
    bool replyOpen_ = false;
    std::optional<std::uint64_t> length_;
    // Without an announced length: the drive's free space before the file.
    std::optional<std::uint64_t> freeWithoutLength_;
    std::uint64_t total_ = 0;
    std::uint64_t shownTotal_ = 0;
    std::string head_;
};

} // namespace gsd
