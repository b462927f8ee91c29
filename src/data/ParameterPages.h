#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "data/ParameterLimits.h"
#include "data/ParameterRecord.h"

namespace kvt {

// The eight tabs of the Parameters dialog as tables of controls. Every control carries its
// template id, every caption its string id and its template text, so that the dialog, the printed
// report and the tests walk the same rows. The parse range of a numeric edit is the field's row in
// parameterLimits(); it is not repeated here.

// How a value is written into an edit, a read-only edit and onto paper.
enum class ValueFormat : std::uint8_t {
    Int,      // "%d"
    Fixed1,   // "%1.1f"
    Fixed2,   // "%1.2f"
    Padded3,  // "%0.3d": at least three digits
};

// What a numeric edit does beyond parse, clamp and write back in its format.
enum class NumericRule : std::uint8_t {
    Plain,
    IntegrationTime,  // snapped to the 0.05 s grid
    ForwardGain,      // written back "%1.2f"; in structure 6 its spin edits SLAVE_GAIN
    CurrentLimit,     // a change re-derives setpoint offset and span while a feedback is a current
};

// When an editable control may be enabled, besides "no action runs, the custom set is selected
// and the field's show flag is set". Each rule reads the dialog copy only.
enum class EnableRule : std::uint8_t {
    FlagOnly,
    CascadedOnly,       // CONTROLLER_STRUCTURE 6 or 7
    NeedsIntegral,      // CONTROLLER_STRUCTURE not 0, 2 or 4
    NeedsDerivative,    // CONTROLLER_STRUCTURE not 0, 1 or 4
    CurrentFeedback,    // FEEDBACK_SELECT or FEEDBACK_SELECT_SLAVE is 3
    NoCurrentFeedback,  // neither feedback selection is 3
    CustomAdjustment,   // SETPOINT_ADJUSTMENT not 0 and neither feedback selection is 3
    RampActive,         // RAMP_FUNCTION not 0
    ScaleableDisplay,   // DISPLAY_SELECT 0 or 7
};

// An edit, its spin and the read-only edit below them.
struct NumericRow {
    int captionControl = 0;        // the static caption
    int captionString = 0;         // its string id; 0: only the template text
    const char* captionText = "";  // the template's text
    const char* unit = "";         // "%", "sec", "msec", "Hz", "mA" or "": tooltips, paper
    int edit = 0;
    int spin = 0;
    int readOnly = 0;
    std::string_view field;  // as parameterFields() names it
    ValueFormat format = ValueFormat::Int;
    int spinLo = 0;  // spin range in steps
    int spinHi = 0;
    double step = 1;      // the value of one spin step
    bool visible = true;  // false: the template creates the controls hidden
    NumericRule rule = NumericRule::Plain;
    EnableRule enable = EnableRule::FlagOnly;
};

// One radio of a choice group.
struct ChoiceOption {
    std::int32_t code = 0;
    int radio = 0;
    int textString = 0;           // the radio's caption id; 0: only the template text
    const char* text = "";        // the template's radio text
    int deviceString = 0;         // what the read-only edit shows for this code; 0: deviceText
    const char* deviceText = "";  // the program's own device text
    bool hidden = false;          // created hidden by the template; never shown
    bool alwaysDisabled = false;  // never enabled, whatever the flags
};

// A radio group with the read-only edit at its top.
struct ChoiceRow {
    int groupControl = 0;  // 0: a hidden group without a caption control of its own
    int groupString = 0;
    const char* groupText = "";
    int readOnly = 0;
    std::string_view field;
    std::span<const ChoiceOption> options;  // in the template's order (DP: 3, 1, 0)
    bool visible = true;                    // false: the whole group is created hidden
    // false: only its click changes the field (FEEDBACK_SELECT_SLAVE, the Control page's groups)
    bool saved = true;
    int otherDeviceString = 0;  // device value without a radio: this text (DP: "No"); 0: "%d"
    EnableRule enable = EnableRule::FlagOnly;
};

// A device word a page only shows (the auto-zero values).
struct DeviceValueRow {
    int captionControl = 0;
    int captionString = 0;
    const char* captionText = "";
    int readOnly = 0;
    std::string_view field;
    bool visible = true;
};

// A static caption or note of the template that is none of the above, replaced by its string
// when the language library is loaded.
struct CaptionRow {
    int control = 0;
    int stringId = 0;
    const char* text = "";
    bool visible = true;  // false: created hidden, like the controls it heads
};

struct PageTable {
    ParameterPage page;
    int templateId = 0;
    int tabString = 0;
    const char* tabText = "";
    std::span<const NumericRow> numerics;  // in the order Save() reads them
    std::span<const ChoiceRow> choices;    // in the order Save() reads them
    std::span<const DeviceValueRow> deviceValues;
    std::span<const CaptionRow> captions;
};

// The eight pages in tab order: Control, Setpoint, Digital Input, Display / Keys, Digital Out,
// ERROR, Analog IN, Analog OUT.
std::span<const PageTable> parameterPageTables();
const PageTable& parameterPageTable(ParameterPage page);

}  // namespace kvt
