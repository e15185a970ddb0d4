// Reads a WinINet reply on a thread of its own, a bounded number of chunks
// ahead of the caller, so that the caller's thread (the program's only
// window thread) can handle window messages, and give up, while the server
// is slow or silent. Every chunk is read with one InternetReadFile of the
// caller's chunk size; at most 64 of them wait at a time.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstddef>
#include <memory>

#include "platform/Handles.h"
#include "ports/HttpClient.h"

namespace gsd {

class ReplyReadAhead {
public:
    // Reads from `request`, which must stay open until Stop has returned.
    explicit ReplyReadAhead(HINTERNET request);
    ~ReplyReadAhead();
    ReplyReadAhead(const ReplyReadAhead&) = delete;
    ReplyReadAhead& operator=(const ReplyReadAhead&) = delete;

    // False when the thread could not be started.
    explicit operator bool() const noexcept { return static_cast<bool>(thread_); }

    // Hands out the next bytes, up to `capacity`; 0 bytes at the end of the
    // reply. While none are at hand it waits for them and for window
    // messages, calling `waiter` at least ten times a second.
    InternetError Read(char* buffer, std::size_t capacity, std::size_t& received, ReadWaiter& waiter);

    // Tells the thread to stop reading. The caller then closes the request
    // handle, which ends a read the server keeps waiting, and calls Join.
    void Stop();

    // Waits a little for the thread to end. A thread still blocked after
    // that is left to end by itself: what it uses stays alive until then.
    void Join();

private:
    struct State;
    static DWORD WINAPI ThreadMain(void* parameter);

    std::shared_ptr<State> state_;
    unique_handle thread_;
    // How much of the oldest chunk the caller has taken (the caller's alone).
    std::size_t offset_ = 0;
};

} // namespace gsd
