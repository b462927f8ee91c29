#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <span>
#include <string_view>
#include <type_traits>

#include "data/ParameterRecord.h"

namespace kvt {

// One row per parameter, kept once: its record field and visibility flag, its key pair in
// KVT_para.ini and how the controller's requests carry it. The record's field table, the INI
// reader and writer and the wire table (engine) are derived from the rows.

// ------------------------------------------------------------------------------ KVT_para.ini

// How a value key of KVT_para.ini is converted and written.
enum class ParaValueForm : std::uint8_t {
    Int,             // "%d", read as a decimal integer (its leading number, else 0)
    Fixed1,          // "%1.1f", read as a decimal number
    Fixed2,          // "%1.2f"
    DelaySeconds,    // DELAY_TIME: seconds "%d" = 5 * code + 5
    CoilOnSeconds,   // COIL_ON_TIME: seconds "%1.1f" = 0.5 * 2^code
    CoilOffSeconds,  // COIL_OFF_TIME: seconds "%d" = 2 * code + 2
    RangeSensor,     // "%.3d"; read as a number truncated toward zero
};

// The key pair of a field: visibility key (the field's name; "SHOW" or "HIDE") and value key
// ("VALUE_" and the name). Where reading and writing differ, the difference is the file format.
struct ParaKey {
    const char* section = nullptr;  // where the pair is written; nullptr: not in the file
    ParaValueForm form = ParaValueForm::Int;
    const char* defaultValue = nullptr;  // the built-in default of the value key
    const char* readSection = nullptr;   // where the reader looks, when it differs from section
    const char* readKey = nullptr;       // visibility key the reader looks at, when not the name
    bool written = true;                 // false: read, never written

    constexpr bool inFile() const { return section != nullptr; }
    constexpr ParaKey readFrom(const char* otherSection) const {
        ParaKey k = *this;
        k.readSection = otherSection;
        return k;
    }
    constexpr ParaKey visibilityReadFrom(const char* key) const {
        ParaKey k = *this;
        k.readKey = key;
        return k;
    }
    constexpr ParaKey neverWritten() const {
        ParaKey k = *this;
        k.written = false;
        return k;
    }
};

// ------------------------------------------------------------------------------ on the line

// What the bits of a parameter in a byte mean.
enum class BitRule : std::uint8_t {
    Value,          // the bits are the field's value
    Flag,           // one bit: set exactly when the field equals setWhen
    DisplaySelect,  // three bits d; the field is (d + 7) mod 8
};

// What a read does with a raw value outside the accepted range.
enum class Rejected : std::uint8_t { Keep, Zero };

// Where a parameter sits in its byte, and which values travel.
struct WireBits {
    std::uint8_t shift = 0;
    std::uint8_t width = 8;
    BitRule rule = BitRule::Value;
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
};

// How a byte of its own carries a number.
enum class Encode : std::uint8_t {
    None,        // read only
    Rounded,     // trunc(v × writeScale + 0.05)
    RoundFirst,  // trunc((v + 0.05) × writeScale)
    Divided,     // v / writeScale, truncated
    LowByte,     // low byte of (v − readOffset)
    HighByte,    // bits 8-15 of v
};
enum class Decode : std::uint8_t {
    Scaled,         // field := b × readScale + readOffset
    AddHighNibble,  // field += (b & 0x0F) << 8 (the second byte of a 12-bit value)
};

struct WireNumber {
    double readScale = 1.0;
    double readOffset = 0.0;
    Encode encode = Encode::LowByte;
    double writeScale = 1.0;
    Decode decode = Decode::Scaled;
};

// The request whose byte carries a parameter, named by its read mnemonic ("KPR"). A request of
// the parameter's own has its read code here (the write code is one less, the write mnemonic
// ends in S); a byte shared by several parameters is the wire table's, with its code.
struct WireSlot {
    enum class Form : std::uint8_t { NotSent, Number, Bits };
    Form form = Form::NotSent;
    std::string_view request;
    std::uint8_t readCode = 0;  // 0: a shared byte
    WireNumber number{};
    WireBits bits{};
    // A second request of the parameter's own for bits 8-11 (RANGE_SENSOR).
    std::string_view highRequest;
    std::uint8_t highReadCode = 0;

    constexpr bool ownsRequest() const { return readCode != 0; }
    constexpr WireSlot reads(std::int32_t min, std::int32_t max, Rejected other) const {
        WireSlot s = *this;
        s.bits.readMin = min;
        s.bits.readMax = max;
        s.bits.readOther = other;
        return s;
    }
    constexpr WireSlot writes(std::int32_t min, std::int32_t max) const {
        WireSlot s = *this;
        s.bits.writeMin = min;
        s.bits.writeMax = max;
        return s;
    }
    constexpr WireSlot withHighByte(std::string_view request, std::uint8_t code) const {
        WireSlot s = *this;
        s.highRequest = request;
        s.highReadCode = code;
        return s;
    }
};

struct ParameterDescription {
    ParameterField field;
    ParaKey ini;
    WireSlot wire;
};

// ------------------------------------------------------------------------------ row helpers

namespace catalogue {

template <typename T>
constexpr FieldType fieldTypeOf() {
    static_assert(std::is_same_v<T, float> || std::is_same_v<T, std::int32_t>);
    return std::is_same_v<T, float> ? FieldType::Float : FieldType::Int;
}

inline constexpr const char* kControl = "CONTROL_PARAMETER";
inline constexpr const char* kSetpoint = "SETPOINT_PARAMETER";
inline constexpr const char* kAnalog = "ANALOG_IN_OUT_PARAMETER";
inline constexpr const char* kAutosafe = "AUTOSAFE_PARAMETER";
inline constexpr const char* kDigitalInput = "DIGITAL_INPUT_PARAMETER";
inline constexpr const char* kDisplayKeys = "DISPLAY_KEYS_PARAMETER";
inline constexpr const char* kPressureSwitch = "PRESSURE_SWITCH_PARAMETER";
inline constexpr const char* kError = "ERROR_PARAMETER";

constexpr ParaKey ini(const char* section, ParaValueForm form, const char* defaultValue) {
    return {section, form, defaultValue};
}
inline constexpr ParaKey kNotInFile{};
inline constexpr WireSlot kNotSent{};

// A number in a request of its own.
constexpr WireSlot number(std::string_view request, std::uint8_t code, WireNumber n) {
    WireSlot s;
    s.form = WireSlot::Form::Number;
    s.request = request;
    s.readCode = code;
    s.number = n;
    return s;
}
constexpr WireSlot plain(std::string_view request, std::uint8_t code) {
    return number(request, code, {1.0, 0.0, Encode::LowByte, 1.0});
}
constexpr WireSlot scaled(std::string_view request, std::uint8_t code, double readScale,
                          double writeScale) {
    return number(request, code, {readScale, 0.0, Encode::Rounded, writeScale});
}
constexpr WireSlot shifted(std::string_view request, std::uint8_t code, double readOffset) {
    return number(request, code, {1.0, readOffset, Encode::LowByte, 1.0});
}
constexpr WireSlot readOnly(std::string_view request, std::uint8_t code, double readOffset) {
    return number(request, code, {1.0, readOffset, Encode::None, 1.0});
}
constexpr WireSlot divided(std::string_view request, std::uint8_t code, double scale) {
    return number(request, code, {scale, 0.0, Encode::Divided, scale});
}
constexpr WireSlot roundFirst(std::string_view request, std::uint8_t code, double readScale,
                              double writeScale) {
    return number(request, code, {readScale, 0.0, Encode::RoundFirst, writeScale});
}

// Bits of a byte; shared with other parameters unless the code is given.
constexpr WireSlot value(std::string_view request, std::uint8_t shift, std::uint8_t width,
                         std::uint8_t code = 0) {
    WireSlot s;
    s.form = WireSlot::Form::Bits;
    s.request = request;
    s.readCode = code;
    s.bits.shift = shift;
    s.bits.width = width;
    return s;
}
constexpr WireSlot ownByte(std::string_view request, std::uint8_t code) {
    return value(request, 0, 8, code);
}
constexpr WireSlot flag(std::string_view request, std::uint8_t bit, std::int32_t setWhen = 1) {
    WireSlot s = value(request, bit, 1);
    s.bits.rule = BitRule::Flag;
    s.bits.setWhen = setWhen;
    return s;
}
constexpr WireSlot displaySelect(std::string_view request, std::uint8_t shift) {
    WireSlot s = value(request, shift, 3);
    s.bits.rule = BitRule::DisplaySelect;
    return s.writes(0, 7);
}
// Signal choices 0 "0 - 10 V", 1 "0 - 20 mA", 2 "4 - 20 mA": a read of another code keeps the
// field, a write of another value sends 0.
constexpr WireSlot signal(std::string_view request, std::uint8_t shift, std::uint8_t width) {
    return value(request, shift, width).reads(0, 2, Rejected::Keep).writes(0, 2);
}
// Feedback choices 1 to 5; every other code is 0 both ways.
constexpr WireSlot feedback(std::string_view request, std::uint8_t shift) {
    return value(request, shift, 3).reads(1, 5, Rejected::Zero).writes(1, 5);
}

}  // namespace catalogue

// ------------------------------------------------------------------------------ the rows

// clang-format off

// The record field of a row from one mention of its name: name, offset, type and flag.
#define KVT_FIELD(name, flag) \
    ParameterField{#name, offsetof(ParameterRecord, name), \
                   fieldTypeOf<decltype(ParameterRecord::name)>(), flag}

namespace catalogue {

using F = ParaValueForm;
using R = Rejected;

// In the order of KVT_para.ini as the program writes it; fields the file does not hold sit next
// to their neighbours. The record's own order is that of the offsets.
inline constexpr ParameterDescription kRows[] = {
    // record field, flag                         KVT_para.ini                           line
    {KVT_FIELD(VALID, -1),                          kNotInFile,                            kNotSent},
    {KVT_FIELD(PARAMETER_SET, -1),                  kNotInFile,                            flag("CAR", 6, 0)},  // set: Custom (0)

    {KVT_FIELD(PROPORTIONAL_GAIN, 2),               ini(kControl, F::Fixed1, "1.0"),       scaled("KPR", 0x02, 0.1, 10.0)},
    {KVT_FIELD(FORWARD_OFFSET, 0),                  ini(kControl, F::Int, "0"),            plain("FOR", 0x33)},
    {KVT_FIELD(INTEGRATION_TIME, 3),                ini(kControl, F::Fixed2, "0.1"),       scaled("TIR", 0x04, 0.05, 20.0)},
    {KVT_FIELD(FORWARD_GAIN, 1),                    ini(kControl, F::Fixed2, "1.00"),      scaled("FGR", 0x35, 0.01, 100.0)},
    // Edited in place of FORWARD_GAIN for cascaded control.
    {KVT_FIELD(SLAVE_GAIN, -1),                     kNotInFile,                            kNotSent},
    {KVT_FIELD(DERIVATION_TIME, 6),                 ini(kControl, F::Int, "0"),            plain("TDR", 0x06)},
    {KVT_FIELD(INTEGRATION_LIMIT, 4),               ini(kControl, F::Int, "0"),            plain("ILR", 0x37)},
    {KVT_FIELD(DEAD_BAND, 5),                       ini(kControl, F::Fixed1, "0.1"),       scaled("DBR", 0x08, 0.1, 10.0)},
    {KVT_FIELD(PWM_FREQUENCY, 7),                   ini(kControl, F::Int, "20"),           scaled("PFR", 0x39, 10.0, 0.1)},
    {KVT_FIELD(CONTROL_CYCLE_TIME, 8),              ini(kControl, F::Int, "1"),            plain("CYR", 0x3b)},
    {KVT_FIELD(CONTROLLER_STRUCTURE, 9),            ini(kControl, F::Int, "0"),            value("CCR", 0, 3)},
    {KVT_FIELD(I_VALUE, 10),                        ini(kControl, F::Int, "0"),            flag("CFR", 2)},
    {KVT_FIELD(PWM, 11),                            ini(kControl, F::Int, "0"),            flag("CFR", 4)},

    {KVT_FIELD(SETPOINT_SIGNAL, 12),                ini(kSetpoint, F::Int, "0"),           ownByte("SRR", 0x12).reads(0, 2, R::Keep)},
    {KVT_FIELD(SETPOINT_DIRECTION, 13),             ini(kSetpoint, F::Int, "0"),           flag("CAR", 4)},
    {KVT_FIELD(SHUT_OFF, 14),                       ini(kSetpoint, F::Int, "0"),           ownByte("SOR", 0x18).reads(0, 1, R::Keep).writes(1, 1)},
    {KVT_FIELD(SHUT_OFF_LEVEL, 15),                 ini(kSetpoint, F::Fixed1, "0.0"),      scaled("SLR", 0x31, 0.1, 10.0)},
    {KVT_FIELD(SETPOINT_ADJUSTMENT, 16),            ini(kSetpoint, F::Int, "0"),           flag("CAR", 7)},
    {KVT_FIELD(SETPOINT_OFFSET, 17),                ini(kSetpoint, F::Int, "-50"),         shifted("OFR", 0x0e, -50.0)},
    {KVT_FIELD(SETPOINT_SPAN, 18),                  ini(kSetpoint, F::Int, "50"),          plain("SPR", 0x10)},
    {KVT_FIELD(SETPOINT_HYSTERESIS, 23),            ini(kSetpoint, F::Fixed1, "0"),        roundFirst("HYR", 0x94, 0.1, 10.0)},
    {KVT_FIELD(SETPOINT_SELECTION, 19),             ini(kSetpoint, F::Int, "0"),           value("CAR", 1, 3).reads(0, 5, R::Keep).writes(0, 5)},
    {KVT_FIELD(RAMP_FUNCTION, 20),                  ini(kSetpoint, F::Int, "0"),           value("CBR", 2, 2)},
    {KVT_FIELD(RAMP_RISE_TIME, 21),                 ini(kSetpoint, F::Fixed1, "0.0"),      scaled("TRR", 0x0a, 0.1, 10.0)},
    {KVT_FIELD(RAMP_FALL_TIME, 22),                 ini(kSetpoint, F::Fixed1, "0.0"),      scaled("RFR", 0x43, 0.1, 10.0)},

    {KVT_FIELD(ANALOG_OUT_SELECT, 24),              ini(kAnalog, F::Int, "0"),             value("CDR", 0, 3)},
    {KVT_FIELD(FEEDBACK_SELECT, 25),                ini(kAnalog, F::Int, "0"),             feedback("FSR", 0)},
    {KVT_FIELD(FEEDBACK_SELECT_SLAVE, 26),          ini(kAnalog, F::Int, "0"),             feedback("FSR", 4)},
    {KVT_FIELD(AUTO_ZERO_FEEDBACK_ANALOG_IN_1, 30), ini(kAnalog, F::Int, "1"),             flag("CCR", 5)},
    {KVT_FIELD(AUTO_ZERO_VALUE_ANALOG_IN_1, -1),    kNotInFile,                            readOnly("AZR", 0x55, -128.0)},
    {KVT_FIELD(AUTO_ZERO_FEEDBACK_ANALOG_IN_2, 27), ini(kAnalog, F::Int, "1"),             flag("CFR", 3)},
    {KVT_FIELD(AUTO_ZERO_VALUE_ANALOG_IN_2, -1),    kNotInFile,                            readOnly("AVR", 0x7f, -128.0)},
    {KVT_FIELD(ANALOG_IN_1_SIGNAL, 31),             ini(kAnalog, F::Int, "0"),             signal("FRR", 0, 3)},
    {KVT_FIELD(ANALOG_IN_1_DIRECTION, 32),          ini(kAnalog, F::Int, "0"),             flag("FRR", 3)},
    {KVT_FIELD(ANALOG_IN_2_SIGNAL, 28),             ini(kAnalog, F::Int, "0"),             signal("FRR", 4, 3)},
    {KVT_FIELD(ANALOG_IN_2_DIRECTION, 29),          ini(kAnalog, F::Int, "0"),             flag("FRR", 7)},
    {KVT_FIELD(ANALOG_OUT_SIGNAL, 33),              ini(kAnalog, F::Int, "0").neverWritten(), signal("AOR", 0, 2)},
    {KVT_FIELD(ANALOG_OUT_DIRECTION, 34),           ini(kAnalog, F::Int, "0").neverWritten(), flag("AOR", 2)},

    // The current limits are read from the analog section but written to the autosafe one.
    {KVT_FIELD(CURRENT_MIN, 35),                    ini(kAutosafe, F::Int, "100").readFrom(kAnalog), divided("CIR", 0x2d, 10.0)},
    {KVT_FIELD(CURRENT_MAX, 36),                    ini(kAutosafe, F::Int, "100").readFrom(kAnalog), divided("CXR", 0x4d, 10.0)},
    {KVT_FIELD(AUTOSAFE, 37),                       ini(kAutosafe, F::Int, "0"),           flag("CAR", 5)},
    {KVT_FIELD(OVERTEMPERATURE, 38),                ini(kAutosafe, F::Int, "0"),           flag("CAR", 0)},
    {KVT_FIELD(OVERTEMPERATURE_LIMIT, 39),          ini(kAutosafe, F::Int, "50"),          plain("TLR", 0x45)},
    {KVT_FIELD(DELAY_TIME, 40),                     ini(kAutosafe, F::DelaySeconds, "5"),  value("ALR", 0, 3)},
    {KVT_FIELD(COIL_ON_TIME, 41),                   ini(kAutosafe, F::CoilOnSeconds, "0.5"), value("ALR", 6, 2)},
    {KVT_FIELD(COIL_OFF_TIME, 42),                  ini(kAutosafe, F::CoilOffSeconds, "2"), value("ALR", 3, 3)},
    {KVT_FIELD(OPTION_INPUT_PRESSURE_SENSOR, 43),   ini(kAutosafe, F::Int, "0"),           value("CDR", 6, 2)},
    {KVT_FIELD(INPUT_PRESSURE_LIMIT, 44),           ini(kAutosafe, F::Int, "0"),           plain("IPR", 0x4b)},
    {KVT_FIELD(AUTOSAFE_SOURCE, 45),                ini(kAutosafe, F::Int, "0"),           flag("CFR", 0)},
    {KVT_FIELD(CURRENT_LIMIT_LEVEL, 46),            ini(kAutosafe, F::Int, "100"),         scaled("ASR", 0x49, 10.0, 0.1)},

    {KVT_FIELD(SELECT_FUNCTION, 47),                ini(kDigitalInput, F::Int, "0"),       value("CBR", 5, 3).reads(0, 6, R::Zero).writes(1, 6)},
    {KVT_FIELD(SELECT_POLARITY, 48),                ini(kDigitalInput, F::Int, "0"),       flag("CBR", 4)},

    {KVT_FIELD(DISPLAY_SELECT, 49),                 ini(kDisplayKeys, F::Int, "0"),        displaySelect("CFR", 5)},
    {KVT_FIELD(KEY_LOCK, 50),                       ini(kDisplayKeys, F::Int, "0"),        flag("CFR", 1)},
    {KVT_FIELD(KEY_FUNCTION, 51),                   ini(kDisplayKeys, F::Int, "0"),        value("CER", 6, 2)},
    {KVT_FIELD(LED_GREEN, 52),                      ini(kDisplayKeys, F::Int, "0"),        value("CER", 0, 2)},
    {KVT_FIELD(LED_YELLOW, 53),                     ini(kDisplayKeys, F::Int, "0"),        value("CER", 2, 2)},
    {KVT_FIELD(LED_RED, 54),                        ini(kDisplayKeys, F::Int, "0"),        value("CER", 4, 2)},
    {KVT_FIELD(DP, 55),                             ini(kDisplayKeys, F::Int, "0"),        plain("DPR", 0x8f)},
    // Its visibility is read from OUTPUT_RANGE_SENSOR but written to RANGE_SENSOR.
    {KVT_FIELD(RANGE_SENSOR, 56),                   ini(kDisplayKeys, F::RangeSensor, "0.0").visibilityReadFrom("OUTPUT_RANGE_SENSOR"),
                                                                                           plain("DFR", 0x77).withHighByte("DDR", 0x79)},

    {KVT_FIELD(PRESSURE_SWITCH_OUTPUT_SOURCE, 57),  ini(kPressureSwitch, F::Int, "0"),     value("CBR", 0, 2)},
    {KVT_FIELD(OUTPUT_DELAY, 58),                   ini(kPressureSwitch, F::Fixed1, "0.0"), scaled("SDR", 0x41, 0.1, 10.0)},
    {KVT_FIELD(OUTPUT_MODE, 59),                    ini(kPressureSwitch, F::Int, "0"),     plain("PMR", 0x1a)},
    {KVT_FIELD(WINDOW_SIZE, 60),                    ini(kPressureSwitch, F::Fixed1, "3.0"), scaled("PSR", 0x0c, 0.1, 10.0)},
    {KVT_FIELD(LIMIT_SIZE, 61),                     ini(kPressureSwitch, F::Fixed1, "0.0"), scaled("LSR", 0x3d, 0.5, 2.0)},
    {KVT_FIELD(LIMIT_HYSTERESIS, 62),               ini(kPressureSwitch, F::Fixed1, "0.0"), scaled("SHR", 0x3f, 0.1, 10.0)},

    {KVT_FIELD(ERROR_SELECT, 63),                   ini(kError, F::Int, "0"),              value("CDR", 3, 3)},
    {KVT_FIELD(SETPOINT_RANGE_DETECTION, 64),       ini(kError, F::Int, "0"),              value("CCR", 3, 2)},
};

}  // namespace catalogue

#undef KVT_FIELD
// clang-format on

inline constexpr std::size_t kParameterCount = std::size(catalogue::kRows);

// Every parameter, in the order of KVT_para.ini.
constexpr std::span<const ParameterDescription> parameterCatalogue() {
    return catalogue::kRows;
}

}  // namespace kvt
