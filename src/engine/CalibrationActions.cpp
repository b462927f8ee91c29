// Start, Check and Stop Calibration; Read and Write Matrix.
//
// Steps (an exchange is send, await the send, await the reply; each action's range lies between
// its start step and the next action's, clear of every other range):
//   Start Calibration  0x100 SCS, 0x103 CTS, 0x106 CTR, 0x109 end (notification 0x20)
//   Check Calibration  0x110 CRR, 0x113 OLR, 0x116 OHR, 0x119 PLR, 0x11c PHR,
//                      0x11f end (notification 0x26)
//   Stop Calibration   0x130 TCS, 0x133 end (notification 0x21)
//   Write Matrix       0x150 begin, per row 0x151 ARS and 0x154 WAS, 0x157 next row;
//                      0x158 OLS, 0x15b OHS, 0x15e PLS, 0x161 PHS, 0x164 CTS,
//                      0x167 end (notification 0x23)
//   Read Matrix        0x350 begin, per row 0x351 ARS and 0x354 WAR, 0x357 next row;
//                      0x358 OLR, 0x35b OHR, 0x35e PLR, 0x361 PHR, 0x364 CTR,
//                      0x367 end (notification 0x22)
// A retry resumes at the action's start step, so a matrix transfer always starts again from
// array 0, row 0.
#include <algorithm>
#include <array>

#include "engine/ActionFamilies.h"

namespace kvt {
namespace {

using Reply = std::span<const std::uint8_t>;

constexpr std::uint32_t kStepsPerExchange = 3;
constexpr int kRowValues = 10;
constexpr int kValidMarkWord = 10;
constexpr int kTemperatureArrayFirst = 6;  // arrays 6 and 7 have ten temperature rows
constexpr int kLastArray = kCalArrays - 1;
constexpr int kLastRow = kCalRows - 1;
constexpr std::int32_t kHighestCalMode = 2;

// Address byte of the first row of each array; rows of the temperature arrays follow ten apart.
constexpr std::array<std::uint8_t, kCalArrays> kRowAddress = {0x00, 0x0A, 0x14, 0x1E,
                                                              0xF0, 0xFA, 0x28, 0x8C};
constexpr std::uint8_t kRowAddressStride = 10;

// The matrix row a transfer is at.
struct Cursor {
    int array = 0;
    int row = 0;
};

// What a request needs besides the record: the row, and the engine's progress counter.
struct Context {
    CalibrationRecord& cal;
    Cursor& cursor;
    std::int32_t& progress;
};

void setMark(std::int32_t& word, std::uint8_t value) {
    word = static_cast<std::int32_t>((static_cast<std::uint32_t>(word) & ~0xFFu) | value);
}

std::uint8_t byteOf(std::int32_t word, int index) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(word) >> (8 * index));
}

// --- request data ---

void fillNothing(const Context&, Request&) {}

void fillMode(const Context& c, Request& r) {
    const std::int32_t mode = c.cal.CAL_MODE;
    r.data[0] = mode >= 0 && mode <= kHighestCalMode ? static_cast<std::uint8_t>(mode) : 0;
}

void fillTemperature(const Context& c, Request& r) {
    r.data[0] = byteOf(c.cal.CAL_TEMP_WRITE, 0);
}
void fillOffsetLow(const Context& c, Request& r) {
    r.data[0] = byteOf(c.cal.CAL_OFFSET_WRITE, 0);
}
void fillOffsetHigh(const Context& c, Request& r) {
    r.data[0] = byteOf(c.cal.CAL_OFFSET_WRITE, 1);
}
void fillSpanLow(const Context& c, Request& r) {
    r.data[0] = byteOf(c.cal.CAL_SPAN_WRITE, 0);
}
void fillSpanHigh(const Context& c, Request& r) {
    r.data[0] = byteOf(c.cal.CAL_SPAN_WRITE, 1);
}

void fillRowAddress(const Context& c, Request& r) {
    r.data[0] =
        static_cast<std::uint8_t>(kRowAddress[c.cursor.array] + kRowAddressStride * c.cursor.row);
}

void fillRowValues(const Context& c, Request& r) {
    const std::int32_t* row = c.cal.CAL_MATRIX_WRITE[c.cursor.array][c.cursor.row];
    for (int i = 0; i < kRowValues; ++i) {
        r.data[i] = byteOf(row[i], 0);
    }
    r.dataLength = kRowValues;
}

// --- reply stores ---

void storeTemperature(Context& c, Reply b) {
    c.cal.CAL_TEMP_READ = b[1];
    setMark(c.cal.CAL_TEMP_VALID, 1);
}

void storeStatus(Context& c, Reply b) {
    c.cal.CAL_STATUS = b[1];
    setMark(c.cal.CAL_STATUS_VALID, 1);
}

void storeProgress(Context& c, Reply b) {
    storeStatus(c, b);
    ++c.progress;
}

void storeOffsetLow(Context& c, Reply b) {
    c.cal.CAL_OFFSET_READ = b[1];
}
// Only the low nibble of the high byte belongs to the 12-bit value.
void storeOffsetHigh(Context& c, Reply b) {
    c.cal.CAL_OFFSET_READ += (b[1] & 0x0F) * 256;
    setMark(c.cal.CAL_OFFSET_VALID, 1);
}
void storeSpanLow(Context& c, Reply b) {
    c.cal.CAL_SPAN_READ = b[1];
}
void storeSpanHigh(Context& c, Reply b) {
    c.cal.CAL_SPAN_READ += (b[1] & 0x0F) * 256;
    setMark(c.cal.CAL_SPAN_VALID, 1);
}

void storeRow(Context& c, Reply b) {
    std::int32_t* row = c.cal.CAL_MATRIX_READ[c.cursor.array][c.cursor.row];
    std::copy(b.begin() + 1, b.begin() + 1 + kRowValues, row);
    setMark(row[kValidMarkWord], 1);
}

// --- requests ---

constexpr std::int32_t kByteReply = 3;
constexpr std::int32_t kAckReply = 1;
constexpr std::int32_t kRowReply = kRowValues + 2;

struct CalRequest {
    std::string_view mnemonic;
    std::uint8_t code;
    std::int32_t replyLength;
    void (*fill)(const Context&, Request&);
    void (*store)(Context&, Reply);  // nullptr: an acknowledge
};

constexpr CalRequest kScs{"SCS", 0x50, kAckReply, fillMode, nullptr};
constexpr CalRequest kCts{"CTS", 0x53, kAckReply, fillTemperature, nullptr};
constexpr CalRequest kCtr{"CTR", 0x54, kByteReply, fillNothing, storeTemperature};
constexpr CalRequest kCrr{"CRR", 0x5F, kByteReply, fillNothing, storeProgress};
// The controller answers the stop of a calibration with its status byte (the same code ends a
// PWM setpoint with an acknowledge).
constexpr CalRequest kTcs{"TCS", 0x51, kByteReply, fillNothing, storeStatus};
constexpr CalRequest kOlr{"OLR", 0x5C, kByteReply, fillNothing, storeOffsetLow};
constexpr CalRequest kOhr{"OHR", 0x5E, kByteReply, fillNothing, storeOffsetHigh};
constexpr CalRequest kPlr{"PLR", 0x58, kByteReply, fillNothing, storeSpanLow};
constexpr CalRequest kPhr{"PHR", 0x5A, kByteReply, fillNothing, storeSpanHigh};
constexpr CalRequest kOls{"OLS", 0x5B, kAckReply, fillOffsetLow, nullptr};
constexpr CalRequest kOhs{"OHS", 0x5D, kAckReply, fillOffsetHigh, nullptr};
constexpr CalRequest kPls{"PLS", 0x57, kAckReply, fillSpanLow, nullptr};
constexpr CalRequest kPhs{"PHS", 0x59, kAckReply, fillSpanHigh, nullptr};
constexpr CalRequest kArs{"ARS", 0x73, kAckReply, fillRowAddress, nullptr};
constexpr CalRequest kWar{"WAR", 0x75, kRowReply, fillNothing, storeRow};
constexpr CalRequest kWas{"WAS", 0x74, kAckReply, fillRowValues, nullptr};

Request buildRequest(const CalRequest& entry, const Context& c) {
    Request r;
    r.mnemonic = entry.mnemonic;
    r.code = entry.code;
    r.replyLength = entry.replyLength;
    entry.fill(c, r);
    return r;
}

// --- actions ---

struct Exchange {
    std::uint32_t send;
    const CalRequest* request;
    std::uint32_t next;
};

// lParam of the end notification.
enum class EndValue {
    Zero,
    ProgressCounter,  // the engine's counter
    StatusProgress,   // the high nibble of CAL_STATUS; in test mode the counter
};

struct CalAction {
    std::uint32_t bit;
    std::uint32_t clearBits;  // cleared at the end
    std::uint32_t start;
    std::uint32_t done;
    int notification;
    bool sent;
    EndValue endValue;
    std::span<const Exchange> exchanges;
    void (*begin)(Context&);
    // Matrix transfers: the first step of a row, the row-stepping step, and where the rows end.
    std::uint32_t rowFirst = 0;
    std::uint32_t rowNext = 0;
    std::uint32_t afterRows = 0;
};

void beginStart(Context& c) {
    setMark(c.cal.CAL_OFFSET_VALID, 0);
    setMark(c.cal.CAL_SPAN_VALID, 0);
    c.progress = 0;
}

void beginNothing(Context&) {}

void beginWriteMatrix(Context& c) {
    c.cursor = {};
}

void beginReadMatrix(Context& c) {
    for (auto& array : c.cal.CAL_MATRIX_READ) {
        for (auto& row : array) {
            setMark(row[kValidMarkWord], 0);
        }
    }
    c.cursor = {};
}

constexpr Exchange kStartExchanges[] = {
    {0x100, &kScs, 0x103},
    {0x103, &kCts, 0x106},
    {0x106, &kCtr, 0x109},
};
constexpr Exchange kCheckExchanges[] = {
    {0x110, &kCrr, 0x113}, {0x113, &kOlr, 0x116}, {0x116, &kOhr, 0x119},
    {0x119, &kPlr, 0x11c}, {0x11c, &kPhr, 0x11f},
};
constexpr Exchange kStopExchanges[] = {{0x130, &kTcs, 0x133}};
constexpr Exchange kWriteMatrixExchanges[] = {
    {0x151, &kArs, 0x154}, {0x154, &kWas, 0x157}, {0x158, &kOls, 0x15b}, {0x15b, &kOhs, 0x15e},
    {0x15e, &kPls, 0x161}, {0x161, &kPhs, 0x164}, {0x164, &kCts, 0x167},
};
constexpr Exchange kReadMatrixExchanges[] = {
    {0x351, &kArs, 0x354}, {0x354, &kWar, 0x357}, {0x358, &kOlr, 0x35b}, {0x35b, &kOhr, 0x35e},
    {0x35e, &kPlr, 0x361}, {0x361, &kPhr, 0x364}, {0x364, &kCtr, 0x367},
};

constexpr std::uint32_t kCalibrationBits =
    cmd::kStartCalibration | cmd::kCheckCalibration | cmd::kStopCalibration;

constexpr CalAction kActions[] = {
    {cmd::kStartCalibration, cmd::kStartCalibration, 0x100, 0x109, notify::kCalibrationStarted,
     false, EndValue::ProgressCounter, kStartExchanges, beginStart},
    {cmd::kCheckCalibration, cmd::kCheckCalibration, 0x110, 0x11f, notify::kCalibrationChecked,
     true, EndValue::StatusProgress, kCheckExchanges, beginNothing},
    {cmd::kStopCalibration, kCalibrationBits, 0x130, 0x133, notify::kCalibrationStopped, true,
     EndValue::StatusProgress, kStopExchanges, beginNothing},
    {cmd::kWriteMatrix, cmd::kWriteMatrix, 0x150, 0x167, notify::kMatrixWritten, false,
     EndValue::Zero, kWriteMatrixExchanges, beginWriteMatrix, 0x151, 0x157, 0x158},
    {cmd::kReadMatrix, cmd::kReadMatrix, 0x350, 0x367, notify::kMatrixRead, false, EndValue::Zero,
     kReadMatrixExchanges, beginReadMatrix, 0x351, 0x357, 0x358},
};

constexpr bool actionsFitTheirRanges() {
    for (const CalAction& a : kActions) {
        if (a.done > step::kLastStep) {
            return false;
        }
        for (const Exchange& x : a.exchanges) {
            if (x.send <= a.start && x.send != a.start) {
                return false;
            }
            if (x.send + kStepsPerExchange > a.done || x.next > a.done) {
                return false;
            }
        }
    }
    return true;
}
static_assert(actionsFitTheirRanges());

// Rows in transfer order: arrays 0 to 5 one row each, then the ten rows of arrays 6 and 7.
bool nextRow(Cursor& cursor) {
    if (cursor.array == kLastArray && cursor.row == kLastRow) {
        return false;
    }
    if (cursor.array >= kTemperatureArrayFirst && cursor.row < kLastRow) {
        ++cursor.row;
    } else {
        ++cursor.array;
        cursor.row = 0;
    }
    return true;
}

class CalibrationActions final : public ActionFamily {
  public:
    bool ownsStep(std::uint32_t s) const override { return find(s) != nullptr; }

    bool runStep(ActionEngine& e, std::uint32_t s) override {
        const CalAction& action = *find(s);
        Context c{e.records().calibration, cursor_, progress_};
        if (s == action.done) {
            end(e, action, c);
            return true;
        }
        if (s == action.start) {
            if (!e.linkIdle()) {
                return false;
            }
            e.trace().info(actionForBit(action.bit)->text);
            action.begin(c);
            if (action.rowFirst != 0) {
                e.goTo(action.rowFirst);
                return true;
            }
        }
        if (action.rowNext != 0 && s == action.rowNext) {
            e.goTo(nextRow(cursor_) ? action.rowFirst : action.afterRows);
            return true;
        }
        const Exchange* x = exchangeAt(action, s);
        if (x == nullptr) {
            return false;
        }
        const ExchangeResult result =
            e.exchange(buildRequest(*x->request, c), ExchangeSteps::at(x->send), action.start);
        if (!result.replied()) {
            return result.progressed();
        }
        if (x->request->store != nullptr) {
            x->request->store(c, result.reply);
        }
        e.goTo(x->next);
        return true;
    }

  private:
    static const CalAction* find(std::uint32_t s) {
        for (const CalAction& a : kActions) {
            if (s >= a.start && s <= a.done) {
                return &a;
            }
        }
        return nullptr;
    }

    static const Exchange* exchangeAt(const CalAction& action, std::uint32_t s) {
        for (const Exchange& x : action.exchanges) {
            if (s >= x.send && s < x.send + kStepsPerExchange) {
                return &x;
            }
        }
        return nullptr;
    }

    void end(ActionEngine& e, const CalAction& action, Context& c) {
        std::intptr_t value = 0;
        switch (action.endValue) {
            case EndValue::Zero:
                break;
            case EndValue::ProgressCounter:
                value = progress_;
                break;
            case EndValue::StatusProgress:
                if (e.link().inTestMode()) {
                    // The simulated controller's status never moves: report the engine's own
                    // count instead.
                    c.cal.CAL_STATUS = progress_;
                    value = progress_ & 0x0F;
                } else {
                    value = (c.cal.CAL_STATUS >> 4) & 0x0F;
                }
                break;
        }
        e.finish(action.clearBits, action.notification, action.sent, value);
    }

    Cursor cursor_;
    // Status replies of Check Calibration since the last Start Calibration.
    std::int32_t progress_ = 0;
};

}  // namespace

std::unique_ptr<ActionFamily> makeCalibrationActions() {
    return std::make_unique<CalibrationActions>();
}

}  // namespace kvt
