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
// A device value without a radio shows this string.
constexpr ChoiceRow withOther(ChoiceRow row, int otherDeviceString) {
    row.otherDeviceString = otherDeviceString;
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

// ------------------------------------------------------------------------------ Digital Input

// clang-format off
constexpr ChoiceOption kSelectFunction[] = {
    option(0, 1560, 181, "Disabled"),
    option(1, 1562, 268, "Manual / Setpoint 1"),
    option(2, 1563, 269, "Analog In 2 / Setpoint 1"),
    hidden(option(3, 1565, 271, "Preselect / Analog In 1")),
    option(4, 1567, 273, "Hold / Setpoint"),
    option(5, 1568, 274, "Zero / Setpoint"),
    option(6, 1569, 275, "Max / Setpoint"),
};
constexpr ChoiceOption kSelectPolarity[] = {
    option(0, 1557, 277, "high active"),
    option(1, 1558, 278, "low active"),
};

constexpr ChoiceRow kDigitalInputChoices[] = {
    group(1559, 266, "Select Function (active / inactive)", 1237, "SELECT_FUNCTION", kSelectFunction),
    group(1556, 276, "Select Polarity",                     1236, "SELECT_POLARITY", kSelectPolarity),
};

// ------------------------------------------------------------------------------ Display / Keys

constexpr NumericRow kDisplayKeysNumerics[] = {
    {1851, 399, "max.Display", "", 1852, 1853, 1854, "RANGE_SENSOR", V::Padded3, 0, 999, 1, true, N::Plain, E::ScaleableDisplay},
};

// 7, "Pressure in bar", has no radio; a device reporting it shows the number.
constexpr ChoiceOption kDisplaySelect[] = {
    option(0, 1855, 401, "Scaleable Feedback"),
    hidden(option(1, 1287, 283, "Current in A")),
    option(2, 1610, 284, "Feedback in %"),
    option(3, 1289, 285, "Setpoint in %"),
    hidden(option(4, 1616, 286, "Analog In 1 in %")),
    option(5, 1618, 287, "Analog In2 in %", 287, "Analog In 2 in %"),
    option(6, 1292, 288, "Analog Out in %"),
};
constexpr ChoiceOption kKeyLock[] = {
    option(0, 1496, 36, "OFF", 36, "Off"),
    option(1, 1495, 35, "ON", 35, "On"),
};
constexpr ChoiceOption kKeyFunction[] = {
    option(0, 1499, 181, "Disabled"),
    option(1, 1500, 291, "Manual Setpoint", 302, "Manual Setpoint"),
    option(2, 1501, 292, "Menu"),
    option(3, 1502, 293, "Reserve"),
};
constexpr ChoiceOption kLedYellow[] = {
    option(0, 1513, 181, "Disabled"),
    option(1, 1514, 301, "Communication"),
    option(2, 1515, 302, "Manual Setpoint"),
    hidden(option(3, 1516, 252, "Autosafe")),
};
constexpr ChoiceOption kLedRed[] = {
    option(0, 1517, 181, "Disabled"),
    option(1, 1518, 303, "ERROR Signal"),
    option(2, 1519, 304, "Range Signal"),
    option(3, 1520, 305, "Und.-Over Volt.", 305, "Und.-Over. Volt."),
};
constexpr ChoiceOption kLedGreen[] = {
    option(0, 1508, 181, "Disabled"),
    option(1, 1509, 298, "Digital OUT"),
    option(2, 1510, 299, "Supply Volt."),
    option(3, 1511, 300, "Overtemp."),
};
// The template orders the decimal point from the left; the codes count from the right.
constexpr ChoiceOption kDecimalPoint[] = {
    option(3, 1848, 395, "left"),
    option(1, 1849, 396, "middle"),
    option(0, 1850, 397, "right"),
};

constexpr ChoiceRow kDisplayKeysChoices[] = {
    group(1491, 280, "Display Select", 1493, "DISPLAY_SELECT", kDisplaySelect),
    hiddenGroup(group(1494, 289, "Key Look", 1497, "KEY_LOCK", kKeyLock)),
    group(1498, 290, "Key Function",   1503, "KEY_FUNCTION",   kKeyFunction),
    group(1506, 296, "YELLOW",         1239, "LED_YELLOW",     kLedYellow),
    group(1507, 297, "RED",            1582, "LED_RED",        kLedRed),
    group(1505, 295, "GREEN",          1512, "LED_GREEN",      kLedGreen),
    withOther(group(1841, 400, "DP",   1847, "DP",             kDecimalPoint, E::ScaleableDisplay), 329),
};

// ------------------------------------------------------------------------------ Digital Out

constexpr NumericRow kDigitalOutNumerics[] = {
    {1534, 310, "Window Delay / sec",   "sec", 1535, 1537, 1536, "OUTPUT_DELAY",     V::Fixed1, 0,  100, 0.1, true, N::Plain, E::FlagOnly},
    {1538, 314, "Window Size / %",      "%",   1240, 1539, 1241, "WINDOW_SIZE",      V::Fixed1, 30, 200, 0.1, true, N::Plain, E::FlagOnly},
    {1540, 315, "Limit Threshold / %",  "%",   1584, 1543, 1243, "LIMIT_SIZE",       V::Fixed1, 0,  200, 0.5, true, N::Plain, E::FlagOnly},
    {1541, 316, "Limit Hysteresis / %", "%",   1575, 1544, 1245, "LIMIT_HYSTERESIS", V::Fixed1, 0,  100, 0.1, true, N::Plain, E::FlagOnly},
};

constexpr ChoiceOption kOutputSource[] = {
    option(0, 1592, 307, "Inside Window"),
    option(1, 1636, 308, "Inside Window and above Limit", 308, "Inside Window + above Limit"),
    option(2, 1521, 6, "ERROR"),
    option(3, 1522, 309, "ERROR + Below Limit + Outside Window"),
};
constexpr ChoiceOption kOutputMode[] = {
    option(0, 1525, 312, "Normal (high active)"),
    option(1, 1526, 313, "Inverse (low active)"),
};

constexpr ChoiceRow kDigitalOutChoices[] = {
    group(1637, 306, "Output Source", 1523, "PRESSURE_SWITCH_OUTPUT_SOURCE", kOutputSource),
    group(1524, 311, "Output Mode",   1527, "OUTPUT_MODE",                   kOutputMode),
};

// ------------------------------------------------------------------------------ ERROR

constexpr ChoiceOption kRangeDetection[] = {
    option(0, 1529, 36, "Disabled", 36, "Off"),
    literal(1, 1530, "> 20 mA"),
    literal(2, 1531, "< 4 mA"),
    literal(3, 1532, "> 20 mA + < 4 mA"),
};
constexpr ChoiceOption kErrorSelect[] = {
    option(0, 1546, 36, "Off"),
    option(1, 1547, 318, "Range"),
    option(2, 1548, 319, "Inactive (Manual)"),
    option(3, 1549, 185, "Overtemperature"),
    hidden(option(4, 1550, 320, "Low Inlet Pressure", 320, "Und.-Over. Volt.")),
    option(5, 1551, 321, "Range + Inactive"),
    option(6, 1552, 322, "Range + Inactive + Overtemperature", 322, "Range + Inactive+ Overtemperature"),
    hidden(option(7, 1553, 323, "Range + Inactive + Overtemperature + Inlet Pressure", 323,
                  "Range + Inactive + Overtemperature +Und.-Over. Volt.")),
};

constexpr ChoiceRow kErrorChoices[] = {
    group(1528, 324, "Setpoint Range Detection", 1533, "SETPOINT_RANGE_DETECTION", kRangeDetection),
    group(1545, 317, "ERROR Select",             1554, "ERROR_SELECT",             kErrorSelect),
};

// ------------------------------------------------------------------------------ Analog IN

// The feedback groups cannot choose "SPI".
constexpr ChoiceOption kFeedbackSelect[] = {
    option(0, 1773, 0, "Setpoint", 361, "Setpoint"),
    option(1, 1774, 0, "Analog IN 1", 362, "Analog IN 1"),
    option(2, 1442, 0, "Analog In 2", 246, "Analog In 2"),
    option(3, 1775, 0, "Current", 363, "Current"),
    option(4, 1776, 0, "Frequency", 364, "Frequency"),
    neverEnabled(option(5, 1777, 0, "SPI", 365, "SPI")),
};
constexpr ChoiceOption kFeedbackSelectSlave[] = {
    option(0, 1779, 0, "Setpoint", 366, "Setpoint"),
    option(1, 1780, 0, "Analog IN 1", 367, "Analog IN 1"),
    option(2, 1781, 0, "Analog In 2", 368, "Analog In 2"),
    option(3, 1782, 0, "Current", 369, "Current"),
    option(4, 1783, 0, "Frequency", 370, "Frequency"),
    neverEnabled(option(5, 1784, 0, "SPI", 371, "SPI")),
};
constexpr ChoiceOption kAutoZeroIn1[] = {
    option(0, 1816, 0, "OFF", 36, "Off"),
    option(1, 1818, 0, "ON", 35, "On"),
};
constexpr ChoiceOption kAutoZeroIn2[] = {
    option(0, 1817, 36, "OFF", 36, "Off"),
    option(1, 1819, 35, "ON", 35, "On"),
};
constexpr ChoiceOption kIn1Signal[] = {
    literal(0, 1787, "0 - 10 V"),
    literal(1, 1788, "0 - 20 mA"),
    literal(2, 1789, "4 - 20 mA"),
};
constexpr ChoiceOption kIn1Direction[] = {
    option(0, 1792, 0, "Normal (0 - 100%)", 216, "Normal (0 - 100%)"),
    option(1, 1793, 0, "Inverse (100% - 0)", 215, "Inverse (100% - 0)"),
};
constexpr ChoiceOption kIn2Signal[] = {
    literal(0, 1452, "0 - 10 V"),
    literal(1, 1453, "0 - 20 mA"),
    literal(2, 1454, "4 - 20 mA"),
};
constexpr ChoiceOption kIn2Direction[] = {
    option(0, 1457, 216, "Normal (0 - 100%)"),
    option(1, 1458, 215, "Inverse (100% - 0)"),
};

// The hidden groups have no caption control of their own in the template.
constexpr ChoiceRow kAnalogInChoices[] = {
    hiddenGroup(group(0, 0, "Feedback Select", 1443, "FEEDBACK_SELECT", kFeedbackSelect)),
    clickOnly(hiddenGroup(group(0, 0, "Feedback Select Slave", 1785, "FEEDBACK_SELECT_SLAVE", kFeedbackSelectSlave))),
    hiddenGroup(group(0, 0, "Auto Zero", 1814, "AUTO_ZERO_FEEDBACK_ANALOG_IN_1", kAutoZeroIn1)),
    group(1839, 389, "Auto Zero", 1815, "AUTO_ZERO_FEEDBACK_ANALOG_IN_2", kAutoZeroIn2),
    hiddenGroup(group(0, 0, "Analog In 1 Signal", 1790, "ANALOG_IN_1_SIGNAL", kIn1Signal)),
    hiddenGroup(group(0, 0, "Analog In 1 Direction", 1794, "ANALOG_IN_1_DIRECTION", kIn1Direction)),
    group(1451, 250, "Analog In 2 Signal",    1455, "ANALOG_IN_2_SIGNAL",    kIn2Signal),
    group(1456, 251, "Analog In 2 Direction", 1459, "ANALOG_IN_2_DIRECTION", kIn2Direction),
};

constexpr DeviceValueRow kAnalogInDeviceValues[] = {
    {1840, 390, "Auto Zero Value", 1813, "AUTO_ZERO_VALUE_ANALOG_IN_2", true},
    {0,    0,   "Auto Zero Value", 1812, "AUTO_ZERO_VALUE_ANALOG_IN_1", false},
};

constexpr CaptionRow kAnalogInCaptions[] = {
    {1811, 225, "Analog Input 2", true},
    {1838, 391, "Value is updated only\n after Power Up", true},
};

// ------------------------------------------------------------------------------ Analog OUT

constexpr ChoiceOption kOutSelect[] = {
    option(0, 1430, 234, "Feedback (x)"),
    option(1, 1431, 235, "Setpoint (w)"),
    option(2, 1432, 236, "Control Deviation (xd)"),
    option(3, 1433, 237, "Control Output (y)"),
    option(4, 1434, 238, "P - Value (yp)", 238, "P-Value (yp)"),
    option(5, 1435, 239, "I - Value (yi)", 239, "I-Value (yi)"),
    option(6, 1436, 240, "D - Value (yd)", 240, "D-Value (yd)"),
    option(7, 1437, 241, "Forward Control (yf)", 241, "Forward Value (yf)"),
};
constexpr ChoiceOption kOutSignal[] = {
    literal(0, 1763, "0 - 10 V"),
    literal(1, 1764, "0 - 20 mA"),
    literal(2, 1765, "4 - 20 mA"),
};
constexpr ChoiceOption kOutDirection[] = {
    option(0, 1768, 216, "Normal (0 - 100%)"),
    option(1, 1769, 215, "Inverse (100% - 0)"),
};

constexpr ChoiceRow kAnalogOutChoices[] = {
    group(1410, 233, "Analog OUT Select",    1438, "ANALOG_OUT_SELECT",    kOutSelect),
    group(1762, 359, "Analog OUT Signal",    1766, "ANALOG_OUT_SIGNAL",    kOutSignal),
    group(1767, 360, "Analog OUT Direction", 1770, "ANALOG_OUT_DIRECTION", kOutDirection),
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
    {ParameterPage::DigitalInput, 116, 265, "Digital Input", {}, kDigitalInputChoices, {}, {}},
    {ParameterPage::DisplayKeys,
     115,
     279,
     "Display / Keys",
     kDisplayKeysNumerics,
     kDisplayKeysChoices,
     {},
     {}},
    {ParameterPage::DigitalOut,
     113,
     336,
     "Digital Out",
     kDigitalOutNumerics,
     kDigitalOutChoices,
     {},
     {}},
    {ParameterPage::Error, 107, 6, "ERROR", {}, kErrorChoices, {}, {}},
    {ParameterPage::AnalogIn,
     357,
     357,
     "Analog IN",
     {},
     kAnalogInChoices,
     kAnalogInDeviceValues,
     kAnalogInCaptions},
    {ParameterPage::AnalogOut, 358, 358, "Analog OUT", {}, kAnalogOutChoices, {}, {}},
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
