// The acquisition actions on the engine and the real link threads, against a controller played
// on a pseudo-terminal that answers the requests and streams records after SAS or TAS.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "data/ScopeModel.h"
#include "engine/AcquisitionCommands.h"
#include "engine/AcquisitionSteps.h"
#include "engine/DeviceSession.h"
#include "link/Frame.h"
#include "support/EngineTestSupport.h"
#include "support/Pty.h"
#include "support/RecordingNotifier.h"
#include "support/RecordingTrace.h"

namespace kvt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using test::lineSpeed;

constexpr std::uint8_t kSas = 0x24;
constexpr std::uint8_t kTas = 0x28;
constexpr std::uint8_t kPas = 0x29;
constexpr std::uint8_t kPrs = 0x27;

// Record k of the peer's stream: analog 1 counts 0..255, analog 2 counts the wraps of analog 1,
// the status byte counts up every 10 records (bit 3 first rises at record 80).
Bytes streamRecord(std::uint64_t k) {
    return {STX,
            static_cast<std::uint8_t>(k & 0xFF),
            static_cast<std::uint8_t>((k >> 8) & 0xFF),
            0x80,
            0x80,
            static_cast<std::uint8_t>((k / 10) & 0xFF)};
}

// The controller: one thread that reads requests, answers them and streams. Its output goes
// through one queue, so an acknowledge and the records around it keep their order; like a
// controller's transmitter it holds back only a few bytes when the line is busy.
class StreamingPeer {
  public:
    explicit StreamingPeer(test::Pty& pty) : pty_(pty), thread_([this] { run(); }) {}
    ~StreamingPeer() {
        stop_ = true;
        thread_.join();
    }

    std::atomic<int> baud{0};  // answers only at this rate; 0: at any
    // Four times the controller's fastest rate: short tests, yet the receive ring holds over
    // three seconds of records, so a stalled machine loses none.
    std::atomic<int> periodUs{1000};
    std::atomic<std::int64_t> silentAfter{-1};  // the next stream goes quiet after this many
    std::atomic<int> noiseEvery{0};             // a noise burst of 3 bytes before every n-th record
    std::atomic<int> loseByteEvery{0};          // every n-th record loses its last byte
    std::atomic<bool> streamOnStart{false};     // already streaming when the test begins
    // No data byte takes the value of STX, ACK or NAK (ackData: of STX or NAK), so that every
    // resynchronisation finds a record's true start.
    std::atomic<bool> plainData{false};
    std::atomic<bool> ackData{false};

    // Requests of this code left unanswered, one per count.
    void drop(std::uint8_t code, int count) {
        std::lock_guard lock(mutex_);
        drops_[code] += count;
    }
    // Requests of this code refused with NAK (and without effect), one per count.
    void nak(std::uint8_t code, int count) {
        std::lock_guard lock(mutex_);
        naks_[code] += count;
    }
    // Stream bytes that PAS's ACK follows, as when the controller had them in its transmitter.
    void bytesBeforeAck(Bytes bytes) {
        std::lock_guard lock(mutex_);
        beforeAck_ = std::move(bytes);
    }
    std::vector<Bytes> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    std::vector<std::uint8_t> codes() const {
        std::vector<std::uint8_t> out;
        for (const auto& r : requests()) {
            out.push_back(r[1]);
        }
        return out;
    }
    long heard(std::uint8_t code) const {
        const auto all = codes();
        return std::count(all.begin(), all.end(), code);
    }
    // Requests heard, with the line speed at the time.
    std::vector<std::pair<std::uint8_t, int>> codesWithSpeed() const {
        std::lock_guard lock(mutex_);
        return speeds_;
    }
    bool streaming() const { return streaming_; }
    std::uint64_t recordsSent() const { return sent_; }
    int streamsStarted() const { return streams_; }

  private:
    void run() {
        Bytes pending;
        Clock::time_point nextRecord = Clock::now();
        while (!stop_) {
            const int fd = pty_.masterFd();
            if (fd < 0) {
                return;
            }
            if (streamOnStart && !streaming_ && streams_ == 0) {
                startStream(nextRecord);
            }
            int timeout = 20;
            const bool fast = periodUs.load() == 0;
            if (streaming_ && !fast) {
                const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
                    nextRecord - Clock::now());
                timeout = static_cast<int>(std::clamp<long long>(wait.count(), 0, 20));
            }
            if (streaming_ && fast && out_.size() < 2 * kStreamRecordSize) {
                timeout = 0;
            }
            pollfd entry{fd, static_cast<short>(POLLIN | (out_.empty() ? 0 : POLLOUT)), 0};
            ::poll(&entry, 1, timeout);
            if (entry.revents & POLLIN) {
                std::uint8_t buffer[512];
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n > 0) {
                    pending.insert(pending.end(), buffer, buffer + n);
                    serve(pending, nextRecord);
                }
            }
            produce(nextRecord);
            flush(fd);
        }
    }

    void serve(Bytes& pending, Clock::time_point& nextRecord) {
        while (!pending.empty()) {
            if (pending[0] != STX) {
                pending.erase(pending.begin());
                continue;
            }
            if (pending.size() < 4) {
                return;
            }
            const Bytes request(pending.begin(), pending.begin() + 4);
            pending.erase(pending.begin(), pending.begin() + 4);
            handle(request, nextRecord);
        }
    }

    void handle(const Bytes& request, Clock::time_point& nextRecord) {
        const std::uint8_t code = request[1];
        const int speed = lineSpeed(pty_.masterFd());
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
            speeds_.emplace_back(code, speed);
            if (baud != 0 && speed != baud) {
                return;
            }
            if (drops_[code] > 0) {
                --drops_[code];
                return;
            }
            if (naks_[code] > 0) {
                --naks_[code];
                out_.push_back(NAK);
                return;
            }
        }
        switch (code) {
            case kSas:
            case kTas:
                out_.push_back(ACK);
                startStream(nextRecord);
                return;
            case kPas:
                // Records not yet in the line are never sent; those in it arrive before the ACK.
                streaming_ = false;
                out_.clear();
                {
                    std::lock_guard lock(mutex_);
                    out_.insert(out_.end(), beforeAck_.begin(), beforeAck_.end());
                    beforeAck_.clear();  // the transmitter is empty once it has sent them
                }
                out_.push_back(ACK);
                return;
            case 0x22:  // ATR
            case 0x1e:  // SBR
            case 0x20:  // SER
            case 0x2b:  // ACR
            case 0x23:  // VER
                reply(code == 0x23 ? 23 : registers_[code]);
                return;
            default:
                // A write: the value goes to the register that its read returns.
                registers_[static_cast<std::uint8_t>(code + 1)] = request[2];
                out_.push_back(ACK);
                return;
        }
    }

    void reply(std::uint8_t value) { out_.insert(out_.end(), {STX, value, value}); }

    void startStream(Clock::time_point& nextRecord) {
        streaming_ = true;
        ++streams_;
        k_ = 0;
        nextRecord = Clock::now();
    }

    void produce(Clock::time_point& nextRecord) {
        if (!streaming_) {
            return;
        }
        const int period = periodUs.load();
        while (streaming_ && out_.size() < 4 * kStreamRecordSize &&
               (period == 0 || Clock::now() >= nextRecord)) {
            const std::int64_t quiet = silentAfter.load();
            if (quiet >= 0 && static_cast<std::int64_t>(k_) >= quiet) {
                // Gone quiet: the controller stopped streaming by itself (once).
                streaming_ = false;
                silentAfter = -1;
                return;
            }
            if (noiseEvery > 0 && k_ % static_cast<unsigned>(noiseEvery) == 7) {
                out_.insert(out_.end(), {0xFF, 0xFE, 0x00});
            }
            Bytes record = streamRecord(k_);
            if (plainData || ackData) {
                for (auto it = record.begin() + 1; it != record.end(); ++it) {
                    if (*it == STX || *it == NAK || (*it == ACK && !ackData)) {
                        *it = 0x03;
                    }
                }
            }
            if (loseByteEvery > 0 && k_ % static_cast<unsigned>(loseByteEvery) == 5) {
                record.pop_back();
            }
            out_.insert(out_.end(), record.begin(), record.end());
            ++k_;
            ++sent_;
            nextRecord += std::chrono::microseconds(period);
        }
    }

    void flush(int fd) {
        while (!out_.empty()) {
            const std::size_t chunk = std::min<std::size_t>(out_.size(), 256);
            const Bytes bytes(out_.begin(), out_.begin() + static_cast<long>(chunk));
            const ssize_t n = ::write(fd, bytes.data(), bytes.size());
            if (n <= 0) {
                return;  // the line is full: try again on the next pass
            }
            out_.erase(out_.begin(), out_.begin() + n);
        }
    }

    test::Pty& pty_;
    mutable std::mutex mutex_;
    std::vector<Bytes> requests_;
    std::vector<std::pair<std::uint8_t, int>> speeds_;
    std::map<std::uint8_t, int> drops_;
    std::map<std::uint8_t, int> naks_;
    Bytes beforeAck_;
    std::map<std::uint8_t, std::uint8_t> registers_;
    std::deque<std::uint8_t> out_;
    std::atomic<bool> streaming_{false};
    std::atomic<std::uint64_t> sent_{0};
    std::atomic<int> streams_{0};
    std::uint64_t k_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class AcquisitionActionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetScopeSettings(records->scope);
        session = std::make_unique<DeviceSession>(*records, trace, view, strings, options());
        session->port().setDeviceOverride(pty.slavePath());
        session->start();
    }
    void TearDown() override {
        session->stop();
        if (HasFailure()) {
            test::printTraceTail(trace, 40);
        }
    }

    virtual DeviceSession::Options options() {
        DeviceSession::Options o;
        // A short retry pause; the reply time-out leaves room for a loaded machine.
        o.timing = {500, 5000, 20, 4};
        return o;
    }

    ActionEngine& engine() { return session->engine(); }
    LinkState& link() { return session->link(); }
    AcquisitionBuffers& samples() { return records->samples; }

    bool waitFor(int code) { return view.recording.waitFor(code, 30s); }
    bool waitIdle() { return test::waitEngineIdle(engine(), 30s); }
    template <typename Condition>
    bool eventually(Condition condition) {
        const auto deadline = Clock::now() + 30s;
        while (!condition()) {
            if (Clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }
    bool waitAwaiting(std::uint32_t step) {
        return eventually([&] {
            return engine().step() == step && link().RECEIVE_STATE.load() == ReceiveAwaited;
        });
    }

    void setStep(int acqTime) {
        records->scope.mode = ScopeSettings::StepMode;
        records->scope.acqTime = acqTime;
    }

    // A Step Mode recording of 20 s at the peer's pace, running once the first update is shown.
    bool streamingStepRecording(int periodUs) {
        setStep(20);
        peer.periodUs = periodUs;
        engine().post(cmd::kStepAcquisition);
        return view.recording.waitFor(notify::kDisplayUpdate, 30s);
    }
    bool stopAndWaitForTheEnd() {
        requestAcquisitionStop(engine());
        return waitFor(notify::kAcquisitionEnded);
    }

    int retries() const { return trace.countStartingWith("Retry "); }
    bool traced(const std::string& prefix) const { return trace.countStartingWith(prefix) > 0; }

    test::Pty pty;
    std::unique_ptr<Records> records = std::make_unique<Records>();
    test::RecordingTrace trace;
    test::PaintingView view{records->acquisition};
    test::EngineStrings strings;
    ManualTickSource ticks;  // for the tests on manual time
    std::unique_ptr<DeviceSession> session;
    StreamingPeer peer{pty};
};

TEST_F(AcquisitionActionsTest, StepModeSendsItsRequestsAndStoresExactlyNSamples) {
    setStep(8);
    records->scope.setpointBegin = 12.5f;
    records->scope.setpointEnd = 80.0f;
    records->scope.analogSel(1) = 2;
    records->scope.masterSlave = 1;
    engine().post(acquisitionBitForMode(records->scope.mode));
    ASSERT_TRUE(waitFor(notify::kAcquisitionEnded));
    ASSERT_TRUE(waitIdle());

    const auto requests = peer.requests();
    ASSERT_GE(requests.size(), 10u);
    const std::vector<Bytes> expected = {
        {0x02, 0x23, 0x00, 0x23},  // the baud-rate test's VER
        {0x02, 0x21, 0x08, 0x29}, {0x02, 0x22, 0x00, 0x22}, {0x02, 0x1d, 0x19, 0x36},
        {0x02, 0x1e, 0x00, 0x1e}, {0x02, 0x1f, 0xa0, 0xbf}, {0x02, 0x20, 0x00, 0x20},
        {0x02, 0x2a, 0x20, 0x4a}, {0x02, 0x2b, 0x00, 0x2b}, {0x02, 0x24, 0x01, 0x25}};
    EXPECT_EQ(std::vector<Bytes>(requests.begin(), requests.begin() + 10), expected);
    EXPECT_EQ(requests.size(), 10u) << "no PAS at the normal end";

    // The read-backs reach the settings (each store is checked on its own elsewhere).
    EXPECT_EQ(records->scope.acqTimeReadValid, 1);
    EXPECT_FLOAT_EQ(records->scope.setpointEndRead, 80.0f);
    EXPECT_EQ(records->scope.analogSelRead(1), 2);

    const auto updates = view.updates();
    ASSERT_FALSE(updates.empty());
    EXPECT_EQ(updates.back(), 2000);
    EXPECT_TRUE(std::is_sorted(updates.begin(), updates.end()));
    const auto codes = view.recording.codes();
    EXPECT_EQ(codes.back(), notify::kAcquisitionEnded);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), notify::kAcquisitionEnded), 1);
    for (int i = 0; i < 2000; ++i) {
        ASSERT_FLOAT_EQ(samples().analog[0][i], analogPercentUnsigned(i & 0xFF)) << i;
    }
    EXPECT_FLOAT_EQ(samples().analog[0][2002], samples().analog[0][1999]);
    EXPECT_FLOAT_EQ(samples().analog[0][2003], 0.0f);
    EXPECT_TRUE(trace.contains(" Start Step Mode Acquisition "));
    EXPECT_TRUE(trace.contains("Display update 2000"));
    EXPECT_TRUE(eventually([&] {
        return records->acquisition.acquisitionActive.load() == 0 && link().streamMode.load() == 0;
    })) << "cleared by the idle pass";
}

TEST_F(AcquisitionActionsTest, TriggerModeStopsItselfAfterThePostTriggerCount) {
    ScopeSettings& s = records->scope;
    s.acqTime = 4;
    s.sampleRateIndex = 1;  // 10 ms: N = 400, M = 359, blocks of 20
    s.triggerChannel = 6;   // binary channel 2
    s.binarySel[1] = 3;     // bit 3 of the status byte first rises at record 80
    engine().post(cmd::kTriggerAcquisition);
    ASSERT_TRUE(waitFor(notify::kAcquisitionEnded));
    ASSERT_TRUE(waitIdle());

    const auto codes = peer.codes();
    EXPECT_EQ(std::vector<std::uint8_t>(codes.begin() + 1, codes.begin() + 5),
              (std::vector<std::uint8_t>{kPrs, 0x2a, 0x2b, kTas}));
    EXPECT_EQ(peer.requests()[1], (Bytes{0x02, kPrs, 10, 0x31}));
    EXPECT_EQ(codes.back(), kPas);
    EXPECT_FALSE(peer.streaming());
    EXPECT_TRUE(trace.contains("Rising Trigger, Bin-Ch:2, 1, 0"));
    EXPECT_TRUE(trace.contains(" Send PAS Stop Acquisition"));
    EXPECT_TRUE(trace.contains(" Stop Acquisition "));
    EXPECT_EQ(retries(), 0) << "the first PAS is acknowledged";

    // 40 samples (10 %) before the trigger, the trigger and 359 after it.
    EXPECT_EQ(samples().binary[1][39], 0);
    EXPECT_EQ(samples().binary[1][40], 1);
    for (int i = 0; i < 400; ++i) {
        ASSERT_FLOAT_EQ(samples().analog[0][i], analogPercentUnsigned((40 + i) & 0xFF)) << i;
    }
    EXPECT_EQ(engine().commandWord(), 0u);
    EXPECT_EQ(records->acquisition.acquisitionActive.load(), 0);
}

TEST_F(AcquisitionActionsTest, AStopWhileTheConfigurationRunsSendsPasAtOnce) {
    setStep(8);
    peer.drop(0x22, 1);  // ATR stays unanswered
    engine().post(cmd::kStepAcquisition);
    ASSERT_TRUE(waitAwaiting(acqstep::kStepStart + 5));
    EXPECT_EQ(records->acquisition.acquisitionActive.load(), 1);
    EXPECT_EQ(requestAcquisitionStop(engine()), AcquisitionStop::Orderly);
    ASSERT_TRUE(waitFor(notify::kAcquisitionEnded));
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(peer.codes(), (std::vector<std::uint8_t>{0x23, 0x21, 0x22, kPas}));
    EXPECT_EQ(retries(), 0);
    EXPECT_FALSE(trace.contains("Receive Timeout max retry")) << "the stop did not wait";
    EXPECT_TRUE(trace.contains(" Stop Acquisition "));
    EXPECT_EQ(records->scope.acqTimeReadValid, 0);
    EXPECT_EQ(records->acquisition.acquisitionActive.load(), 0);
}

// Records already in the line arrive before PAS's ACK, and so does a stream's residue: the end
// of a record cut by the emptied input (with bytes that look like STX and ACK's neighbours) and
// two whole records. The stop reads past them all.
TEST_F(AcquisitionActionsTest, AStopWhileStreamingIsAcknowledgedAtTheFirstPas) {
    Bytes residue = {0x89, 0x02, 0x02, 0x34};
    for (std::uint64_t k = 700; k < 702; ++k) {
        const Bytes r = streamRecord(k);
        residue.insert(residue.end(), r.begin(), r.end());
    }
    peer.bytesBeforeAck(residue);
    ASSERT_TRUE(streamingStepRecording(4000));
    ASSERT_TRUE(stopAndWaitForTheEnd());
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(peer.codes().back(), kPas);
    EXPECT_EQ(peer.heard(kPas), 1);
    EXPECT_FALSE(peer.streaming());
    EXPECT_EQ(retries(), 0) << "queued records were taken as PAS's reply";
    EXPECT_LT(view.updates().back(), 5000);
    EXPECT_EQ(engine().commandWord(), 0u);
}

// An unheard PAS leaves the stream running; its retry must end the stop whether or not the
// records carry bytes that read as ACK (at 1 ms, record k's low byte is 0x06 every 0.26 s).
class UnheardPasTest : public AcquisitionActionsTest, public ::testing::WithParamInterface<bool> {};

TEST_P(UnheardPasTest, AControllerThatStreamsOnAfterPasIsRetried) {
    const bool ackData = GetParam();
    peer.plainData = !ackData;
    peer.ackData = ackData;
    ASSERT_TRUE(streamingStepRecording(ackData ? 1000 : 4000));
    peer.drop(kPas, 1);
    ASSERT_TRUE(stopAndWaitForTheEnd());
    EXPECT_EQ(retries(), 1);
    EXPECT_EQ(peer.heard(kPas), 2) << "the unheard PAS was retried";
    EXPECT_FALSE(peer.streaming());
    if (!ackData) {
        EXPECT_TRUE(traced("Action PAS '0x29' Step x244, Error:2 "));
    }
}
INSTANTIATE_TEST_SUITE_P(Records, UnheardPasTest, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "WithAckLikeBytes" : "WithPlainBytes");
});

TEST_F(AcquisitionActionsTest, ARollingTriggerModeRecordingStopsThroughTheDrain) {
    records->scope.sampleRateIndex = 0;
    peer.periodUs = 1000;
    engine().post(cmd::kTriggerAcquisition);
    ASSERT_TRUE(view.recording.waitFor(notify::kDisplayUpdate, 30s));
    ASSERT_TRUE(stopAndWaitForTheEnd());
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(peer.codes().back(), kPas);
    EXPECT_EQ(retries(), 0);
    EXPECT_FALSE(peer.streaming());
    // The newest samples are consecutive records up to the end of the window.
    const int n = 2000;
    const auto last =
        static_cast<std::uint8_t>(samples().analog[0][n - 1] * 255.0f / 100.0f + 0.5f);
    for (int i = n - 40; i < n; ++i) {
        ASSERT_FLOAT_EQ(samples().analog[0][i],
                        analogPercentUnsigned(static_cast<std::uint8_t>(last - (n - 1 - i))))
            << i;
    }
}

TEST_F(AcquisitionActionsTest, PasGetsItsOwnRetriesHoweverManyTheRecordingUsed) {
    peer.plainData = true;
    peer.nak(0x21, 3);  // three refused ATS: three retries
    ASSERT_TRUE(streamingStepRecording(4000));
    EXPECT_EQ(retries(), 3);
    peer.nak(kPas, 1);  // refused: the stream goes on
    ASSERT_TRUE(stopAndWaitForTheEnd());
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(retries(), 4);
    EXPECT_FALSE(trace.contains("stopped "));
    const auto codes = view.recording.codes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), notify::kTimeout), 0);
    EXPECT_EQ(peer.heard(kPas), 2);
}

TEST_F(AcquisitionActionsTest, ABlockTimeOutRestartsTheRecordingFromItsFirstRequest) {
    setStep(8);
    peer.silentAfter = 300;  // the first stream stops by itself
    engine().post(cmd::kStepAcquisition);
    ASSERT_TRUE(waitFor(notify::kAcquisitionEnded));
    EXPECT_TRUE(traced("Action SAS more '0x24' Step x22c, Error:3 "));
    EXPECT_TRUE(trace.contains("Retry 1 "));
    EXPECT_EQ(retries(), 1) << "the restart's acknowledgements were read";
    EXPECT_EQ(peer.streamsStarted(), 2);
    EXPECT_EQ(peer.heard(0x21), 2) << "ATS again";
    EXPECT_EQ(view.updates().back(), 2000);
    for (int i = 0; i < 2000; ++i) {
        ASSERT_FLOAT_EQ(samples().analog[0][i], analogPercentUnsigned(i & 0xFF)) << i;
    }
}

TEST_F(AcquisitionActionsTest, NoiseAndLostBytesAreSkippedAndTheBuffersStayInBounds) {
    setStep(20);
    peer.plainData = true;
    peer.noiseEvery = 97;
    peer.loseByteEvery = 331;
    engine().post(cmd::kStepAcquisition);
    ASSERT_TRUE(waitFor(notify::kAcquisitionEnded));
    EXPECT_EQ(view.updates().back(), 5000);
    EXPECT_EQ(retries(), 0);
    // Every stored sample is a whole record of the stream: analog 3 and 4 are always 0 %.
    for (int i = 0; i < 5000; ++i) {
        ASSERT_FLOAT_EQ(samples().analog[2][i], 0.0f) << i;
        ASSERT_FLOAT_EQ(samples().analog[3][i], 0.0f) << i;
    }
    for (int i = 5003; i < kSampleEntries; ++i) {
        ASSERT_FLOAT_EQ(samples().analog[0][i], 0.0f) << i;
        ASSERT_EQ(samples().binary[3][i], 0) << i;
    }
    EXPECT_GT(peer.recordsSent(), 5000u) << "some records were lost to the noise";
}

// With the controller's own time-outs on a clock that only the engine's own timers move: the
// block's time-out never runs out, so only the stop can end the wait.
class AcquisitionStopTest : public AcquisitionActionsTest {
  protected:
    void SetUp() override {
        AcquisitionActionsTest::SetUp();
        ticks.onAdvance([this] { session->link().wakeAll(); });
    }

    DeviceSession::Options options() override {
        DeviceSession::Options o;
        o.ticks = &ticks;
        return o;
    }

    // Waits for a notification while the clock moves on through the engine's own timers.
    bool runUntil(int code) {
        const auto deadline = Clock::now() + 30s;
        while (!view.recording.waitFor(code, 2ms)) {
            if (Clock::now() > deadline) {
                return false;
            }
            test::advanceToEngineTimer(link(), ticks);
        }
        return true;
    }
};

TEST_F(AcquisitionStopTest, AStopWhileABlockIsAwaitedFromASilentControllerEndsAtOnce) {
    setStep(20);
    peer.silentAfter = 100;
    engine().post(cmd::kStepAcquisition);
    ASSERT_TRUE(waitAwaiting(acqstep::kStepAwait));
    ASSERT_TRUE(eventually([&] { return !peer.streaming(); }));
    requestAcquisitionStop(engine());
    ASSERT_TRUE(runUntil(notify::kAcquisitionEnded));
    EXPECT_FALSE(traced("Action SAS more")) << "the stop waited for the block's time-out";
    EXPECT_EQ(peer.codes().back(), kPas);
}

TEST_F(AcquisitionActionsTest, WithoutPaintsTheDisplayUpdatesAreTooFast) {
    setStep(8);
    view.paints = false;
    engine().post(cmd::kStepAcquisition);
    ASSERT_TRUE(waitFor(notify::kAcquisitionEnded));
    EXPECT_TRUE(trace.contains("Display update too fast"));
    const auto updates = view.updates();
    ASSERT_EQ(updates.size(), 2u) << "the first interval and the end";
    EXPECT_EQ(updates.back(), 2000);
}

TEST_F(AcquisitionActionsTest, TheHardStopSendsPasAtBothRatesWithoutWaitingForAReply) {
    peer.baud = 57600;
    peer.streamOnStart = true;
    engine().post(cmd::kHardStopAcquisition);
    ASSERT_TRUE(waitFor(notify::kAcquisitionEnded));
    ASSERT_TRUE(waitIdle());
    const auto heard = peer.codesWithSpeed();
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0], (std::pair<std::uint8_t, int>{kPas, 19200}));
    EXPECT_EQ(heard[1], (std::pair<std::uint8_t, int>{kPas, 57600}));
    EXPECT_FALSE(peer.streaming());
    EXPECT_EQ(trace.count(" Hard PAS"), 2);
    EXPECT_EQ(trace.count(" Send PAS Stop Acquisition"), 2);
    EXPECT_TRUE(trace.contains(" Hard PAS Stop Acquisition"));
    EXPECT_TRUE(trace.contains(" Hard Stop Acquisition done"));
    EXPECT_EQ(records->port.baudCode.load(), PortSettings::BaudUnknown);
    EXPECT_EQ(view.recording.codes(), (std::vector<int>{notify::kAcquisitionEnded}));
}

TEST_F(AcquisitionActionsTest, AHardStopWithAPortThatWillNotOpenEndsWithNotification8) {
    session->port().setDeviceOverride("/nonexistent/kvt-port");
    EXPECT_EQ(requestAcquisitionStop(engine()), AcquisitionStop::Hard);
    ASSERT_TRUE(waitFor(notify::kHardStopFailed));
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(view.recording.codes(), (std::vector<int>{notify::kHardStopFailed}));
    EXPECT_EQ(records->port.baudCode.load(), PortSettings::BaudUnknown);
    EXPECT_FALSE(trace.contains(" Hard PAS"));
    EXPECT_TRUE(peer.requests().empty());
}

TEST_F(AcquisitionActionsTest, TheStopRequestNeverLeavesTheCommandWordZero) {
    session->stop();  // only the command word is watched here
    std::atomic<bool> sawZero{false};
    std::atomic<bool> done{false};
    engine().post(cmd::kTriggerAcquisition);
    std::thread watcher([&] {
        while (!done) {
            if (engine().commandWord() == 0) {
                sawZero = true;
            }
        }
    });
    for (int i = 0; i < 20000; ++i) {
        ASSERT_EQ(requestAcquisitionStop(engine()), AcquisitionStop::Orderly);
        ASSERT_EQ(engine().commandWord(), cmd::kStopAcquisition);
        engine().post(cmd::kTriggerAcquisition);
        engine().clear(cmd::kStopAcquisition);
    }
    done = true;
    watcher.join();
    EXPECT_FALSE(sawZero);
    EXPECT_EQ(requestAcquisitionStop(engine()), AcquisitionStop::Orderly);
    EXPECT_EQ(requestAcquisitionStop(engine()), AcquisitionStop::Hard);
    EXPECT_EQ(engine().commandWord(), cmd::kStopAcquisition | cmd::kHardStopAcquisition);
}

TEST_F(AcquisitionActionsTest, TheOrderlyStopAloneLeavesAnIdleWordAlone) {
    session->stop();  // only the command word is watched here
    engine().post(cmd::kRampAcquisition | cmd::kReadStatus);
    EXPECT_TRUE(requestOrderlyAcquisitionStop(engine()));
    EXPECT_EQ(engine().commandWord(), cmd::kStopAcquisition | cmd::kReadStatus);
    engine().clearAll();
    engine().post(cmd::kReadStatus);
    // An acquisition that has ended by itself gets neither stop.
    EXPECT_FALSE(requestOrderlyAcquisitionStop(engine()));
    EXPECT_EQ(engine().commandWord(), cmd::kReadStatus);
}

}  // namespace
}  // namespace kvt
