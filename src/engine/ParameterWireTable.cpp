#include "engine/ParameterWireTable.h"

#include <array>

namespace kvt {
namespace {

// ------------------------------------------------------------------------------ requests

enum RequestFlags : unsigned { None = 0, Held = 1, ReleasesHeld = 2, MarksTestFunction = 4 };

// A request of the table: a parameter's own (whose code the catalogue holds), or a byte shared
// by several parameters, with its code.
struct RequestEntry {
    std::string_view read;
    std::uint8_t sharedCode = 0;  // 0: a parameter's own request
    unsigned flags = None;
};

constexpr RequestEntry own(std::string_view read, unsigned flags = None) {
    return {read, 0, flags};
}
constexpr RequestEntry shared(std::string_view read, std::uint8_t code, unsigned flags = None) {
    return {read, code, flags};
}

// The controller's parameters in the order in which they are requested.
constexpr RequestEntry kRequests[] = {
    own("KPR"),
    own("TIR"),
    own("TDR"),
    own("DBR"),
    own("FOR", Held),
    own("FGR", Held),
    own("ILR"),
    own("PFR"),
    own("CYR"),
    shared("CCR", 0x65, ReleasesHeld | MarksTestFunction),
    own("SRR"),
    shared("CAR", 0x61),
    own("SOR"),
    own("SLR"),
    own("OFR"),
    own("SPR"),
    shared("CBR", 0x63),
    own("TRR"),
    own("RFR"),
    shared("CDR", 0x67),
    own("AZR"),
    shared("FRR", 0x14),
    own("TLR"),
    shared("CFR", 0x6b),
    own("ASR"),
    own("IPR"),
    shared("ALR", 0x47),
    shared("CER", 0x69),
    own("SDR"),
    own("PMR"),
    own("PSR"),
    own("LSR"),
    shared("FSR", 0x1c, MarksTestFunction),
    own("CIR"),
    own("CXR"),
    own("AVR"),
    own("HYR"),
    own("DPR"),
    own("DFR"),
    own("DDR"),
    shared("AOR", 0x16),
    own("SHR"),
};
static_assert(std::size(kRequests) == kParameterLines);

// Bits of a byte that belong to no parameter: the test function type in the top bits of CCR.
constexpr BitField testFunctionType(std::string_view request, std::uint8_t shift) {
    BitField b;
    b.request = request;
    b.shift = shift;
    b.width = 2;
    b.target = BitTarget::TestFunctionType;
    return b;
}

constexpr BitField kOtherBits[] = {testFunctionType("CCR", 6)};

// ------------------------------------------------------------------------------ derived

constexpr bool inByte(const ParameterDescription& p, std::string_view request) {
    return p.wire.form == WireSlot::Form::Bits && p.wire.request == request;
}

constexpr std::size_t bitCount(std::string_view request) {
    std::size_t n = 0;
    for (const ParameterDescription& p : parameterCatalogue()) {
        n += inByte(p, request) ? 1 : 0;
    }
    for (const BitField& b : kOtherBits) {
        n += b.request == request ? 1 : 0;
    }
    return n;
}

constexpr std::size_t totalBitCount() {
    std::size_t n = 0;
    for (const RequestEntry& r : kRequests) {
        n += bitCount(r.read);
    }
    return n;
}

// Every bit field of every byte, grouped by request in request order.
constexpr auto kBits = [] {
    std::array<BitField, totalBitCount()> bits{};
    std::size_t n = 0;
    for (const RequestEntry& r : kRequests) {
        for (const ParameterDescription& p : parameterCatalogue()) {
            if (inByte(p, r.read)) {
                BitField& b = bits[n++];
                static_cast<WireBits&>(b) = p.wire.bits;
                b.request = r.read;
                b.field = &p.field;
            }
        }
        for (const BitField& b : kOtherBits) {
            if (b.request == r.read) {
                bits[n++] = b;
            }
        }
    }
    return bits;
}();

constexpr std::span<const BitField> bitsOf(std::string_view request) {
    std::size_t first = 0;
    for (const RequestEntry& r : kRequests) {
        if (r.read == request) {
            return std::span<const BitField>(kBits.data() + first, bitCount(request));
        }
        first += bitCount(r.read);
    }
    return {};
}

// The parameter whose own request this is; nullptr when none.
constexpr const ParameterDescription* ownerOf(std::string_view request) {
    for (const ParameterDescription& p : parameterCatalogue()) {
        if (p.wire.ownsRequest() && (p.wire.request == request || p.wire.highRequest == request)) {
            return &p;
        }
    }
    return nullptr;
}

// A write mnemonic is the read mnemonic with S for R ("KPR", "KPS").
constexpr auto kWriteMnemonics = [] {
    std::array<std::array<char, 3>, kParameterLines> names{};
    for (std::size_t i = 0; i < kParameterLines; ++i) {
        const std::string_view read = kRequests[i].read;
        names[i] = {read[0], read[1], 'S'};
    }
    return names;
}();

// The second byte of a 12-bit number: bits 8-11.
constexpr WireNumber kHighNibble{1.0, 0.0, Encode::HighByte, 1.0, Decode::AddHighNibble};

constexpr WireLine makeLine(std::size_t i) {
    const RequestEntry& r = kRequests[i];
    WireLine line;
    line.readMnemonic = r.read;
    line.held = (r.flags & Held) != 0;
    line.releasesHeld = (r.flags & ReleasesHeld) != 0;
    line.marksTestFunctionRead = (r.flags & MarksTestFunction) != 0;
    if (r.sharedCode != 0) {
        line.readCode = r.sharedCode;
        line.bits = bitsOf(r.read);
    } else if (const ParameterDescription* p = ownerOf(r.read); p->wire.highRequest == r.read) {
        line.readCode = p->wire.highReadCode;
        line.field = &p->field;
        line.number = kHighNibble;
    } else if (p->wire.form == WireSlot::Form::Bits) {
        line.readCode = p->wire.readCode;
        line.bits = bitsOf(r.read);
    } else {
        line.readCode = p->wire.readCode;
        line.field = &p->field;
        line.number = p->wire.number;
    }
    if (line.field == nullptr || line.number.encode != Encode::None) {
        // Each write code is the read code minus 1.
        line.writeMnemonic = std::string_view(kWriteMnemonics[i].data(), 3);
        line.writeCode = static_cast<std::uint8_t>(line.readCode - 1);
    }
    return line;
}

constexpr auto kTable = [] {
    std::array<WireLine, kParameterLines> table{};
    for (std::size_t i = 0; i < kParameterLines; ++i) {
        table[i] = makeLine(i);
    }
    return table;
}();

// The same bits with the flags at the given bit positions inverted.
template <std::size_t N>
constexpr std::array<BitField, N> invertedFlags(std::span<const BitField> bits,
                                                std::uint32_t positions) {
    std::array<BitField, N> out{};
    for (std::size_t i = 0; i < N; ++i) {
        out[i] = bits[i];
        if (out[i].rule == BitRule::Flag && ((positions >> out[i].shift) & 1u) != 0) {
            out[i].setWhen = 1 - out[i].setWhen;
        }
    }
    return out;
}

// The Custom/Factory switch sends bits 0 and 5 inverted; the controller expects it so.
constexpr auto kCasBits = invertedFlags<bitCount("CAR")>(bitsOf("CAR"), 0x21);
// Write Test Function sends bit 5 inverted; the controller expects it so.
constexpr auto kTestFunctionCcsBits = invertedFlags<bitCount("CCR")>(bitsOf("CCR"), 0x20);

// ------------------------------------------------------------------------------ checks

constexpr bool isRequested(std::string_view request, bool ownRequest) {
    for (const RequestEntry& r : kRequests) {
        if (r.read == request) {
            return (r.sharedCode == 0) == ownRequest;
        }
    }
    return false;
}

// Every parameter the line carries names a request of the table of the right kind; every own
// request has exactly one parameter, every shared byte at least one; mnemonics are unique and
// end in R.
constexpr bool requestsMatchTheCatalogue() {
    for (const ParameterDescription& p : parameterCatalogue()) {
        const WireSlot& w = p.wire;
        if (w.form == WireSlot::Form::NotSent) {
            continue;
        }
        if (!isRequested(w.request, w.ownsRequest()) ||
            (!w.highRequest.empty() && !isRequested(w.highRequest, true))) {
            return false;
        }
    }
    for (std::size_t i = 0; i < kParameterLines; ++i) {
        const RequestEntry& r = kRequests[i];
        if (r.read.size() != 3 || r.read.back() != 'R') {
            return false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (kRequests[j].read == r.read) {
                return false;
            }
        }
        std::size_t owners = 0;
        for (const ParameterDescription& p : parameterCatalogue()) {
            owners +=
                p.wire.ownsRequest() && (p.wire.request == r.read || p.wire.highRequest == r.read)
                    ? 1
                    : 0;
        }
        if (r.sharedCode == 0 ? owners != 1 : (owners != 0 || bitCount(r.read) == 0)) {
            return false;
        }
    }
    return true;
}

// The bits of a byte fit in it and do not overlap.
constexpr bool bytesArePacked() {
    for (const RequestEntry& r : kRequests) {
        std::uint32_t used = 0;
        for (const BitField& b : bitsOf(r.read)) {
            const std::uint32_t bits = b.mask() << b.shift;
            if (b.width == 0 || b.shift + b.width > 8 || (used & bits) != 0) {
                return false;
            }
            used |= bits;
        }
    }
    return true;
}

constexpr std::size_t writableLines() {
    std::size_t n = 0;
    for (const WireLine& line : kTable) {
        n += line.writable() ? 1 : 0;
    }
    return n;
}

static_assert(requestsMatchTheCatalogue());
static_assert(bytesArePacked());
static_assert(writableLines() == kWritableParameterLines);

// ------------------------------------------------------------------------------ conversions

std::int32_t bitFieldSource(const BitField& b, const ParameterRecord& set,
                            const TestFunctionState& testFunction) {
    return b.target == BitTarget::TestFunctionType
               ? testFunction.testFunctionType
               : static_cast<std::int32_t>(fieldValue(set, *b.field));
}

std::uint32_t encodeBitField(const BitField& b, std::int32_t v) {
    switch (b.rule) {
        case BitRule::Flag:
            return v == b.setWhen ? 1u : 0u;
        case BitRule::DisplaySelect:
            if (v < b.writeMin || v > b.writeMax) {
                return 0;
            }
            return static_cast<std::uint32_t>(v + 1) & b.mask();
        case BitRule::Value:
            break;
    }
    if (v < b.writeMin || v > b.writeMax) {
        return 0;
    }
    // Masked to the field's width: a value from a damaged file must not spill into the
    // neighbouring fields of the byte.
    return static_cast<std::uint32_t>(v) & b.mask();
}

// The value the raw bits give; current is what the field holds.
std::int32_t decodeBitField(const BitField& b, std::uint32_t raw, std::int32_t current) {
    const auto r = static_cast<std::int32_t>(raw);
    switch (b.rule) {
        case BitRule::Flag:
            return raw != 0 ? b.setWhen : 1 - b.setWhen;
        case BitRule::DisplaySelect:
            return (r + 7) % 8;
        case BitRule::Value:
            break;
    }
    if (r >= b.readMin && r <= b.readMax) {
        return r;
    }
    return b.readOther == Rejected::Zero ? 0 : current;
}

}  // namespace

std::uint8_t lineByte(double value) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(truncatedInt(value)));
}

std::span<const WireLine> parameterWireTable() {
    return kTable;
}

const WireLine* findWireLine(std::string_view readMnemonic) {
    for (const WireLine& line : kTable) {
        if (line.readMnemonic == readMnemonic) {
            return &line;
        }
    }
    return nullptr;
}

std::span<const BitField> customFactoryLayout() {
    return kCasBits;
}

std::span<const BitField> testFunctionControlLayout() {
    return kTestFunctionCcsBits;
}

std::uint8_t encodeBits(std::span<const BitField> bits, const ParameterRecord& set,
                        const TestFunctionState& testFunction) {
    std::uint32_t byte = 0;
    for (const BitField& b : bits) {
        byte |= encodeBitField(b, bitFieldSource(b, set, testFunction)) << b.shift;
    }
    return static_cast<std::uint8_t>(byte);
}

void decodeBits(std::span<const BitField> bits, std::uint8_t byte, ParameterRecord& set,
                TestFunctionState& testFunction) {
    for (const BitField& b : bits) {
        const std::uint32_t raw = (std::uint32_t{byte} >> b.shift) & b.mask();
        if (b.target == BitTarget::TestFunctionType) {
            testFunction.testFunctionTypeRead =
                decodeBitField(b, raw, testFunction.testFunctionTypeRead);
        } else {
            setFieldValue(
                set, *b.field,
                decodeBitField(b, raw, static_cast<std::int32_t>(fieldValue(set, *b.field))));
        }
    }
}

std::uint8_t encodeLine(const WireLine& line, const ParameterRecord& set,
                        const TestFunctionState& testFunction) {
    if (!line.bits.empty()) {
        return encodeBits(line.bits, set, testFunction);
    }
    const WireNumber& n = line.number;
    const double v = fieldValue(set, *line.field);
    switch (n.encode) {
        case Encode::Rounded:
            return lineByte(v * n.writeScale + 0.05);
        case Encode::RoundFirst:
            return lineByte((v + 0.05) * n.writeScale);
        case Encode::Divided:
            return lineByte(v / n.writeScale);
        case Encode::LowByte:
            return lineByte(v - n.readOffset);
        case Encode::HighByte:
            return static_cast<std::uint8_t>(static_cast<std::uint32_t>(truncatedInt(v)) >> 8);
        case Encode::None:
            break;
    }
    return 0;
}

void decodeLine(const WireLine& line, std::uint8_t b, ParameterRecord& set,
                TestFunctionState& testFunction) {
    if (!line.bits.empty()) {
        decodeBits(line.bits, b, set, testFunction);
    } else if (line.number.decode == Decode::AddHighNibble) {
        setFieldValue(set, *line.field, fieldValue(set, *line.field) + (b & 0x0F) * 256.0);
    } else {
        setFieldValue(set, *line.field, b * line.number.readScale + line.number.readOffset);
    }
    if (line.marksTestFunctionRead) {
        testFunction.testFunctionReadMark = 1;
    }
}

}  // namespace kvt
