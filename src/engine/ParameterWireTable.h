#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string_view>

#include "data/ParameterRecord.h"
#include "data/SetpointRecords.h"

namespace kvt {

// How the controller keeps the parameter set: one byte per request, scaled or packed as bit
// fields. The table is data; encodeLine and decodeLine are the only code that walks it.

// A numeric field of the parameter record, integer or float.
struct FieldRef {
    std::int32_t ParameterRecord::*integer = nullptr;
    float ParameterRecord::*real = nullptr;

    constexpr FieldRef() = default;
    constexpr FieldRef(std::int32_t ParameterRecord::*field) : integer(field) {}
    constexpr FieldRef(float ParameterRecord::*field) : real(field) {}

    double get(const ParameterRecord& record) const;
    void set(ParameterRecord& record, double value) const;
};

// What a bit field of a packed byte means.
enum class BitRule : std::uint8_t {
    Value,          // the bits are the field's value
    Flag,           // one bit: set exactly when the field equals setWhen
    DisplaySelect,  // three bits d; the field is (d + 7) mod 8
};

// Where a bit field's value lives: in the parameter set, or in the test function state (read
// into testFunctionTypeRead, written from testFunctionType).
enum class BitTarget : std::uint8_t { Record, TestFunctionType };

// What a read does with a raw value outside the accepted range.
enum class Rejected : std::uint8_t { Keep, Zero };

struct BitField {
    std::int32_t ParameterRecord::*field = nullptr;
    std::uint8_t shift = 0;
    std::uint8_t width = 1;
    BitRule rule = BitRule::Value;
    BitTarget target = BitTarget::Record;
    // Value: raw values a read takes over, and what it does with the others.
    std::int32_t readMin = 0;
    std::int32_t readMax = 255;
    Rejected readOther = Rejected::Keep;
    // Value and DisplaySelect: field values a write sends; any other sends 0 bits.
    std::int32_t writeMin = std::numeric_limits<std::int32_t>::min();
    std::int32_t writeMax = std::numeric_limits<std::int32_t>::max();
    // Flag: the field value that sets the bit; a clear bit reads as the other of 0 and 1.
    std::int32_t setWhen = 1;

    constexpr std::uint32_t mask() const { return (1u << width) - 1u; }
    constexpr BitField reads(std::int32_t min, std::int32_t max, Rejected other) const {
        BitField b = *this;
        b.readMin = min;
        b.readMax = max;
        b.readOther = other;
        return b;
    }
    constexpr BitField writes(std::int32_t min, std::int32_t max) const {
        BitField b = *this;
        b.writeMin = min;
        b.writeMax = max;
        return b;
    }
};

// A byte that carries one number.
enum class Decode : std::uint8_t {
    Scaled,         // field := b × readScale + readOffset
    AddHighNibble,  // field += (b & 0x0F) << 8 (the second byte of a 12-bit value)
};
enum class Encode : std::uint8_t {
    None,        // read only
    Rounded,     // trunc(v × writeScale + 0.05)
    RoundFirst,  // trunc((v + 0.05) × writeScale)
    Divided,     // v / writeScale, truncated
    LowByte,     // low byte of (v − readOffset)
    HighByte,    // bits 8-15 of v
};

struct Number {
    FieldRef field;
    double readScale = 1.0;
    double readOffset = 0.0;
    Encode encode = Encode::LowByte;
    double writeScale = 1.0;
    Decode decode = Decode::Scaled;
};

// One line of the table: a read request and, unless read only, its write request.
struct WireLine {
    std::string_view readMnemonic;
    std::uint8_t readCode;
    std::string_view writeMnemonic;  // empty: read only
    std::uint8_t writeCode;
    Number number;                   // when bits is empty
    std::span<const BitField> bits;  // a packed byte
    // FOR and FGR: the read value is held until the CCR reply has been decoded.
    bool held = false;
    // CCR: stores the held values once decoded.
    bool releasesHeld = false;
    // CCR and FSR: testFunctionReadMark := 1.
    bool marksTestFunctionRead = false;

    bool writable() const { return !writeMnemonic.empty(); }
};

inline constexpr std::size_t kParameterLines = 42;
inline constexpr std::size_t kWritableParameterLines = 40;

// Every line in request order: Read Parameter runs all of them, Write Parameter the writable ones.
std::span<const WireLine> parameterWireTable();
// The line of a read mnemonic ("CCR"); nullptr when there is none.
const WireLine* findWireLine(std::string_view readMnemonic);

// The byte a write request of the line sends.
std::uint8_t encodeLine(const WireLine& line, const ParameterRecord& set,
                        const TestFunctionState& testFunction);
// Stores the reply byte of the line's read request.
void decodeLine(const WireLine& line, std::uint8_t b, ParameterRecord& set,
                TestFunctionState& testFunction);

std::uint8_t encodeBits(std::span<const BitField> bits, const ParameterRecord& set,
                        const TestFunctionState& testFunction);
void decodeBits(std::span<const BitField> bits, std::uint8_t b, ParameterRecord& set,
                TestFunctionState& testFunction);

// The byte of the Custom/Factory switch (CAS): the CAR layout, but bits 0 and 5 are set when
// their fields are 0.
std::span<const BitField> customFactoryLayout();
// The CCS byte of Write Test Function: the CCR layout, but bit 5 is set when its field is 0.
std::span<const BitField> testFunctionControlLayout();

// A value as a byte on the line: truncated toward zero, low 8 bits. A value that no 32-bit
// integer holds (or not a number) is sent as 0, never converted with undefined behaviour.
std::uint8_t lineByte(double value);

}  // namespace kvt
