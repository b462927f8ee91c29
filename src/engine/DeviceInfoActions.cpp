// Read Device Info, Read Status Update (LED) and the two counter resets.
#include <algorithm>
#include <cstring>

#include "engine/ActionFamilies.h"

namespace kvt {
namespace {

using Reply = std::span<const std::uint8_t>;
using Decoder = void (*)(Records&, Reply);

// One request of a read action: where its three steps start, where it goes after a good reply.
struct ReadStep {
    std::uint32_t send;
    std::string_view mnemonic;
    std::uint8_t code;
    std::int32_t replyLength;
    Decoder decode;
    std::uint32_t next;
};

void decodeDir(Records& r, Reply b) {
    DeviceInfo& d = r.deviceInfo;
    for (int i = 0; i < 3; ++i) {
        d.partNumberDigits[2 * i] = b[1 + i] >> 4;
        d.partNumberDigits[2 * i + 1] = b[1 + i] & 0x0F;
    }
    d.partNumberSuffix = b[4] * 256 + b[5];
    d.serialNumber = b[6] * 65536 + b[7] * 256 + b[8];
    d.productionYear = b[9];
    d.productionWeek = b[10];
}

void decodeVer(Records& r, Reply b) {
    r.deviceInfo.firmwareVersion = b[1];
}

void decodeOcr(Records& r, Reply b) {
    DeviceInfo& d = r.deviceInfo;
    d.operationMinutes = b[1] * 65536 + b[2] * 256 + b[3];
    d.calibrationCounter = b[4];
    d.calibrationYear = b[5];
    d.calibrationMonth = b[6];
    d.calibrationDay = b[7];
    d.calibrationStatus = b[8];
}

void decodeVtr(Records& r, Reply b) {
    r.deviceInfo.moduleTemperature = b[1] - 50;
}
void decodeCtr(Records& r, Reply b) {
    r.deviceInfo.calibrationTemperature = b[1];
}

void decodeAxr(Records& r, Reply b) {
    std::copy(b.begin() + 1, b.begin() + 11, std::begin(r.deviceInfo.partNumberText1));
}

void decodeAx2r(Records& r, Reply b) {
    std::copy(b.begin() + 1, b.begin() + 11, std::begin(r.deviceInfo.partNumberText2));
}

// Set bits and clear bits give different codes per status word, as the dialog shows them.
struct StatusBit {
    int bit;
    std::int32_t StatusInfo::*field;
    std::int32_t set;
    std::int32_t clear;
};

constexpr StatusBit kStatusBits[] = {
    {7, &StatusInfo::overvoltage, 2, 1},     {6, &StatusInfo::undervoltage, 2, 1},
    {5, &StatusInfo::overtemperature, 2, 1}, {4, &StatusInfo::digitalOut, 1, 2},
    {3, &StatusInfo::jumper, 1, 2},          {2, &StatusInfo::keyLock, 2, 1},
    {1, &StatusInfo::manualSetpoint, 2, 1},  {0, &StatusInfo::reserve, 1, 0},
};

void decodeStr(Records& r, Reply b) {
    for (const auto& s : kStatusBits) {
        r.status.*s.field = ((b[1] >> s.bit) & 1) != 0 ? s.set : s.clear;
    }
}

void decodeLer(Records& r, Reply b) {
    r.status.ledGreen = b[1] & 3;
    r.status.ledYellow = (b[1] >> 2) & 3;
    r.status.ledRed = (b[1] >> 4) & 3;
}

constexpr std::uint32_t kInfoStart = 0x170;
constexpr std::uint32_t kInfoTextCheck = 0x183;
constexpr std::uint32_t kInfoValid = 0x18b;
constexpr std::uint32_t kInfoDone = 0x18c;
constexpr std::uint32_t kInfoLast = 0x18c;
constexpr int kFirmwareWithTextPartNumber = 7;

constexpr ReadStep kInfoSteps[] = {
    {0x170, "DIR", 0x70, 12, decodeDir, 0x173},   {0x174, "VER", 0x23, 3, decodeVer, 0x177},
    {0x178, "OCR", 0x71, 10, decodeOcr, 0x17b},   {0x17c, "VTR", 0x52, 3, decodeVtr, 0x17f},
    {0x180, "CTR", 0x54, 3, decodeCtr, 0x183},    {0x183, "AXR", 0x96, 12, decodeAxr, 0x186},
    {0x187, "AX2R", 0x98, 12, decodeAx2r, 0x18a},
};

constexpr std::uint32_t kStatusStart = 0x190;
constexpr std::uint32_t kStatusDone = 0x197;
constexpr std::uint32_t kStatusLast = 0x197;

constexpr ReadStep kStatusSteps[] = {
    {0x190, "STR", 0x6c, 3, decodeStr, 0x193},
    {0x193, "LER", 0x6e, 3, decodeLer, 0x196},
};

// The steps between two requests only move on.
std::uint32_t advanceStepTarget(std::uint32_t s) {
    switch (s) {
        case 0x173:
        case 0x177:
        case 0x17b:
        case 0x17f:
        case 0x186:
        case 0x18a:
        case 0x196:
            return s + 1;
        default:
            return 0;
    }
}

const ReadStep* findRead(std::span<const ReadStep> steps, std::uint32_t s) {
    for (const auto& r : steps) {
        if (s >= r.send && s <= r.send + 2) {
            return &r;
        }
    }
    return nullptr;
}

constexpr std::uint32_t kOperationCounterStart = 0x260;
constexpr std::uint32_t kCalibrationCounterStart = 0x270;
constexpr std::int32_t kCounterResetWaitMs = 3;

class DeviceInfoActions final : public ActionFamily {
  public:
    bool ownsStep(std::uint32_t s) const override {
        return (s >= kInfoStart && s <= kInfoLast) || (s >= kStatusStart && s <= kStatusLast) ||
               (s >= kOperationCounterStart && s <= kOperationCounterStart + 2) ||
               (s >= kCalibrationCounterStart && s <= kCalibrationCounterStart + 2);
    }

    bool runStep(ActionEngine& e, std::uint32_t s) override {
        if (s >= kInfoStart && s <= kInfoLast) {
            return runDeviceInfo(e, s);
        }
        if (s >= kStatusStart && s <= kStatusLast) {
            return runStatus(e, s);
        }
        return runCounterReset(e, s);
    }

  private:
    static bool runRead(ActionEngine& e, const ReadStep& r, std::uint32_t actionStart,
                        bool* failed = nullptr) {
        const ExchangeResult result = e.exchange(Request::read(r.mnemonic, r.code, r.replyLength),
                                                 ExchangeSteps::at(r.send), actionStart);
        if (failed != nullptr) {
            *failed = result.failed();
        }
        if (!result.replied()) {
            return result.progressed();
        }
        r.decode(e.records(), result.reply);
        e.goTo(r.next);
        return true;
    }

    static bool runDeviceInfo(ActionEngine& e, std::uint32_t s) {
        if (const std::uint32_t next = advanceStepTarget(s)) {
            e.goTo(next);
            return true;
        }
        DeviceInfo& info = e.records().deviceInfo;
        if (s == kInfoTextCheck && info.firmwareVersion < kFirmwareWithTextPartNumber) {
            e.goTo(kInfoValid);
            return true;
        }
        if (s == kInfoValid) {
            info.deviceInfoValid = 1;
            e.goTo(kInfoDone);
            return true;
        }
        if (s == kInfoDone) {
            e.finish(cmd::kReadDeviceInfo, notify::kDeviceInfoRead);
            return true;
        }
        if (s == kInfoStart && e.linkIdle()) {
            std::memset(&info, 0, sizeof info);
            e.trace().info(" Read Device Info ");
        }
        const ReadStep* r = findRead(kInfoSteps, s);
        return r != nullptr && runRead(e, *r, kInfoStart);
    }

    static bool runStatus(ActionEngine& e, std::uint32_t s) {
        if (const std::uint32_t next = advanceStepTarget(s)) {
            e.goTo(next);
            return true;
        }
        StatusInfo& status = e.records().status;
        if (s == kStatusDone) {
            status.statusValid = 1;
            e.finish(cmd::kReadStatus, notify::kStatusRead);
            return true;
        }
        if (s == kStatusStart && e.linkIdle()) {
            e.trace().info(" Read Status Update, LED ");
        }
        const ReadStep* r = findRead(kStatusSteps, s);
        if (r == nullptr) {
            return false;
        }
        bool failed = false;
        const bool progressed = runRead(e, *r, kStatusStart, &failed);
        if (failed) {
            status.statusValid = 0;
        }
        return progressed;
    }

    // The resets send nothing to the controller; like every action they first wait until no
    // exchange runs.
    static bool runCounterReset(ActionEngine& e, std::uint32_t s) {
        const bool operation = s < kCalibrationCounterStart;
        const std::uint32_t start = operation ? kOperationCounterStart : kCalibrationCounterStart;
        switch (s - start) {
            case 0:
                if (!e.linkIdle()) {
                    return false;
                }
                e.trace().info(operation ? " Reset Operation Counter "
                                         : " Reset Calibration Counter ");
                if (operation) {
                    e.startTimer(TimerEngineWait, kCounterResetWaitMs);
                }
                e.goTo(s + 1);
                return true;
            case 1:
                if (operation && !e.timerExpired(TimerEngineWait)) {
                    return false;
                }
                e.goTo(s + 1);
                return true;
            default:
                if (operation) {
                    e.finish(cmd::kResetOperationCounter, notify::kOperationCounterReset);
                } else {
                    e.finish(cmd::kResetCalibrationCounter, notify::kCalibrationCounterReset);
                }
                return true;
        }
    }
};

}  // namespace

std::unique_ptr<ActionFamily> makeDeviceInfoActions() {
    return std::make_unique<DeviceInfoActions>();
}

}  // namespace kvt
