#include "download/TransferSink.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "download/DownloadTexts.h"
#include "download/InstallDownloadedFile.h"
#include "shell/FixedTexts.h"

namespace gsd {
namespace {

// Bytes kept of a reply's start: one more than the longest error number.
constexpr std::size_t KeptHeadBytes = 4;

// Kilobytes as the progress counts them, rounded up or down.
std::string KilobytesUp(std::uint64_t bytes)
{
    return std::to_string(bytes / 1000 + (bytes % 1000 != 0 ? 1 : 0)) + " KB";
}

std::string KilobytesDown(std::uint64_t bytes)
{
    return std::to_string(bytes / 1000) + " KB";
}

} // namespace

std::string TransferProgressText(std::uint64_t total)
{
    return std::string(TransferWaitText).append(TransferCountText).append(std::to_string(total / 1000));
}

std::string NotEnoughSpaceText(std::string_view fileName, std::uint64_t needed, std::uint64_t free)
{
    return "There is not enough free space on the game's drive for \"" + std::string(fileName) + "\": it needs "
        + KilobytesUp(needed) + " and " + KilobytesDown(free) + " are free.  Nothing was downloaded.";
}

TransferSink::TransferSink(GameFiles& files, MainWindow& window, const MonotonicClock& clock, StatusDialog* status,
    std::string_view onDownloadTexts, std::string_view fileName)
    : files_(files)
    , window_(window)
    , status_(status)
    , onDownloadTexts_(onDownloadTexts)
    , fileName_(fileName)
    , progressTimer_(clock)
{
}

bool TransferSink::BeginAttempt()
{
    fileFailed_ = false;
    replyOpen_ = false;
    length_.reset();
    total_ = 0;
    shownTotal_ = 0;
    head_.clear();
    file_.reset();
    FileFailure failure;
    file_ = files_.CreateEmpty(TemporaryFilePath, failure);
    if (!file_) {
        ReportFileFailure(failure);
        return false;
    }
    return true;
}

bool TransferSink::ReplyOpened(const ReplyHead& head)
{
    if (head.contentLength) {
        const std::uint64_t needed = *head.contentLength + std::min(FreeSpaceMarginBytes, UINT64_MAX - *head.contentLength);
        const std::optional<std::uint64_t> free = files_.FreeBytes(InstallerFolder);
        if (free && *free < needed) {
            window_.ShowMessage(NotEnoughSpaceText(fileName_, needed, *free), fixed_text::ErrorCaption, MessageButtons::Ok);
            return false;
        }
    }
    replyOpen_ = true;
    // Without a length the file is written only as long as it leaves the
    // margin free, as far as the drive's free space can be told.
    freeWithoutLength_.reset();
    if (!head.contentLength) {
        freeWithoutLength_ = files_.FreeBytes(InstallerFolder);
    }
    if (head.contentLength && *head.contentLength > 0) {
        length_ = head.contentLength;
    }
    if (status_ != nullptr) {
        status_->SetStatusLine(OnDownloadText(onDownloadTexts_, on_download::Receiving));
        status_->SetDetailLines(TransferWaitText, true);
        status_->SetProgress(length_ ? 0.0 : -1.0);
    }
    // Expired, so the first chunk is counted at once.
    progressTimer_.Set(0);
    return true;
}

bool TransferSink::Accept(std::string_view chunk, std::uint64_t total)
{
    if (freeWithoutLength_ && total > *freeWithoutLength_ - std::min(*freeWithoutLength_, FreeSpaceMarginBytes)) {
        window_.ShowMessage(NotEnoughSpaceText(fileName_, total + FreeSpaceMarginBytes, *freeWithoutLength_),
            fixed_text::ErrorCaption, MessageButtons::Ok);
        return false;
    }
    if (head_.size() < KeptHeadBytes) {
        head_.append(chunk.substr(0, KeptHeadBytes - head_.size()));
    }
    if (const std::optional<FileFailure> failure = file_->Write(chunk)) {
        ReportFileFailure(*failure);
        return false;
    }
    total_ = total;
    if (progressTimer_.Expired()) {
        ShowProgress(total);
        progressTimer_.Set(ProgressIntervalMilliseconds);
    }
    return true;
}

void TransferSink::EndAttempt()
{
    if (file_) {
        if (const std::optional<FileFailure> failure = file_->Finish()) {
            file_.reset();
            if (!fileFailed_) {
                ReportFileFailure(*failure);
            }
        }
    }
    if (replyOpen_ && total_ != shownTotal_) {
        ShowProgress(total_);
    }
}

ReceivedFile TransferSink::TakeReceived()
{
    if (!file_ || fileFailed_) {
        return {};
    }
    const FileDigest digest = file_->WrittenDigest();
    return { std::move(file_), digest };
}

std::string TransferSink::ShortReplyText() const
{
    return head_.substr(0, std::min(head_.find('\0'), head_.size()));
}

void TransferSink::ReportFileFailure(const FileFailure& failure)
{
    fileFailed_ = true;
    window_.ShowFileMessage(FileFailureText(failure), failure.path, fixed_text::ErrorCaption, MessageButtons::Ok);
}

void TransferSink::ShowProgress(std::uint64_t total)
{
    shownTotal_ = total;
    if (status_ == nullptr) {
        return;
    }
    // No repaint: the dialog paints when its messages are handled, and a
    // repaint per chunk would cost more than the chunk.
    status_->SetDetailLines(TransferProgressText(total), false);
    if (length_) {
        status_->SetProgress(std::min(1.0, static_cast<double>(total) / static_cast<double>(*length_)));
    }
}

} // namespace gsd
