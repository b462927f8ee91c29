#include "data/ParameterPages.h"

#include <algorithm>
#include <iterator>

namespace kvt {
namespace {

using V = ValueFormat;
using N = NumericRule;
using E = EnableRule;

// A radio whose device text is its own caption's string.
constexpr ChoiceOption option(std::int32_t code, int radio, int textString, const char* text) {
    return {code, radio, textString, text, textString, text, false, false};
}
// A radio whose device text is another string (or the same text under another id).
constexpr ChoiceOption option(std::int32_t code, int radio, int textString, const char* text,
                              int deviceString, const char* deviceText) {
    return {code, radio, textString, text, deviceString, deviceText, false, false};
}
// A radio whose caption is a literal of the template, never looked up; the device shows the same.
constexpr ChoiceOption literal(std::int32_t code, int radio, const char* text) {
    return {code, radio, 0, text, 0, text, false, false};
}
constexpr ChoiceOption hidden(ChoiceOption o) {
    o.hidden = true;
    return o;
}
constexpr ChoiceOption neverEnabled(ChoiceOption o) {
    o.alwaysDisabled = true;
    return o;
}

constexpr ChoiceRow group(int control, int string, const char* text, int readOnly,
                          std::string_view field, std::span<const ChoiceOption> options,
                          E enable = E::FlagOnly) {
    ChoiceRow row;
    row.groupControl = control;
    row.groupString = string;
    row.groupText = text;
    row.readOnly = readOnly;
    row.field = field;
    row.options = options;
    row.enable = enable;
    return row;
}
constexpr ChoiceRow hiddenGroup(ChoiceRow row) {
    row.visible = false;
    return row;
}
// Its radios store at once; Save() leaves the field alone.
constexpr ChoiceRow clickOnly(ChoiceRow row) {
    row.saved = false;
    return row;
}

// ------------------------------------------------------------------------------ Control

// clang-format off
constexpr NumericRow kControlNumerics[] = {
    // caption              string  template text                 unit    edit  spin  read  field                 format      spin range   step   visible rule                 enable
    {1359, 194, "Forward Offset / %",        "%",    1360, 1378, 1361, "FORWARD_OFFSET",     V::Int,    0,   80,  1,    true,  N::Plain,           E::CascadedOnly},
    {1362, 196, "Forward Gain",              "",     1363, 1570, 1364, "FORWARD_GAIN",       V::Fixed2, 0,   250, 0.01, true,  N::ForwardGain,     E::CascadedOnly},
    {1365, 197, "Proportional Gain",         "",     1366, 1074, 1367, "PROPORTIONAL_GAIN",  V::Fixed1, 1,   200, 0.1,  true,  N::Plain,           E::FlagOnly},
    {1368, 199, "Integration Time / sec",    "sec",  1369, 1078, 1370, "INTEGRATION_TIME",   V::Fixed2, 1,   200, 0.05, true,  N::IntegrationTime, E::NeedsIntegral},
    {1371, 200, "Integration Limit / %",     "%",    1372, 1395, 1373, "INTEGRATION_LIMIT",  V::Int,    0,   100, 1,    true,  N::Plain,           E::NeedsIntegral},
    {1375, 201, "Dead Band / %",             "%",    1376, 1086, 1377, "DEAD_BAND",          V::Fixed1, 1,   100, 0.1,  true,  N::Plain,           E::NeedsIntegral},
    {1379, 198, "Derivation Time / msec",    "msec", 1380, 1082, 1381, "DERIVATION_TIME",    V::Int,    0,   255, 1,    true,  N::Plain,           E::NeedsDerivative},
    {1382, 202, "Frequency / Hz",            "Hz",   1384, 1391, 1385, "PWM_FREQUENCY",      V::Int,    2,   200, 10,   false, N::Plain,           E::FlagOnly},
    {1383, 203, "Control Cycle Time / msec", "msec", 1386, 1628, 1387, "CONTROL_CYCLE_TIME", V::Int,    1,   100, 1,    true,  N::Plain,           E::FlagOnly},
    {1796, 387, "Current Min / mA",          "mA",   1797, 1798, 1799, "CURRENT_MIN",        V::Int,    0,   200, 10,   false, N::CurrentLimit,    E::CurrentFeedback},
    {1800, 388, "Current Max / mA",          "mA",   1801, 1802, 1803, "CURRENT_MAX",        V::Int,    0,   200, 10,   false, N::CurrentLimit,    E::CurrentFeedback},
};

// Only the pulse controller and the two cascaded structures can be chosen here.
constexpr ChoiceOption kStructure[] = {
    neverEnabled(option(0, 1388, 205, "P-Controller")),
    neverEnabled(option(1, 1397, 206, "PI-Controller")),
    neverEnabled(option(2, 1630, 207, "PD-Controller")),
    neverEnabled(option(3, 1399, 208, "PID-Controller")),
    option(4, 1632, 209, "3 Range Pulse Controller"),
    neverEnabled(option(5, 1401, 210, "3 Range Proportional Pulse Controller")),
    option(6, 1634, 211, "Cascaded control Feedback Analog In 2"),
    option(7, 1403, 212, "Cascaded control Feedback frequency"),
};
constexpr ChoiceOption kIValue[] = {
    option(0, 1758, 346, "Hold"),
    option(1, 1759, 347, "Reset"),
};
constexpr ChoiceOption kPwmPolarity[] = {
    option(0, 1827, 383, "Normal"),
    option(1, 1828, 384, "Inverse"),
};
// clang-format on

// The page's Save() parses its edits only; its radios store at their click.
constexpr ChoiceRow kControlChoices[] = {
    clickOnly(group(1374, 204, "Controller Structure", 1389, "CONTROLLER_STRUCTURE", kStructure)),
    clickOnly(group(1757, 351, "I-Value", 1760, "I_VALUE", kIValue)),
    clickOnly(hiddenGroup(group(1834, 385, "Polarity", 1826, "PWM", kPwmPolarity))),
};

constexpr CaptionRow kControlCaptions[] = {
    {1825, 382, "PWM", false},
};

// ------------------------------------------------------------------------------ Setpoint

// clang-format off
constexpr NumericRow kSetpointNumerics[] = {
    {1394, 219,  "Shut Off Level / %",   "%",   1420, 1460, 1421, "SHUT_OFF_LEVEL",      V::Fixed1, 2,   100, 0.1, true, N::Plain, E::CascadedOnly},
    {1396, 221,  "Setpoint Offset / %",  "%",   1422, 1461, 1423, "SETPOINT_OFFSET",     V::Int,    -50, 100, 1,   true, N::Plain, E::CustomAdjustment},
    {1629, 222,  "Setpoint Span / %",    "%",   1428, 1462, 1429, "SETPOINT_SPAN",       V::Int,    0,   150, 1,   true, N::Plain, E::CustomAdjustment},
    {1631, 231,  "Ramp Rise Time / sec", "sec", 1424, 1463, 1425, "RAMP_RISE_TIME",      V::Fixed1, 0,   200, 0.1, true, N::Plain, E::RampActive},
    {1400, 232,  "Ramp Fall Time / sec", "sec", 1426, 1464, 1427, "RAMP_FALL_TIME",      V::Fixed1, 0,   200, 0.1, true, N::Plain, E::RampActive},
    {1829, 1830, "Hysteresis / %",       "%",   1831, 1833, 1832, "SETPOINT_HYSTERESIS", V::Fixed1, 0,   200, 0.1, true, N::Plain, E::FlagOnly},
};

constexpr ChoiceOption kSignal[] = {
    literal(0, 1393, "0 - 10 V"),
    literal(1, 1633, "0 - 20 mA"),
    literal(2, 1402, "4 - 20 mA"),
};
constexpr ChoiceOption kSetpointDirection[] = {
    option(0, 1404, 216, "Normal (0 - 100%)"),
    option(1, 1405, 215, "Inverse (100% - 0)"),
};
constexpr ChoiceOption kShutOff[] = {
    option(0, 1100, 36, "OFF", 36, "Off"),
    option(1, 1099, 35, "ON", 35, "On"),
};
constexpr ChoiceOption kAdjustment[] = {
    option(0, 1412, 216, "Normal (0 - 100%)"),
    option(1, 1413, 130, "Custom"),
};
// "PWM Setpoint" stands in the template but cannot be chosen; the last three are hidden, yet a
// save keeps them, so that codes 3..5 held in the record survive.
constexpr ChoiceOption kSelection[] = {
    option(0, 1407, 224, "Setpoint 1"),
    neverEnabled(option(1, 1806, 375, "PWM Setpoint", 375, "PWM Sollwert")),
    option(2, 1408, 225, "Analog Input 2"),
    hidden(option(3, 1807, 376, "Current")),
    hidden(option(4, 1808, 377, "Frequency")),
    neverEnabled(hidden(option(5, 1809, 378, "SPI"))),
};
constexpr ChoiceOption kRamp[] = {
    option(0, 1415, 230, "No Ramp"),
    option(1, 1416, 227, "Rising Ramp"),
    option(2, 1417, 228, "Falling Ramp"),
    option(3, 1418, 229, "Rising + Falling Ramp"),
};

constexpr ChoiceRow kSetpointChoices[] = {
    group(1390, 213, "Setpoint Signal",     1635, "SETPOINT_SIGNAL",     kSignal),
    group(1626, 217, "Setpoint Direction",  1406, "SETPOINT_DIRECTION",  kSetpointDirection),
    group(1271, 218, "Shut Off",            1411, "SHUT_OFF",            kShutOff, E::CascadedOnly),
    group(1627, 220, "Setpoint Adjustment", 1414, "SETPOINT_ADJUSTMENT", kAdjustment, E::NoCurrentFeedback),
    group(1392, 223, "Setpoint Selection",  1409, "SETPOINT_SELECTION",  kSelection),
    group(1398, 226, "Ramp Function",       1419, "RAMP_FUNCTION",       kRamp),
};
// clang-format on

// ------------------------------------------------------------------------------ the sheet

constexpr PageTable kPages[] = {
    {ParameterPage::Control,
     120,
     195,
     "Control",
     kControlNumerics,
     kControlChoices,
     {},
     kControlCaptions},
    {ParameterPage::Setpoint, 121, 214, "Setpoint", kSetpointNumerics, kSetpointChoices, {}, {}},
    {ParameterPage::DigitalInput, 116, 265, "Digital Input", {}, {}, {}, {}},
    {ParameterPage::DisplayKeys, 115, 279, "Display / Keys", {}, {}, {}, {}},
    {ParameterPage::DigitalOut, 113, 336, "Digital Out", {}, {}, {}, {}},
    {ParameterPage::Error, 107, 6, "ERROR", {}, {}, {}, {}},
    {ParameterPage::AnalogIn, 357, 357, "Analog IN", {}, {}, {}, {}},
    {ParameterPage::AnalogOut, 358, 358, "Analog OUT", {}, {}, {}, {}},
};

}  // namespace

std::span<const PageTable> parameterPageTables() {
    return kPages;
}

const PageTable& parameterPageTable(ParameterPage page) {
    const auto* it = std::find_if(std::begin(kPages), std::end(kPages),
                                  [page](const PageTable& t) { return t.page == page; });
    return *it;  // every page has its table
}

}  // namespace kvt
