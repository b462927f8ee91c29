#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/ParameterRecord.h"

namespace kvt {

// The tabs of the Parameters dialog that edit parameter fields.
enum class ParameterPage {
    Control,
    Setpoint,
    AnalogIn,
    AnalogOut,
    DigitalInput,
    DisplayKeys,
    DigitalOut,
    Error,
};

enum class LimitKind {
    Integer,  // an edit parsed as a signed integer
    Float,    // an edit parsed as a float
    Choice,   // a radio group
};

struct ValueRange {
    double lo = 0;
    double hi = 0;
};

// What a parameter page lets a field hold: the range its edit is parsed and clamped into, or the
// codes its radio group offers (radios the template keeps hidden included, since a page saves
// them too). The pages take their parse ranges from here, and kvtcli checks a set against the
// same rows before it sends it, so that a project file can never put onto the line what the
// window would not.
struct ParameterLimit {
    std::string_view field;  // the record field, as parameterFields() names it
    ParameterPage page;
    LimitKind kind;
    ValueRange range;         // Integer, Float
    std::uint32_t codes = 0;  // Choice: bit n set when code n has a radio
    // Values beyond the page's range that a controller or the built-in default set hold; a set
    // read back from a controller must be accepted for writing, so these pass the check too.
    bool widened = false;
    ValueRange held;

    bool offersCode(std::int32_t code) const {
        return code >= 0 && code < 32 && ((codes >> code) & 1u) != 0;
    }
    // The range the check accepts: the page's, or the held one where that is wider.
    ValueRange acceptedRange() const { return widened ? held : range; }
};

// Every field that a page edits, page by page. Fields no page edits (the validity mark, the
// parameter set word, the auto-zero values the controller measures, SLAVE_GAIN, the autosafe
// fields) have no row and are not checked.
std::span<const ParameterLimit> parameterLimits();
const ParameterLimit* findParameterLimit(std::string_view field);

// Whether the value may be sent: inside the page's range or one of its codes, or held.
bool acceptsValue(const ParameterLimit& limit, double value);
// What acceptsValue lets through, for a message: "0.1..20", "0..7", "0, 1, 3".
std::string acceptedText(const ParameterLimit& limit);

// A field of a set that its page would not let it hold.
struct ParameterViolation {
    const ParameterLimit* limit = nullptr;
    double value = 0;
};

// The fields of the set outside their limits, in record order.
std::vector<ParameterViolation> parameterViolations(const ParameterRecord& set);
// "PROPORTIONAL_GAIN = 1e+09 (allowed: 0.1..20)".
std::string violationText(const ParameterViolation& violation);

}  // namespace kvt
