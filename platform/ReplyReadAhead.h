// Reads a WinINet reply on a thread of its own, a bounded number of chunks
// ahead of the caller, so that the caller's thread (the program's only
// window thread) can handle window messages, and give up, while the server
// is slow or silent. Every chunk is read with one InternetReadFile of the
// caller's chunk size; at most 256 of them wait at a time.
//
// The thread shares the ownership of the request's handles. Giving the
// reading up never closes them under it: a read the thread has begun runs
// on an open handle until the server sends, closes or WinINet's receive
// timeout ends it; the thread then reads no more and lets go of the
// handles, and whoever lets go last closes them.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstddef>
#include <memory>

#include "platform/Handles.h"
#include "platform/WinInetHandles.h"
#include "ports/HttpClient.h"

namespace gsd {

class ReplyReadAhead {
public:
    // Reads from `request`, keeping it open as long as the thread runs.
    explicit ReplyReadAhead(std::shared_ptr<const OpenedRequest> request);
    ~ReplyReadAhead();
    ReplyReadAhead(const ReplyReadAhead&) = delete;
    ReplyReadAhead& operator=(const ReplyReadAhead&) = delete;

    // False when the thread could not be started.
    explicit operator bool() const noexcept { return static_cast<bool>(thread_); }

    // Hands out the next bytes, up to `capacity`; 0 bytes at the end of the
    // reply. While none are at hand it waits for them and for window
    // messages, calling `waiter` at least ten times a second.
    InternetError Read(char* buffer, std::size_t capacity, std::size_t& received, ServerWaiter& waiter);

private:
    struct State;
    static void ReadAhead(State& state);
    void Stop();

    std::shared_ptr<State> state_;
    unique_handle thread_;
    // How much of the oldest chunk the caller has taken (the caller's alone).
    std::size_t offset_ = 0;
};

} // namespace gsd
