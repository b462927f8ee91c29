#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "data/ParameterCatalogue.h"
#include "data/ParameterRecord.h"
#include "data/SetpointRecords.h"

namespace kvt {

// How the controller keeps the parameter set: one byte per request, scaled or packed as bit
// fields. What each parameter's byte means is the parameter catalogue's
// (data/ParameterCatalogue.h); this table adds the order of the requests, the bytes several
// parameters share and what a request does beyond its byte. encodeLine and decodeLine are the
// only code that walks it.

// Where a bit field's value lives: in the parameter set, or in the test function state (read
// into testFunctionTypeRead, written from testFunctionType).
enum class BitTarget : std::uint8_t { Record, TestFunctionType };

// A parameter's bits in the byte of a request.
struct BitField : WireBits {
    std::string_view request;               // read mnemonic of the request
    const ParameterField* field = nullptr;  // nullptr: the test function type
    BitTarget target = BitTarget::Record;
};

// One line of the table: a read request and, unless read only, its write request.
struct WireLine {
    std::string_view readMnemonic;
    std::uint8_t readCode = 0;
    std::string_view writeMnemonic;  // empty: read only
    std::uint8_t writeCode = 0;
    // A byte that carries one number (when bits is empty).
    const ParameterField* field = nullptr;
    WireNumber number{};
    std::span<const BitField> bits;  // a packed byte
    // FOR and FGR: the read value is held until the CCR reply has been decoded.
    bool held = false;
    // CCR: stores the held values once decoded.
    bool releasesHeld = false;
    // CCR and FSR: testFunctionReadMark := 1.
    bool marksTestFunctionRead = false;

    constexpr bool writable() const { return !writeMnemonic.empty(); }
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

// A value as a byte on the line: truncatedInt (truncated toward zero; 0 for what no 32-bit
// integer holds), low 8 bits.
std::uint8_t lineByte(double value);

}  // namespace kvt
