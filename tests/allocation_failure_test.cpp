// Every allocation the program makes, made to fail. Each operation is first run as
// normal to count the allocations it asks for; then, for every i up to that count,
// it is run again with the i-th failing once, and again with the i-th and every later
// one failing, as when the heap runs dry. A new allocation inside any of these
// operations is therefore failed too without touching this file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/frame.h"
#include "app/input.h"
#include "app/keys.h"
#include "app/memory.h"
#include "app/startup.h"
#include "export/offline_job.h"
#include "modes/buddhabrot/buddhabrot.h"
#include "modes/modes.h"
#include "modes/random_source.h"
#include "palette/presets.h"
#include "tests/fake_platform.h"
#include "tests/test_support.h"

namespace {

enum FailureKind { kFailOnce, kFailFromThenOn };

void Arm(FailureKind kind, int nth) {
    if (kind == kFailOnce) {
        ArtFailAllocation(nth);
    } else {
        ArtFailAllocationsFrom(nth);
    }
}

const char* KindName(FailureKind kind) { return kind == kFailOnce ? "once" : "from then on"; }

// Blocks the program holds on purpose between operations; every other live block is
// a leak.
long HeldBlocks() {
    const void* held[] = {art.canvas, art.canvasBackup, art.dibInfo, art.zoomBuffer, art.orbitRe,
                          art.orbitIm};
    long count = 0;
    for (const void* block : held) count += block ? 1 : 0;
    return count;
}

// Frame pixels as the DIB section gives them: not from the program's heap.
std::vector<uint32_t> framePixels;
long liveAtStart = 0;

void ReleaseEverything() {
    ArtFailAllocation(0);
    ReleaseBuffers();  // frame info, Canvas and backup
    ReleaseTestState();
    framePixels.clear();
}

// Nothing held, so that the live-block count of a run starts from here.
void StartClean() {
    ReleaseEverything();
    ResetFakePlatform();
    liveAtStart = ArtLiveBlockCount();
}

::testing::AssertionResult NothingLeaked() {
    const long leaked = ArtLiveBlockCount() - liveAtStart - HeldBlocks();
    if (leaked == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << leaked << " block(s) neither freed nor held";
}

// ---- start-up -------------------------------------------------------------------

// The portable steps of the program's start-up, in its order; the shell creates the
// window and the DIB section between them. Returns the exit code start-up ends with,
// or 0 when it reaches the message loop.
int PortableStartUp(int32_t modeOption) {
    const int code = AllocateBuffers(333, 217);
    if (code != kExitNormal) return code;
    art.randomState = SeedFromClock(1234, 5678);
    art.modeOption = modeOption;
    ApplyOptions();
    NewPalette();
    if (AllocateFrameInfo()) {
        framePixels.assign(static_cast<size_t>(art.canvasWidth) * art.canvasHeight, 0);
        art.dibPixels = framePixels.data();
    }
    SelectMode(0);
    ComposeFrame();
    HandleCreate();
    SelectStartMode();
    return kExitNormal;
}

long CountAllocations(int32_t modeOption, long* indexBuffers) {
    StartClean();
    const long before = ArtAllocationCount();
    EXPECT_EQ(AllocateBuffers(333, 217), kExitNormal);
    *indexBuffers = ArtAllocationCount() - before;
    StartClean();
    const long start = ArtAllocationCount();
    EXPECT_EQ(PortableStartUp(modeOption), kExitNormal);
    EXPECT_TRUE(NothingLeaked());
    return ArtAllocationCount() - start;
}

TEST(FailedAllocation, StartUpEndsWithCodeTwoOnlyForTheIndexBuffersAndGoesOnOtherwise) {
    // The splash screen alone, a mode whose memory lives for one picture and the zoom,
    // whose buffer is kept; every mode's own allocations are failed further below.
    for (int32_t modeOption : {0, 2, 8}) {
        long indexBuffers = 0;
        const long sites = CountAllocations(modeOption, &indexBuffers);
        EXPECT_EQ(indexBuffers, 2);  // the Canvas and its backup
        const int32_t mode = modeOption;
        for (FailureKind kind : {kFailOnce, kFailFromThenOn}) {
            for (long i = 1; i <= sites; ++i) {
                const std::string where = "--mode " + std::to_string(modeOption) + ", allocation " +
                                          std::to_string(i) + " failing " + KindName(kind);
                StartClean();
                Arm(kind, static_cast<int>(i));
                const int code = PortableStartUp(modeOption);
                ArtFailAllocation(0);
                EXPECT_TRUE(NothingLeaked()) << where;
                if (i <= indexBuffers) {
                    EXPECT_EQ(code, kExitNoMemory) << where;
                    EXPECT_EQ(HeldBlocks(), 0) << where;
                    continue;
                }
                EXPECT_EQ(code, kExitNormal) << where;
                EXPECT_EQ(art.currentMode, mode) << where;
                // The program goes on: a key draws a picture and composes it, framed
                // or not, and the mode's own memory is had on the second asking.
                const long failedBefore = ArtFailedAllocationCount();
                HandleKey(kKeyDigit1 + (mode > 0 ? mode : 1) - 1, false, false);
                EXPECT_EQ(ArtFailedAllocationCount(), failedBefore) << where;
                EXPECT_EQ(art.currentMode, mode > 0 ? mode : 1) << where;
                EXPECT_TRUE(NothingLeaked()) << where;
            }
        }
    }
    ReleaseEverything();
}

// ---- everything after start-up --------------------------------------------------

// What one operation may be: a call into the core as the window procedure or a
// timer makes it.
struct Operation {
    enum Kind { kSelectMode, kKey, kLeftButton, kRightButton, kWheel, kTimer } kind;
    int value;     // mode, key, wheel delta or timer id
    bool shift;    // for keys
    bool ctrl;
    int baseMode;  // the mode current before the operation
};

std::string Describe(const Operation& op) {
    static const char* const kinds[] = {"SelectMode", "key", "left button", "right button", "wheel",
                                        "timer"};
    std::string text = std::string(kinds[op.kind]) + " " + std::to_string(op.value);
    if (op.ctrl) text += " with Ctrl";
    if (op.shift) text += " with Shift";
    return text + " in mode " + std::to_string(op.baseMode);
}

void Perform(const Operation& op) {
    switch (op.kind) {
        case Operation::kSelectMode: SelectMode(op.value); break;
        case Operation::kKey: HandleKey(op.value, op.ctrl, op.shift); break;
        case Operation::kLeftButton: HandleLeftButton(); break;
        case Operation::kRightButton: HandleRightButton(); break;
        case Operation::kWheel: HandleWheel(op.value); break;
        case Operation::kTimer: HandleTimer(static_cast<uintptr_t>(op.value)); break;
    }
}

// A running program in the base mode on a small Canvas. fresh: the memory other
// modes keep between pictures (zoom buffer, orbits) not had yet; otherwise there.
void Arrive(const Operation& op, bool fresh) {
    StartClean();
    art.drawingThreads = 3;  // the threaded modes' own scratch too, whatever the processor
    ASSERT_EQ(PortableStartUp(0), kExitNormal);
    art.randomState = 0xC0FFEE;
    // In the base mode as after its picture (which the pattern below replaces anyway):
    // the zoom holds its buffer, the Buddhabrot its orbits.
    art.currentMode = op.baseMode;
    if (op.baseMode == kZoomModeNumber) DrawMandelbrotZoom();
    if (op.baseMode == 9) {
        ASSERT_TRUE(EnsureOrbitBuffers());
    }
    if (fresh) {
        if (op.baseMode != kZoomModeNumber) {
            ArtFree(art.zoomBuffer);
            art.zoomBuffer = nullptr;
            art.bufferWidth = 0;
            art.bufferHeight = 0;
        }
        if (op.baseMode != 9) {
            ArtFree(art.orbitRe);
            ArtFree(art.orbitIm);
            art.orbitRe = nullptr;
            art.orbitIm = nullptr;
            art.orbitCapacity = 0;
        }
    } else {
        if (!art.zoomBuffer) DrawMandelbrotZoom();
        ASSERT_TRUE(EnsureOrbitBuffers());
    }
    // A pattern no mode draws, so that any change to the Canvas shows.
    const int32_t n = art.canvasWidth * art.canvasHeight;
    for (int32_t i = 0; i < n; ++i) art.canvas[i] = static_cast<uint8_t>(i % 7 + 1);
    fake.tick = 50000;
    art.lastInputTick = fake.tick;
}

struct NormalRun {
    long allocations;
    int32_t mode;
    bool keepsMore;  // memory kept for later pictures was had
};

NormalRun RunNormally(const Operation& op, bool fresh) {
    Arrive(op, fresh);
    const long before = ArtAllocationCount();
    const long held = HeldBlocks();
    Perform(op);
    EXPECT_TRUE(NothingLeaked()) << Describe(op);
    return {ArtAllocationCount() - before, art.currentMode, HeldBlocks() > held};
}

// Fails each allocation of the operation in turn; returns how many it makes.
long FailEachAllocation(const Operation& op, bool fresh, const NormalRun& normal) {
    for (FailureKind kind : {kFailOnce, kFailFromThenOn}) {
        for (long i = 1; i <= normal.allocations; ++i) {
            const std::string where = Describe(op) + (fresh ? ", first picture" : "") + ", allocation " +
                                      std::to_string(i) + " failing " + KindName(kind);
            Arrive(op, fresh);
            const std::vector<uint8_t> before = CanvasCopy();
            Arm(kind, static_cast<int>(i));
            Perform(op);
            ArtFailAllocation(0);
            // A generator refused its memory draws nothing, and its mode is recorded.
            EXPECT_EQ(CanvasCopy(), before) << where;
            EXPECT_EQ(art.currentMode, normal.mode) << where;
            EXPECT_TRUE(NothingLeaked()) << where;
            // The program goes on: asked again from the same mode, it gets all it
            // needs and draws. Checked after the failures that ran the heap dry, the
            // harder case: they hit every later allocation too.
            if (kind == kFailOnce) continue;
            art.currentMode = op.baseMode;
            const long failedBefore = ArtFailedAllocationCount();
            const long allocationsBefore = ArtAllocationCount();
            Perform(op);
            EXPECT_EQ(ArtFailedAllocationCount(), failedBefore) << where;
            EXPECT_EQ(ArtAllocationCount() - allocationsBefore, normal.allocations) << where;
            EXPECT_NE(CanvasCopy(), before) << where;
            EXPECT_TRUE(NothingLeaked()) << where;
        }
    }
    return normal.allocations;
}

// Every mode through SelectMode, and every input event. The two costliest modes,
// reaction-diffusion and the Buddhabrot, are reached through SelectMode, and the
// Buddhabrot also through the left button with its orbits kept: the digit keys, the
// right button and auto-cycling come to the same SelectMode call, and they are
// failed on their way to every other mode.
std::vector<Operation> EveryOperation() {
    std::vector<Operation> ops;
    for (int mode = -1; mode <= kModeCount; ++mode) ops.push_back({Operation::kSelectMode, mode, false, false, 1});
    const int keys[] = {kKeyEnter, kKeyEscape, kKeySpace, kKeyB, kKeyH, kKeyP, kKeyR, kKeyS, kKeyV,
                        kKeyPadPlus, kKeyPadMinus, kKeyF1, kKeyF11, kKeyF12, kKeyPlus, kKeyMinus,
                        kKeyOpenBracket, kKeyCloseBracket, 0x41 /* a key with no meaning */};
    for (int key : keys) {
        for (int held = 0; held < 4; ++held) {
            ops.push_back({Operation::kKey, key, (held & 1) != 0, (held & 2) != 0, 2});
        }
    }
    for (int mode = 1; mode <= 8; ++mode) {
        if (mode != 5) ops.push_back({Operation::kKey, kKeyDigit1 + mode - 1, false, false, 1});
    }
    for (int base : {0, 2, 8, 9}) ops.push_back({Operation::kLeftButton, 0, false, false, base});
    for (int base : {0, 2, 8}) ops.push_back({Operation::kKey, kKeyEscape, false, false, base});
    for (int base : {0, 1, 7, 9}) ops.push_back({Operation::kRightButton, 0, false, false, base});
    for (int delta : {120, -120}) ops.push_back({Operation::kWheel, delta, false, false, 2});
    for (int base : {0, 7, 8, 9}) {
        for (int timer = kTimerRotation; timer <= kTimerZoom + 1; ++timer) {
            if (base == kZoomModeNumber && timer == kTimerAutoCycle) continue;  // on to the Buddhabrot
            ops.push_back({Operation::kTimer, timer, false, false, base});
        }
    }
    return ops;
}

TEST(FailedAllocation, EveryModeAndEventKeepsThePictureRecordsTheModeLeaksNothingAndGoesOn) {
    long operations = 0;
    long sites = 0;
    for (const Operation& op : EveryOperation()) {
        // First as the first picture of its kind; again with the kept memory there,
        // when that makes a difference.
        const NormalRun first = RunNormally(op, true);
        sites += FailEachAllocation(op, true, first);
        ++operations;
        if (first.keepsMore) {
            sites += FailEachAllocation(op, false, RunNormally(op, false));
            ++operations;
        }
    }
    // Voronoi's three arrays, the four reaction-diffusion grids and the threads' band
    // rows, the zoom buffer, and the Buddhabrot's counters, the threads' byte counters
    // and lists and two orbit arrays are all met somewhere.
    EXPECT_GE(sites, 3 + 5 + 1 + 5);
    RecordProperty("operations", static_cast<int>(operations));
    RecordProperty("allocations_failed", static_cast<int>(sites));
    ReleaseEverything();
}

// ---- the renderer's job ---------------------------------------------------------

TEST(FailedAllocation, RendererJobFailsCleanlyAtEveryAllocationAndRunsAfterwards) {
    // The modes that allocate with the status strip, whose RGB picture needs frame
    // pixels; the other overlays allocate nothing of their own.
    struct Job {
        int32_t mode;
        int32_t overlay;
    };
    // The grids of reaction-diffusion and the Buddhabrot's memory, reached by the same
    // SelectMode, are failed above.
    const Job jobs[] = {{1, kOverlayNone}, {1, kOverlayHelp}, {1, kOverlayStrip}, {2, kOverlayStrip},
                        {8, kOverlayStrip}};
    for (const Job& job : jobs) {
        {
            const int32_t mode = job.mode;
            const int32_t overlay = job.overlay;
            OfflineOptions o;
            o.width = 321;
            o.height = 201;
            o.mode = mode;
            o.overlay = overlay;
            o.zoomFrames = mode == kZoomModeNumber ? 2 : 0;
            StartClean();
            const long before = ArtAllocationCount();
            ASSERT_EQ(RunOfflineJob(o, 7), 0);
            const long sites = ArtAllocationCount() - before;
            ReleaseOfflineJob();
            for (FailureKind kind : {kFailOnce, kFailFromThenOn}) {
                for (long i = 1; i <= sites; ++i) {
                    const std::string where = "mode " + std::to_string(mode) + " overlay " +
                                              std::to_string(overlay) + ", allocation " + std::to_string(i) +
                                              " failing " + KindName(kind);
                    StartClean();
                    Arm(kind, static_cast<int>(i));
                    EXPECT_EQ(RunOfflineJob(o, 7), -1) << where;
                    ArtFailAllocation(0);
                    EXPECT_EQ(HeldBlocks(), 0) << where;
                    EXPECT_EQ(ArtLiveBlockCount(), liveAtStart) << where;
                    EXPECT_EQ(RunOfflineJob(o, 7), 0) << where;
                    ReleaseOfflineJob();
                }
            }
        }
    }
    ReleaseEverything();
}

}  // namespace
