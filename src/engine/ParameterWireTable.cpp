#include "engine/ParameterWireTable.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kvt {
namespace {

using R = ParameterRecord;

// --- bit fields ---

constexpr BitField value(std::int32_t R::*field, std::uint8_t shift, std::uint8_t width) {
    BitField b;
    b.field = field;
    b.shift = shift;
    b.width = width;
    return b;
}

constexpr BitField flag(std::int32_t R::*field, std::uint8_t bit, std::int32_t setWhen = 1) {
    BitField b = value(field, bit, 1);
    b.rule = BitRule::Flag;
    b.setWhen = setWhen;
    return b;
}

constexpr BitField displaySelect(std::int32_t R::*field, std::uint8_t shift) {
    BitField b = value(field, shift, 3);
    b.rule = BitRule::DisplaySelect;
    return b.writes(0, 7);
}

constexpr BitField testFunctionType(std::uint8_t shift) {
    BitField b = value(nullptr, shift, 2);
    b.target = BitTarget::TestFunctionType;
    return b;
}

// Signal choices 0 "0 - 10 V", 1 "0 - 20 mA", 2 "4 - 20 mA": a read of another code keeps the
// field, a write of another value sends 0.
constexpr BitField signal(std::int32_t R::*field, std::uint8_t shift, std::uint8_t width) {
    return value(field, shift, width).reads(0, 2, Rejected::Keep).writes(0, 2);
}

// Feedback choices 1 to 5; every other code is 0 both ways.
constexpr BitField feedback(std::int32_t R::*field, std::uint8_t shift) {
    return value(field, shift, 3).reads(1, 5, Rejected::Zero).writes(1, 5);
}

constexpr BitField kCcrBits[] = {
    value(&R::CONTROLLER_STRUCTURE, 0, 3),
    value(&R::SETPOINT_RANGE_DETECTION, 3, 2),
    flag(&R::AUTO_ZERO_FEEDBACK_ANALOG_IN_1, 5),
    testFunctionType(6),
};

// Write Test Function sends bit 5 inverted; the controller expects it so.
constexpr BitField kTestFunctionCcsBits[] = {
    value(&R::CONTROLLER_STRUCTURE, 0, 3),
    value(&R::SETPOINT_RANGE_DETECTION, 3, 2),
    flag(&R::AUTO_ZERO_FEEDBACK_ANALOG_IN_1, 5, 0),
    testFunctionType(6),
};

constexpr BitField kSrrBits[] = {
    value(&R::SETPOINT_SIGNAL, 0, 8).reads(0, 2, Rejected::Keep),
};

constexpr BitField kCarBits[] = {
    flag(&R::OVERTEMPERATURE, 0),
    value(&R::SETPOINT_SELECTION, 1, 3).reads(0, 5, Rejected::Keep).writes(0, 5),
    flag(&R::SETPOINT_DIRECTION, 4),
    flag(&R::AUTOSAFE, 5),
    flag(&R::PARAMETER_SET, 6, 0),  // set: Custom (0); clear: Factory (1)
    flag(&R::SETPOINT_ADJUSTMENT, 7),
};

// The Custom/Factory switch sends bits 0 and 5 inverted; the controller expects it so.
constexpr BitField kCasBits[] = {
    flag(&R::OVERTEMPERATURE, 0, 0), value(&R::SETPOINT_SELECTION, 1, 3).writes(0, 5),
    flag(&R::SETPOINT_DIRECTION, 4), flag(&R::AUTOSAFE, 5, 0),
    flag(&R::PARAMETER_SET, 6, 0),   flag(&R::SETPOINT_ADJUSTMENT, 7),
};

constexpr BitField kSorBits[] = {
    value(&R::SHUT_OFF, 0, 8).reads(0, 1, Rejected::Keep).writes(1, 1),
};

constexpr BitField kCbrBits[] = {
    value(&R::PRESSURE_SWITCH_OUTPUT_SOURCE, 0, 2),
    value(&R::RAMP_FUNCTION, 2, 2),
    flag(&R::SELECT_POLARITY, 4),
    value(&R::SELECT_FUNCTION, 5, 3).reads(0, 6, Rejected::Zero).writes(1, 6),
};

constexpr BitField kCdrBits[] = {
    value(&R::ANALOG_OUT_SELECT, 0, 3),
    value(&R::ERROR_SELECT, 3, 3),
    value(&R::OPTION_INPUT_PRESSURE_SENSOR, 6, 2),
};

constexpr BitField kFrrBits[] = {
    signal(&R::ANALOG_IN_1_SIGNAL, 0, 3),
    flag(&R::ANALOG_IN_1_DIRECTION, 3),
    signal(&R::ANALOG_IN_2_SIGNAL, 4, 3),
    flag(&R::ANALOG_IN_2_DIRECTION, 7),
};

constexpr BitField kCfrBits[] = {
    flag(&R::AUTOSAFE_SOURCE, 0),
    flag(&R::KEY_LOCK, 1),
    flag(&R::I_VALUE, 2),
    flag(&R::AUTO_ZERO_FEEDBACK_ANALOG_IN_2, 3),
    flag(&R::PWM, 4),
    displaySelect(&R::DISPLAY_SELECT, 5),
};

constexpr BitField kAlrBits[] = {
    value(&R::DELAY_TIME, 0, 3),
    value(&R::COIL_OFF_TIME, 3, 3),
    value(&R::COIL_ON_TIME, 6, 2),
};

constexpr BitField kCerBits[] = {
    value(&R::LED_GREEN, 0, 2),
    value(&R::LED_YELLOW, 2, 2),
    value(&R::LED_RED, 4, 2),
    value(&R::KEY_FUNCTION, 6, 2),
};

constexpr BitField kFsrBits[] = {
    feedback(&R::FEEDBACK_SELECT, 0),
    feedback(&R::FEEDBACK_SELECT_SLAVE, 4),
};

constexpr BitField kAorBits[] = {
    signal(&R::ANALOG_OUT_SIGNAL, 0, 2),
    flag(&R::ANALOG_OUT_DIRECTION, 2),
};

// --- numbers ---

constexpr Number plain(FieldRef field) {
    return {field, 1.0, 0.0, Encode::LowByte, 1.0, Decode::Scaled};
}
constexpr Number scaled(FieldRef field, double readScale, double writeScale) {
    return {field, readScale, 0.0, Encode::Rounded, writeScale, Decode::Scaled};
}
constexpr Number offset(FieldRef field, double readOffset) {
    return {field, 1.0, readOffset, Encode::LowByte, 1.0, Decode::Scaled};
}
constexpr Number readOnly(FieldRef field, double readOffset) {
    return {field, 1.0, readOffset, Encode::None, 1.0, Decode::Scaled};
}
constexpr Number divided(FieldRef field, double scale) {
    return {field, scale, 0.0, Encode::Divided, scale, Decode::Scaled};
}
constexpr Number roundFirst(FieldRef field, double readScale, double writeScale) {
    return {field, readScale, 0.0, Encode::RoundFirst, writeScale, Decode::Scaled};
}
constexpr Number highNibble(FieldRef field) {
    return {field, 1.0, 0.0, Encode::HighByte, 1.0, Decode::AddHighNibble};
}

// --- lines ---

enum LineFlags : unsigned { None = 0, Held = 1, ReleasesHeld = 2, MarksTestFunction = 4 };

constexpr WireLine number(std::string_view read, std::uint8_t readCode, std::string_view write,
                          std::uint8_t writeCode, Number n, unsigned flags = None) {
    return {read,
            readCode,
            write,
            writeCode,
            n,
            {},
            (flags & Held) != 0,
            (flags & ReleasesHeld) != 0,
            (flags & MarksTestFunction) != 0};
}

constexpr WireLine packed(std::string_view read, std::uint8_t readCode, std::string_view write,
                          std::uint8_t writeCode, std::span<const BitField> bits,
                          unsigned flags = None) {
    return {read,
            readCode,
            write,
            writeCode,
            {},
            bits,
            (flags & Held) != 0,
            (flags & ReleasesHeld) != 0,
            (flags & MarksTestFunction) != 0};
}

// The controller's parameters in the order in which they are requested.
constexpr WireLine kTable[] = {
    number("KPR", 0x02, "KPS", 0x01, scaled(&R::PROPORTIONAL_GAIN, 0.1, 10.0)),
    number("TIR", 0x04, "TIS", 0x03, scaled(&R::INTEGRATION_TIME, 0.05, 20.0)),
    number("TDR", 0x06, "TDS", 0x05, plain(&R::DERIVATION_TIME)),
    number("DBR", 0x08, "DBS", 0x07, scaled(&R::DEAD_BAND, 0.1, 10.0)),
    number("FOR", 0x33, "FOS", 0x32, plain(&R::FORWARD_OFFSET), Held),
    number("FGR", 0x35, "FGS", 0x34, scaled(&R::FORWARD_GAIN, 0.01, 100.0), Held),
    number("ILR", 0x37, "ILS", 0x36, plain(&R::INTEGRATION_LIMIT)),
    number("PFR", 0x39, "PFS", 0x38, scaled(&R::PWM_FREQUENCY, 10.0, 0.1)),
    number("CYR", 0x3b, "CYS", 0x3a, plain(&R::CONTROL_CYCLE_TIME)),
    packed("CCR", 0x65, "CCS", 0x64, kCcrBits, ReleasesHeld | MarksTestFunction),
    packed("SRR", 0x12, "SRS", 0x11, kSrrBits),
    packed("CAR", 0x61, "CAS", 0x60, kCarBits),
    packed("SOR", 0x18, "SOS", 0x17, kSorBits),
    number("SLR", 0x31, "SLS", 0x30, scaled(&R::SHUT_OFF_LEVEL, 0.1, 10.0)),
    number("OFR", 0x0e, "OFS", 0x0d, offset(&R::SETPOINT_OFFSET, -50.0)),
    number("SPR", 0x10, "SPS", 0x0f, plain(&R::SETPOINT_SPAN)),
    packed("CBR", 0x63, "CBS", 0x62, kCbrBits),
    number("TRR", 0x0a, "TRS", 0x09, scaled(&R::RAMP_RISE_TIME, 0.1, 10.0)),
    number("RFR", 0x43, "RFS", 0x42, scaled(&R::RAMP_FALL_TIME, 0.1, 10.0)),
    packed("CDR", 0x67, "CDS", 0x66, kCdrBits),
    number("AZR", 0x55, "", 0x00, readOnly(&R::AUTO_ZERO_VALUE_ANALOG_IN_1, -128.0)),
    packed("FRR", 0x14, "FRS", 0x13, kFrrBits),
    number("TLR", 0x45, "TLS", 0x44, plain(&R::OVERTEMPERATURE_LIMIT)),
    packed("CFR", 0x6b, "CFS", 0x6a, kCfrBits),
    number("ASR", 0x49, "ASS", 0x48, scaled(&R::CURRENT_LIMIT_LEVEL, 10.0, 0.1)),
    number("IPR", 0x4b, "IPS", 0x4a, plain(&R::INPUT_PRESSURE_LIMIT)),
    packed("ALR", 0x47, "ALS", 0x46, kAlrBits),
    packed("CER", 0x69, "CES", 0x68, kCerBits),
    number("SDR", 0x41, "SDS", 0x40, scaled(&R::OUTPUT_DELAY, 0.1, 10.0)),
    number("PMR", 0x1a, "PMS", 0x19, plain(&R::OUTPUT_MODE)),
    number("PSR", 0x0c, "PSS", 0x0b, scaled(&R::WINDOW_SIZE, 0.1, 10.0)),
    number("LSR", 0x3d, "LSS", 0x3c, scaled(&R::LIMIT_SIZE, 0.5, 2.0)),
    packed("FSR", 0x1c, "FSS", 0x1b, kFsrBits, MarksTestFunction),
    number("CIR", 0x2d, "CIS", 0x2c, divided(&R::CURRENT_MIN, 10.0)),
    number("CXR", 0x4d, "CXS", 0x4c, divided(&R::CURRENT_MAX, 10.0)),
    number("AVR", 0x7f, "", 0x00, readOnly(&R::AUTO_ZERO_VALUE_ANALOG_IN_2, -128.0)),
    number("HYR", 0x94, "HYS", 0x93, roundFirst(&R::SETPOINT_HYSTERESIS, 0.1, 10.0)),
    number("DPR", 0x8f, "DPS", 0x8e, plain(&R::DP)),
    number("DFR", 0x77, "DFS", 0x76, plain(&R::RANGE_SENSOR)),
    number("DDR", 0x79, "DDS", 0x78, highNibble(&R::RANGE_SENSOR)),
    packed("AOR", 0x16, "AOS", 0x15, kAorBits),
    number("SHR", 0x3f, "SHS", 0x3e, scaled(&R::LIMIT_HYSTERESIS, 0.1, 10.0)),
};

constexpr bool tableIsConsistent() {
    std::size_t writable = 0;
    for (const WireLine& line : kTable) {
        if (line.writeMnemonic.empty()) {
            continue;
        }
        ++writable;
        // A write code is the read code minus 1, and the mnemonics differ only in R and S.
        if (line.writeCode + 1 != line.readCode || line.readMnemonic.back() != 'R' ||
            line.writeMnemonic.back() != 'S' ||
            line.readMnemonic.substr(0, line.readMnemonic.size() - 1) !=
                line.writeMnemonic.substr(0, line.writeMnemonic.size() - 1)) {
            return false;
        }
    }
    return writable == kWritableParameterLines;
}

static_assert(std::size(kTable) == kParameterLines);
static_assert(tableIsConsistent());

// --- conversions ---

std::int32_t bitFieldSource(const BitField& b, const ParameterRecord& set,
                            const TestFunctionState& testFunction) {
    return b.target == BitTarget::TestFunctionType ? testFunction.testFunctionType : set.*b.field;
}

std::int32_t& bitFieldDestination(const BitField& b, ParameterRecord& set,
                                  TestFunctionState& testFunction) {
    return b.target == BitTarget::TestFunctionType ? testFunction.testFunctionTypeRead
                                                   : set.*b.field;
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

void decodeBitField(const BitField& b, std::uint32_t raw, std::int32_t& v) {
    const auto r = static_cast<std::int32_t>(raw);
    switch (b.rule) {
        case BitRule::Flag:
            v = raw != 0 ? b.setWhen : 1 - b.setWhen;
            return;
        case BitRule::DisplaySelect:
            v = (r + 7) % 8;
            return;
        case BitRule::Value:
            break;
    }
    if (r >= b.readMin && r <= b.readMax) {
        v = r;
    } else if (b.readOther == Rejected::Zero) {
        v = 0;
    }
}

// Truncated toward zero; 0 for what no 32-bit integer holds (the processor's conversion would
// give 0x80000000 there, whose low byte is 0 as well).
std::int32_t wholeValue(double value) {
    constexpr double kLowest = -2147483648.0;
    constexpr double kHighest = 2147483647.0;
    const double whole = std::trunc(value);
    if (!(whole >= kLowest && whole <= kHighest)) {
        return 0;
    }
    return static_cast<std::int32_t>(whole);
}

}  // namespace

double FieldRef::get(const ParameterRecord& record) const {
    return integer != nullptr ? static_cast<double>(record.*integer)
                              : static_cast<double>(record.*real);
}

void FieldRef::set(ParameterRecord& record, double value) const {
    if (integer != nullptr) {
        record.*integer = wholeValue(std::round(value));
    } else {
        record.*real = static_cast<float>(value);
    }
}

std::uint8_t lineByte(double value) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(wholeValue(value)));
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
        decodeBitField(b, (std::uint32_t{byte} >> b.shift) & b.mask(),
                       bitFieldDestination(b, set, testFunction));
    }
}

std::uint8_t encodeLine(const WireLine& line, const ParameterRecord& set,
                        const TestFunctionState& testFunction) {
    if (!line.bits.empty()) {
        return encodeBits(line.bits, set, testFunction);
    }
    const Number& n = line.number;
    const double v = n.field.get(set);
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
            return static_cast<std::uint8_t>(static_cast<std::uint32_t>(wholeValue(v)) >> 8);
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
        line.number.field.set(set, line.number.field.get(set) + (b & 0x0F) * 256.0);
    } else {
        line.number.field.set(set, b * line.number.readScale + line.number.readOffset);
    }
    if (line.marksTestFunctionRead) {
        testFunction.testFunctionReadMark = 1;
    }
}

}  // namespace kvt
