#include "modes/workers.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <new>
#include <thread>

#include "app/art_state.h"

namespace {
using Clock = std::chrono::steady_clock;

// How long a waiting thread keeps looking before it gives the processor away: a
// helper between two calls of one picture, the caller for the last pieces. Long enough
// to bridge the serial gap between the row loops of one picture, short enough that a
// machine busy with other work loses little to it.
constexpr auto kSpinTime = std::chrono::microseconds(50);
// Within the spin, how many pause instructions between two looks at the clock.
constexpr int kPausesPerClockRead = 16;

// Pieces per call are counted in 16 bits.
constexpr int kMostPieces = 0xFFFF;

// The call in progress. `claim` packs the call's number (24 bits), how many helpers
// take part (8), how many pieces there are (16) and the next unclaimed piece (16), so a
// helper that wakes late can never take a piece of a later call, or of a call it is not
// part of, for one of the call it woke for. A successful claim proves the call is still
// open, since the caller waits for every claimed piece: the plain fields below are only
// read after one, and only written while no call is open.
struct Call {
    RowsFunction rows;
    void* context;
    int count;
    int grain;
};
Call call;
std::atomic<uint64_t> claim{0};
std::atomic<int> finished{0};  // pieces done in the current call
std::atomic<long> helperPieces{0};

uint64_t PackClaim(uint32_t number, int helpers, int pieces, int next) {
    return (static_cast<uint64_t>(number & 0xFFFFFFu) << 40) | (static_cast<uint64_t>(helpers) << 32) |
           (static_cast<uint64_t>(pieces) << 16) | static_cast<uint64_t>(next);
}
uint32_t ClaimNumber(uint64_t value) { return static_cast<uint32_t>(value >> 40); }
int ClaimHelpers(uint64_t value) { return static_cast<int>((value >> 32) & 0xFF); }
int ClaimPieces(uint64_t value) { return static_cast<int>((value >> 16) & 0xFFFF); }
int ClaimNext(uint64_t value) { return static_cast<int>(value & 0xFFFF); }

// Sleeping: helpers wait for the next call, the caller for the last pieces.
struct Sleep {
    std::mutex mutex;
    std::condition_variable helpersWake;
    std::condition_variable callerWake;
};
// Made on first use and never destroyed: helpers still sleep on it while the process
// ends.
alignas(Sleep) unsigned char sleepStorage[sizeof(Sleep)];
Sleep* rest = nullptr;
std::atomic<int> sleepingHelpers{0};
std::atomic<int> callerSleeping{0};

uint32_t callNumber = 0;  // of the last call; only the calling thread touches these
int startedHelpers = 0;
int helperStarts = 0;  // attempts so far, for the test switch
int refuseFrom = 0;
int gaveUpAt = 0;  // the thread count wanted when a start last failed: not retried

inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Spins until done() or the spin time is over; true when done.
template <class Done>
bool SpinUntil(Done done) {
    const Clock::time_point end = Clock::now() + kSpinTime;
    for (;;) {
        for (int i = 0; i < kPausesPerClockRead; ++i) {
            if (done()) return true;
            Pause();
        }
        if (Clock::now() >= end) return done();
    }
}

// Claims and does pieces of call `number` until none is left, the call has moved on,
// or the thread is not part of it.
void DoPieces(uint32_t number, int thread) {
    uint64_t value = claim.load(std::memory_order_acquire);
    for (;;) {
        if (ClaimNumber(value) != (number & 0xFFFFFFu) || thread > ClaimHelpers(value)) return;
        const int pieces = ClaimPieces(value);
        const int piece = ClaimNext(value);
        if (piece >= pieces) return;
        if (!claim.compare_exchange_weak(value, value + 1, std::memory_order_acquire,
                                         std::memory_order_acquire)) {
            continue;
        }
        const int from = piece * call.grain;
        const int to = call.count - from > call.grain ? from + call.grain : call.count;
        call.rows(call.context, from, to, thread);
        if (thread > 0) helperPieces.fetch_add(1, std::memory_order_relaxed);
        if (finished.fetch_add(1, std::memory_order_seq_cst) + 1 == pieces &&
            callerSleeping.load(std::memory_order_seq_cst)) {
            std::lock_guard<std::mutex> lock(rest->mutex);
            rest->callerWake.notify_one();
        }
        value = claim.load(std::memory_order_acquire);
    }
}

void HelperMain(int thread) {
    uint32_t seen = ClaimNumber(claim.load(std::memory_order_acquire));
    for (;;) {
        auto newCall = [&] { return ClaimNumber(claim.load(std::memory_order_seq_cst)) != seen; };
        if (!SpinUntil(newCall)) {
            std::unique_lock<std::mutex> lock(rest->mutex);
            sleepingHelpers.fetch_add(1, std::memory_order_seq_cst);
            while (!newCall()) rest->helpersWake.wait(lock);
            sleepingHelpers.fetch_sub(1, std::memory_order_seq_cst);
        }
        seen = ClaimNumber(claim.load(std::memory_order_acquire));
        DoPieces(seen, thread);
    }
}

// Starts helper number `thread`; false when the system refuses. The one place that
// meets the exception std::thread throws for that.
bool StartHelper(int thread) {
    ++helperStarts;
    if (refuseFrom > 0 && helperStarts >= refuseFrom) return false;
    try {
        std::thread(HelperMain, thread).detach();
    } catch (...) {  // std::system_error, or no memory for the thread's state
        return false;
    }
    return true;
}

int WantedThreads() {
    int wanted = art.drawingThreads > 0 ? art.drawingThreads : LogicalProcessorCount();
    return wanted > kMaxDrawingThreads ? kMaxDrawingThreads : wanted;
}
}  // namespace

int LogicalProcessorCount() {
    // Asked once: some systems read a file for it, and every RunRows wants it.
    static const int count = [] {
        const unsigned logical = std::thread::hardware_concurrency();
        return logical == 0 ? 1 : static_cast<int>(logical);
    }();
    return count;
}

long HelperPieceCount() { return helperPieces.load(std::memory_order_relaxed); }

int DrawingThreadCount() {
    const int wanted = WantedThreads();
    if (wanted > 1 && !rest) rest = new (sleepStorage) Sleep;
    while (startedHelpers + 1 < wanted && wanted != gaveUpAt) {
        if (!StartHelper(startedHelpers + 1)) {
            gaveUpAt = wanted;
            break;
        }
        ++startedHelpers;
    }
    return wanted < startedHelpers + 1 ? wanted : startedHelpers + 1;
}

void RefuseHelperStarts(int nth) {
    refuseFrom = nth > 0 ? helperStarts + nth : 0;
    gaveUpAt = 0;
}

void RunRows(RowsFunction rows, void* context, int count, int grain) {
    if (count <= 0) return;
    if (grain < 1) grain = 1;
    if ((count - 1) / grain + 1 > kMostPieces) grain = (count - 1) / kMostPieces + 1;
    const int pieces = (count - 1) / grain + 1;
    const int threads = DrawingThreadCount();
    if (threads == 1 || pieces == 1) {
        rows(context, 0, count, 0);
        return;
    }
    call = Call{rows, context, count, grain};
    finished.store(0, std::memory_order_relaxed);
    ++callNumber;
    const int helpers = threads - 1 < pieces - 1 ? threads - 1 : pieces - 1;
    claim.store(PackClaim(callNumber, helpers, pieces, 0), std::memory_order_seq_cst);
    if (sleepingHelpers.load(std::memory_order_seq_cst) > 0) {
        std::lock_guard<std::mutex> lock(rest->mutex);
        rest->helpersWake.notify_all();
    }
    DoPieces(callNumber, 0);
    auto allDone = [&] { return finished.load(std::memory_order_seq_cst) == pieces; };
    if (!SpinUntil(allDone)) {
        std::unique_lock<std::mutex> lock(rest->mutex);
        callerSleeping.store(1, std::memory_order_seq_cst);
        while (!allDone()) rest->callerWake.wait(lock);
        callerSleeping.store(0, std::memory_order_seq_cst);
    }
}
