// Read Parameter, Write Parameter and the Custom/Factory parameter set switch.
//
// Steps (three per exchange: send, await the send, await the reply):
//   0x05 .. 0x82  Read Parameter: the 42 reads of the wire table, KPR at 0x05 .. SHR at 0x80
//   0x83          Read Parameter: reset ACTION_RETRY
//   0x84          Read Parameter: device set valid, notification 0x40
//   0x85 .. 0xfc  Write Parameter: the 40 writes, KPS at 0x85 .. SHS at 0xfa
//   0xfd          Write Parameter: notification 0x41
//   0x280 .. 0x282  Custom/Factory: CAS
//   0x283           Custom/Factory: notification 0x42
#include <array>

#include "engine/ActionFamilies.h"
#include "engine/ParameterWireTable.h"

namespace kvt {
namespace {

constexpr std::uint32_t kStepsPerExchange = 3;

constexpr std::uint32_t kReadFirst = 0x5;
constexpr std::uint32_t kReadRetryReset = 0x83;
constexpr std::uint32_t kReadDone = 0x84;

constexpr std::uint32_t kWriteFirst = 0x85;
constexpr std::uint32_t kWriteDone = 0xfd;

constexpr std::uint32_t kSetFirst = 0x280;
constexpr std::uint32_t kSetDone = 0x283;

static_assert(kReadFirst + kParameterLines * kStepsPerExchange == kReadRetryReset);
static_assert(kWriteFirst + kWritableParameterLines * kStepsPerExchange == kWriteDone);

constexpr std::string_view kCasMnemonic = "CAS";
constexpr std::uint8_t kCasCode = 0x60;

std::string_view actionText(std::uint32_t bit) {
    const ActionEntry* entry = actionForBit(bit);
    return entry != nullptr ? entry->text : std::string_view{};
}

class ParameterActions final : public ActionFamily {
  public:
    ParameterActions() {
        std::size_t n = 0;
        for (const WireLine& line : parameterWireTable()) {
            if (line.writable()) {
                writable_[n++] = &line;
            }
        }
    }

    bool ownsStep(std::uint32_t s) const override {
        return (s >= kReadFirst && s <= kReadDone) || (s >= kWriteFirst && s <= kWriteDone) ||
               (s >= kSetFirst && s <= kSetDone);
    }

    bool runStep(ActionEngine& e, std::uint32_t s) override {
        if (s >= kReadFirst && s <= kReadDone) {
            return runRead(e, s);
        }
        if (s >= kWriteFirst && s <= kWriteDone) {
            return runWrite(e, s);
        }
        return runCustomFactory(e, s);
    }

  private:
    bool runRead(ActionEngine& e, std::uint32_t s) {
        ParameterRecord& device = e.records().params.deviceSet;
        if (s == kReadRetryReset) {
            e.resetRetryCount();
            e.goTo(kReadDone);
            return true;
        }
        if (s == kReadDone) {
            device.VALID = 1;
            e.finish(cmd::kReadParameter, notify::kParametersRead);
            return true;
        }
        if (s == kReadFirst && e.linkIdle()) {
            device.VALID = 0;
            e.trace().info(actionText(cmd::kReadParameter));
        }
        const std::uint32_t index = (s - kReadFirst) / kStepsPerExchange;
        const std::uint32_t send = kReadFirst + index * kStepsPerExchange;
        const WireLine& line = parameterWireTable()[index];
        const ExchangeResult result = e.exchange(Request::read(line.readMnemonic, line.readCode),
                                                 ExchangeSteps::at(send), kReadFirst);
        if (!result.replied()) {
            return result.progressed();
        }
        store(line, result.reply[1], e.records());
        e.goTo(send + kStepsPerExchange);
        return true;
    }

    // FOR and FGR come before CCR on the line but reach the device set only with it.
    void store(const WireLine& line, std::uint8_t b, Records& records) {
        ParameterRecord& device = records.params.deviceSet;
        if (line.held) {
            decodeLine(line, b, held_, records.testFunction);
            return;
        }
        decodeLine(line, b, device, records.testFunction);
        if (line.releasesHeld) {
            for (const WireLine& other : parameterWireTable()) {
                if (other.held) {
                    setFieldValue(device, *other.field, fieldValue(held_, *other.field));
                }
            }
        }
    }

    bool runWrite(ActionEngine& e, std::uint32_t s) {
        if (s == kWriteDone) {
            e.finish(cmd::kWriteParameter, notify::kParametersWritten);
            return true;
        }
        if (s == kWriteFirst && e.linkIdle()) {
            e.trace().info(actionText(cmd::kWriteParameter));
        }
        const std::uint32_t index = (s - kWriteFirst) / kStepsPerExchange;
        const std::uint32_t send = kWriteFirst + index * kStepsPerExchange;
        const WireLine& line = *writable_[index];
        const Records& r = e.records();
        const Request request =
            Request::write(line.writeMnemonic, line.writeCode,
                           encodeLine(line, r.params.currentSet, r.testFunction));
        const ExchangeResult result = e.exchange(request, ExchangeSteps::at(send), kWriteFirst);
        if (!result.replied()) {
            return result.progressed();
        }
        e.goTo(send + kStepsPerExchange);
        return true;
    }

    bool runCustomFactory(ActionEngine& e, std::uint32_t s) {
        if (s == kSetDone) {
            e.finish(cmd::kCustomFactorySet | cmd::kCustomFactorySetAlt, notify::kParameterSetSent);
            return true;
        }
        if (s == kSetFirst && e.linkIdle()) {
            e.trace().info(actionText(cmd::kCustomFactorySet));
        }
        const Records& r = e.records();
        const Request request =
            Request::write(kCasMnemonic, kCasCode,
                           encodeBits(customFactoryLayout(), r.params.currentSet, r.testFunction));
        const ExchangeResult result = e.exchange(request, ExchangeSteps::at(kSetFirst), kSetFirst);
        if (!result.replied()) {
            return result.progressed();
        }
        e.goTo(kSetDone);
        return true;
    }

    std::array<const WireLine*, kWritableParameterLines> writable_{};
    // FOR and FGR as last read; kept between actions.
    ParameterRecord held_{};
};

}  // namespace

std::unique_ptr<ActionFamily> makeParameterActions() {
    return std::make_unique<ParameterActions>();
}

}  // namespace kvt
