#include "platform/ReplyReadAhead.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace gsd {
namespace {

constexpr std::size_t RingSlots = 64;
// The other side is woken only once this many slots have changed (or the
// reply ended): waking costs a system call, a chunk is only 1 KB.
constexpr std::size_t WakeBatch = 16;
constexpr DWORD WaitSliceMs = 100;
constexpr DWORD JoinPatienceMs = 2000;

InternetError ReadFailure()
{
    const DWORD code = ::GetLastError();
    return code != 0 ? static_cast<InternetError>(code) : static_cast<InternetError>(ERROR_INTERNET_INTERNAL_ERROR);
}

class Lock {
public:
    explicit Lock(CRITICAL_SECTION& section) : section_(section) { ::EnterCriticalSection(&section_); }
    ~Lock() { ::LeaveCriticalSection(&section_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION& section_;
};

} // namespace

struct ReplyReadAhead::State {
    explicit State(HINTERNET handle)
        : request(handle)
        , dataReady(::CreateEventA(nullptr, FALSE, FALSE, nullptr))
        , spaceReady(::CreateEventA(nullptr, FALSE, FALSE, nullptr))
    {
        ::InitializeCriticalSection(&lock);
    }
    ~State() { ::DeleteCriticalSection(&lock); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    HINTERNET request;
    CRITICAL_SECTION lock {};
    unique_handle dataReady;
    unique_handle spaceReady;

    // Guarded by `lock`.
    std::size_t chunkSize = 0;
    std::array<std::vector<char>, RingSlots> slots;
    std::array<std::size_t, RingSlots> lengths {};
    std::size_t head = 0;
    std::size_t headOffset = 0;
    std::size_t count = 0;
    bool finished = false;
    InternetError error = NoInternetError;
    bool stop = false;
    bool readerWaiting = false;
    bool writerWaiting = false;
};

ReplyReadAhead::ReplyReadAhead(HINTERNET request)
    : state_(std::make_shared<State>(request))
{
    if (!state_->dataReady || !state_->spaceReady) {
        return;
    }
    auto* threadState = new std::shared_ptr<State>(state_);
    thread_.reset(::CreateThread(nullptr, 0, &ReplyReadAhead::ThreadMain, threadState, 0, nullptr));
    if (!thread_) {
        delete threadState;
    }
}

ReplyReadAhead::~ReplyReadAhead()
{
    Stop();
    Join();
}

DWORD WINAPI ReplyReadAhead::ThreadMain(void* parameter)
{
    const std::unique_ptr<std::shared_ptr<State>> owned(static_cast<std::shared_ptr<State>*>(parameter));
    State& state = **owned;
    for (;;) {
        std::size_t slot = 0;
        std::size_t size = 0;
        {
            Lock lock(state.lock);
            while ((state.count == RingSlots || state.chunkSize == 0) && !state.stop) {
                state.writerWaiting = true;
                ::LeaveCriticalSection(&state.lock);
                ::WaitForSingleObject(state.spaceReady.get(), WaitSliceMs);
                ::EnterCriticalSection(&state.lock);
            }
            if (state.stop) {
                return 0;
            }
            slot = (state.head + state.count) % RingSlots;
            size = state.chunkSize;
            state.slots[slot].resize(size);
        }
        // The slot past the last full one belongs to this thread alone.
        DWORD got = 0;
        const BOOL ok = ::InternetReadFile(state.request, state.slots[slot].data(), static_cast<DWORD>(size), &got);
        const InternetError error = ok ? NoInternetError : ReadFailure();
        bool wake = false;
        bool done = false;
        {
            Lock lock(state.lock);
            if (!ok || got == 0) {
                state.finished = true;
                state.error = error;
                done = true;
            } else {
                state.lengths[slot] = got;
                ++state.count;
            }
            wake = state.readerWaiting && (done || state.count >= WakeBatch);
            if (wake) {
                state.readerWaiting = false;
            }
        }
        if (wake) {
            ::SetEvent(state.dataReady.get());
        }
        if (done) {
            return 0;
        }
    }
}

InternetError ReplyReadAhead::Read(char* buffer, std::size_t capacity, std::size_t& received, ReadWaiter& waiter)
{
    received = 0;
    State& state = *state_;
    ::EnterCriticalSection(&state.lock);
    if (state.chunkSize == 0) {
        state.chunkSize = capacity;
        ::SetEvent(state.spaceReady.get());
    }
    while (state.count == 0 && !state.finished) {
        state.readerWaiting = true;
        ::LeaveCriticalSection(&state.lock);
        HANDLE ready = state.dataReady.get();
        const DWORD woke = ::MsgWaitForMultipleObjects(1, &ready, FALSE, WaitSliceMs, QS_ALLINPUT);
        ::EnterCriticalSection(&state.lock);
        if (state.count > 0 || state.finished) {
            break;
        }
        if (woke != WAIT_OBJECT_0) {
            ::LeaveCriticalSection(&state.lock);
            const bool keepWaiting = waiter.KeepWaiting();
            ::EnterCriticalSection(&state.lock);
            if (!keepWaiting) {
                state.stop = true;
                ::LeaveCriticalSection(&state.lock);
                ::SetEvent(state.spaceReady.get());
                return ReadGivenUp;
            }
        }
    }
    if (state.count == 0) {
        const InternetError error = state.error;
        ::LeaveCriticalSection(&state.lock);
        return error;
    }
    const std::size_t available = state.lengths[state.head] - state.headOffset;
    received = std::min(capacity, available);
    std::memcpy(buffer, state.slots[state.head].data() + state.headOffset, received);
    state.headOffset += received;
    bool wake = false;
    if (state.headOffset == state.lengths[state.head]) {
        state.head = (state.head + 1) % RingSlots;
        state.headOffset = 0;
        --state.count;
        wake = state.writerWaiting && state.count <= RingSlots - WakeBatch;
        if (wake) {
            state.writerWaiting = false;
        }
    }
    ::LeaveCriticalSection(&state.lock);
    if (wake) {
        ::SetEvent(state.spaceReady.get());
    }
    return NoInternetError;
}

void ReplyReadAhead::Stop()
{
    {
        Lock lock(state_->lock);
        state_->stop = true;
    }
    ::SetEvent(state_->spaceReady.get());
}

void ReplyReadAhead::Join()
{
    if (thread_ && ::WaitForSingleObject(thread_.get(), JoinPatienceMs) == WAIT_OBJECT_0) {
        thread_.reset();
        return;
    }
    // Still blocked: the thread holds its own share of the state.
    thread_.reset();
}

} // namespace gsd
