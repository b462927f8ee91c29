#include "link/SimulatedDevice.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "link/Frame.h"

namespace kvt {
namespace {

enum class Kind {
    Other,          // 00 01 02 00, not a valid reply
    Ack,            // ACK when the request is valid, else NAK; resets the stream counter
    AckStreamIdle,  // as Ack, but ACK only while the stream counter is 0
    AckLong,        // the 13-byte matrix row write
    Fixed40,        // 02 40 40 whatever the request
    FixedFF,        // 02 ff ff whatever the request
    FixedValue,     // 02 v v when valid, else 02 15 00
    Stream,         // synthetic 6-byte records
    Bytes0To9,      // 02 00..09 2d, else 02 15 15
    Counters,       // eight counter bytes, else 02 15 00
    Bytes1To10,     // 02 01..0a 37, else 02 15 00
    Text,           // ten characters of a textual part number, else 02 15 00
    AckOrByte,      // ACK when one byte is awaited, else the fixed value
};

struct Entry {
    Kind kind = Kind::Other;
    std::uint8_t value = 0;
};

using Table = std::array<Entry, 256>;

void set(Table& t, std::initializer_list<int> codes, Entry e) {
    for (int c : codes) {
        t[static_cast<std::size_t>(c)] = e;
    }
}

void setRange(Table& t, int first, int last, int step, Entry e) {
    for (int c = first; c <= last; c += step) {
        t[static_cast<std::size_t>(c)] = e;
    }
}

Table buildTable() {
    Table t{};
    const Entry ack{Kind::Ack, 0};
    setRange(t, 0x01, 0x21, 2, ack);
    setRange(t, 0x24, 0x28, 1, ack);
    set(t, {0x2a, 0x2c, 0x30}, ack);
    setRange(t, 0x32, 0x4c, 2, ack);
    set(t, {0x50, 0x53, 0x56, 0x57, 0x59, 0x5b, 0x5d, 0x60}, ack);
    setRange(t, 0x62, 0x6a, 2, ack);
    set(t, {0x73, 0x76, 0x78, 0x8e, 0x91, 0x93}, ack);
    set(t, {0x29}, {Kind::AckStreamIdle, 0});
    set(t, {0x74}, {Kind::AckLong, 0});

    const Entry fixed40{Kind::Fixed40, 0x40};
    setRange(t, 0x02, 0x1a, 2, fixed40);
    setRange(t, 0x31, 0x3d, 2, fixed40);
    setRange(t, 0x41, 0x4b, 2, fixed40);
    setRange(t, 0x61, 0x6b, 2, fixed40);
    set(t, {0x8f, 0x94}, fixed40);

    set(t, {0x1c, 0x1e, 0x20, 0x22, 0x2b, 0x2d, 0x3f, 0x4d, 0x52, 0x54, 0x77, 0x79},
        {Kind::FixedValue, 0x1b});
    set(t, {0x23}, {Kind::FixedValue, 0x17});
    set(t, {0x5f}, {Kind::FixedValue, 0x83});
    set(t, {0x58, 0x5c}, {Kind::FixedValue, 0x10});
    set(t, {0x5a, 0x5e}, {Kind::FixedValue, 0x03});
    set(t, {0x6c}, {Kind::FixedValue, 0x00});
    set(t, {0x6e}, {Kind::FixedFF, 0xff});
    set(t, {0x70}, {Kind::Bytes0To9, 0});
    set(t, {0x71}, {Kind::Counters, 0});
    set(t, {0x75}, {Kind::Bytes1To10, 0});
    set(t, {SimulatedDevice::kStreamTrigger, SimulatedDevice::kStreamStepRamp}, {Kind::Stream, 0});

    // Requests that the table as first drawn left without a usable reply, so that Read Parameter
    // and Read Device Info could never finish in test mode: the two auto-zero reads get a value
    // of 0 (raw 0x80), the textual part number reads get ten characters, the PWM setpoint is
    // acknowledged, and the calibration stop code answers with an acknowledge where the serial
    // setpoint switch-off awaits one.
    set(t, {0x55, 0x7f}, {Kind::FixedValue, 0x80});
    set(t, {0x96, 0x98}, {Kind::Text, 0});
    set(t, {0x7e}, ack);
    set(t, {0x51}, {Kind::AckOrByte, 0x83});
    return t;
}

const Table& table() {
    static const Table instance = buildTable();
    return instance;
}

bool isValidShortRequest(std::span<const std::uint8_t> req) {
    return req.size() >= 4 && req[0] == STX && req[3] == ComputeBcc(req.subspan(1, 2));
}

std::vector<std::uint8_t> dataReply(std::initializer_list<std::uint8_t> data) {
    std::vector<std::uint8_t> out{STX};
    out.insert(out.end(), data);
    out.push_back(ComputeBcc(std::span(out).subspan(1)));
    return out;
}

}  // namespace

void SimulatedDevice::appendStream(std::vector<std::uint8_t>& out, std::size_t length) {
    while (out.size() < length) {
        const std::uint32_t k = streamCounter_;
        const auto s = static_cast<std::int32_t>((std::sin(k * 0.01) * 50.0 + 50.0) * 2.55);
        auto r = static_cast<std::int32_t>((201.0 - k) * 2.55);
        std::uint8_t last = 0x02;
        streamCounter_ = k + 1;
        if (streamCounter_ < 100) {
            r = 0;
            last = 0x00;
        }
        if (streamCounter_ > 3000) {
            streamCounter_ = 0;
        }
        const std::uint8_t record[kStreamRecordSize] = {
            STX, static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(r), 0xC0, 0x80, last};
        out.insert(out.end(), std::begin(record), std::end(record));
    }
    out.resize(length);
}

std::vector<std::uint8_t> SimulatedDevice::replyFor(std::span<const std::uint8_t> request,
                                                    std::int32_t expectedLength) {
    if (request.size() < 2) {
        return {0x00, 0x01, 0x02, 0x00};
    }
    const std::uint8_t code = request[1];
    const Entry& entry = table()[code];
    const bool valid = isValidShortRequest(request);
    const std::vector<std::uint8_t> rejected{STX, NAK, 0x00};
    switch (entry.kind) {
        case Kind::Ack:
            streamCounter_ = 0;
            return {valid ? ACK : NAK};
        case Kind::AckStreamIdle: {
            const bool idle = streamCounter_ == 0;
            streamCounter_ = 0;
            return {valid && idle ? ACK : NAK};
        }
        case Kind::AckLong: {
            const bool ok = request.size() >= 13 && request[0] == STX &&
                            request[12] == ComputeBcc(request.subspan(1, 11));
            streamCounter_ = 0;
            return {ok ? ACK : NAK};
        }
        case Kind::AckOrByte:
            if (expectedLength == 1) {
                streamCounter_ = 0;
                return {valid ? ACK : NAK};
            }
            return valid ? dataReply({entry.value}) : rejected;
        case Kind::Fixed40:
        case Kind::FixedFF:
            return dataReply({entry.value});
        case Kind::FixedValue:
            return valid ? dataReply({entry.value}) : rejected;
        case Kind::Bytes0To9:
            return valid ? dataReply({0, 1, 2, 3, 4, 5, 6, 7, 8, 9})
                         : std::vector<std::uint8_t>{STX, NAK, NAK};
        case Kind::Counters:
            // The counter bytes with their true checksum (0xdc); the table once said 0xa8.
            return valid ? dataReply({0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77}) : rejected;
        case Kind::Bytes1To10:
            return valid ? dataReply({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}) : rejected;
        case Kind::Text:
            return valid ? (code == 0x96
                                ? dataReply({'T', 'E', 'S', 'T', 'M', 'O', 'D', 'E', '-', '0'})
                                : dataReply({'0', '0', '1', ' ', ' ', ' ', ' ', ' ', ' ', ' '}))
                         : rejected;
        case Kind::Stream: {
            std::vector<std::uint8_t> out;
            const auto length = static_cast<std::size_t>(std::clamp<std::int32_t>(
                expectedLength, 0, static_cast<std::int32_t>(kScratchSize)));
            out.reserve(length + kStreamRecordSize);
            appendStream(out, length);
            return out;
        }
        case Kind::Other:
            break;
    }
    return {0x00, 0x01, 0x02, 0x00};
}

void SimulatedDevice::SimulateReply(LinkState& link) {
    const auto length = static_cast<std::size_t>(
        std::clamp<std::int32_t>(link.transmitLength.load(), 0, kLinkBufferSize));
    const std::vector<std::uint8_t> reply =
        replyFor(std::span(link.transmitBuffer.data(), std::max<std::size_t>(length, 4)),
                 link.expectedLength.load());
    // Unlike a port, the simulation could outrun the ring: only what fits is appended.
    link.ring.append(reply);
}

}  // namespace kvt
