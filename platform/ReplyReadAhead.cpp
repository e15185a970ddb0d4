#include "platform/ReplyReadAhead.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <vector>

#include "platform/MessageWait.h"
#include "platform/WorkerThread.h"

namespace gsd {
namespace {

constexpr std::size_t RingSlots = 256;
// The other side is woken only once this many slots have changed (or the
// reply ended): waking costs a round trip to the system (under Wine, to its
// server) for each side, while a chunk is only 1 KB. The window thread
// writes a chunk faster than the reading thread receives one, so it is
// woken when half the ring is ready, and the reading thread still has the
// other half to fill while the window thread wakes up. Every wait also ends
// by itself after a slice, so no wake-up can be lost for long.
constexpr std::size_t ReaderWakeBatch = RingSlots / 2;
constexpr std::size_t WriterWakeBatch = RingSlots / 4;
constexpr DWORD WaitSliceMs = 100;

} // namespace

// One writer (the thread) and one reader (the caller) share a ring of
// chunks without a lock: the writer alone advances `written`, the reader
// alone `taken`; a slot belongs to the writer while it is not between them.
struct ReplyReadAhead::State {
    explicit State(std::shared_ptr<const OpenedRequest> handles)
        : request(std::move(handles))
        , dataReady(::CreateEventA(nullptr, FALSE, FALSE, nullptr))
        , spaceReady(::CreateEventA(nullptr, FALSE, FALSE, nullptr))
    {
    }

    // Held by both sides, so it stays open while the thread may read.
    std::shared_ptr<const OpenedRequest> request;
    unique_handle dataReady;
    unique_handle spaceReady;
    std::array<std::vector<char>, RingSlots> slots;
    std::array<std::size_t, RingSlots> lengths {};
    // Set once by the first Read, before the thread reads anything.
    std::atomic<std::size_t> chunkSize { 0 };
    std::atomic<std::size_t> written { 0 };
    std::atomic<std::size_t> taken { 0 };
    // Set after the last chunk; `error` is written before it.
    std::atomic<bool> finished { false };
    InternetError error = NoInternetError;
    std::atomic<bool> stop { false };
    std::atomic<bool> readerWaiting { false };
    std::atomic<bool> writerWaiting { false };
};

ReplyReadAhead::ReplyReadAhead(std::shared_ptr<const OpenedRequest> request)
    : state_(std::make_shared<State>(std::move(request)))
{
    if (!state_->dataReady || !state_->spaceReady) {
        return;
    }
    thread_ = StartWorkerThread([state = state_] {
        try {
            ReadAhead(*state);
        } catch (...) {
            // The reader is told the reply failed rather than left waiting.
            state->error = ERROR_INTERNET_INTERNAL_ERROR;
            state->finished.store(true, std::memory_order_release);
            ::SetEvent(state->dataReady.get());
            throw;
        }
    });
}

ReplyReadAhead::~ReplyReadAhead()
{
    // Not waited for: a thread blocked in a read ends with that read and
    // then lets go of the request, closing it if it is the last owner.
    Stop();
}

void ReplyReadAhead::ReadAhead(State& state)
{
    while (state.chunkSize.load(std::memory_order_acquire) == 0 && !state.stop.load()) {
        ::WaitForSingleObject(state.spaceReady.get(), WaitSliceMs);
    }
    const std::size_t size = state.chunkSize.load(std::memory_order_acquire);
    for (;;) {
        const std::size_t written = state.written.load(std::memory_order_relaxed);
        while (written - state.taken.load(std::memory_order_acquire) == RingSlots && !state.stop.load()) {
            state.writerWaiting.store(true);
            if (written - state.taken.load(std::memory_order_acquire) == RingSlots) {
                ::WaitForSingleObject(state.spaceReady.get(), WaitSliceMs);
            }
            state.writerWaiting.store(false);
        }
        if (state.stop.load()) {
            return;
        }
        const std::size_t slot = written % RingSlots;
        std::vector<char>& buffer = state.slots[slot];
        buffer.resize(size);
        DWORD got = 0;
        // The thread's own share keeps the handle open through the read,
        // however the caller gives up meanwhile.
        const BOOL ok = ::InternetReadFile(state.request->request.get(), buffer.data(), static_cast<DWORD>(size), &got);
        const bool done = !ok || got == 0;
        if (done) {
            state.error = ok ? NoInternetError : LastInternetError();
            state.finished.store(true, std::memory_order_release);
        } else {
            state.lengths[slot] = got;
            state.written.store(written + 1, std::memory_order_release);
        }
        const std::size_t ready = written + (done ? 0 : 1) - state.taken.load(std::memory_order_acquire);
        if ((done || ready >= ReaderWakeBatch) && state.readerWaiting.exchange(false)) {
            ::SetEvent(state.dataReady.get());
        }
        if (done) {
            return;
        }
    }
}

InternetError ReplyReadAhead::Read(char* buffer, std::size_t capacity, std::size_t& received, ServerWaiter& waiter)
{
    received = 0;
    State& state = *state_;
    if (state.chunkSize.load(std::memory_order_relaxed) == 0) {
        state.chunkSize.store(capacity, std::memory_order_release);
        ::SetEvent(state.spaceReady.get());
    }
    const std::size_t taken = state.taken.load(std::memory_order_relaxed);
    for (;;) {
        if (state.written.load(std::memory_order_acquire) != taken) {
            break;
        }
        if (state.finished.load(std::memory_order_acquire)) {
            // Chunks published before the end are all taken by now.
            if (state.written.load(std::memory_order_acquire) != taken) {
                break;
            }
            return state.error;
        }
        state.readerWaiting.store(true);
        const HANDLE ready = state.dataReady.get();
        bool givenUp = false;
        // The thread publishes a chunk without a wake-up until a batch is
        // ready: each wake of the wait looks whether one has come.
        const auto nothingYet
            = [&] { return state.written.load(std::memory_order_acquire) == taken && !state.finished.load(); };
        if (nothingYet()) {
            WaitHandlingMessages({ &ready, 1 }, nullptr, INFINITE, [&] {
                givenUp = nothingYet() && !waiter.KeepWaiting();
                return nothingYet() && !givenUp;
            });
        }
        state.readerWaiting.store(false);
        if (givenUp) {
            state.stop.store(true);
            ::SetEvent(state.spaceReady.get());
            return WaitGivenUp;
        }
    }
    const std::size_t slot = taken % RingSlots;
    const std::size_t length = state.lengths[slot];
    received = std::min(capacity, length - offset_);
    std::memcpy(buffer, state.slots[slot].data() + offset_, received);
    offset_ += received;
    if (offset_ == length) {
        offset_ = 0;
        state.taken.store(taken + 1, std::memory_order_release);
        const std::size_t free = RingSlots - (state.written.load(std::memory_order_acquire) - (taken + 1));
        if (free >= WriterWakeBatch && state.writerWaiting.exchange(false)) {
            ::SetEvent(state.spaceReady.get());
        }
    }
    return NoInternetError;
}

void ReplyReadAhead::Stop()
{
    state_->stop.store(true);
    ::SetEvent(state_->spaceReady.get());
}

} // namespace gsd
