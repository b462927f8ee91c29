#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "data/ParameterPages.h"
#include "data/ParameterRecord.h"
#include "data/Strings.h"

namespace kvt {

// The rules of the parameter pages that are not tables, Qt-free so that the dialog, the printed
// report and the tests share them.

using VisibilityFlags = std::array<std::uint8_t, kVisibilityFlagCount>;

// What the enabling of a page reads.
struct PageState {
    const ParameterRecord& copy;  // the dialog copy
    const VisibilityFlags& visible;
    std::uint32_t commandWord = 0;
};

// No action runs and the custom set is selected: the pages may enable controls at all.
bool pagesEditable(const PageState& state);
bool ruleAllows(EnableRule rule, const ParameterRecord& copy);
bool numericEnabled(const PageState& state, const NumericRow& row);
bool optionEnabled(const PageState& state, const ChoiceRow& row, const ChoiceOption& option);

// A value in its format, in the C locale.
std::string formatValue(ValueFormat format, double value);
// The value of a field as the pages read it (int or float word).
double pageFieldValue(const ParameterRecord& record, std::string_view field);
void setPageFieldValue(ParameterRecord& record, std::string_view field, double value);

// The edit's range and unit as a tooltip shows it: "0.05 .. 10.00 sec".
std::string numericRangeText(const NumericRow& row);

// Which field a spin edits and over which positions: the row's own, except the Forward Gain spin
// in structure 6, which runs over 1..100 into SLAVE_GAIN.
struct SpinTarget {
    int lo = 0;
    int hi = 0;
    std::string_view field;
};
SpinTarget spinTarget(const NumericRow& row, const ParameterRecord& copy);

// The spin position a value gives: value ÷ step truncated toward zero.
int spinPosition(const NumericRow& row, double value);
// The field value of a spin position: position × step (an int field takes it directly).
double spinValue(const NumericRow& row, int position);

// A spin moved to `requested`: stopped at the target's bounds, stored into the target field
// (SLAVE_GAIN for Forward Gain in structure 6) and written in the row's format. A current limit
// moved here leaves the derived setpoint to the caller (applyCurrentDerivedSetpoint), which also
// stores it into the current set.
struct SpinMove {
    int position = 0;
    double value = 0;
    std::string text;
    std::string_view field;
};
SpinMove applySpin(const NumericRow& row, ParameterRecord& copy, int requested);

// Parse and clamp an edit's text by the field's rule; the value to store and the text to write
// back: "%d" or "%1.1f" as the parse writes them, then "%1.2f" for Forward Gain and the snapped
// integration time, and "%0.3d" for max.Display, as a refresh shows them.
struct ParsedEdit {
    double value = 0;
    std::string text;
    int position = 0;
};
ParsedEdit parseNumericEdit(const NumericRow& row, std::string_view text);

// Setpoint offset and span from the current limits, while either feedback selection is 3. Keeps
// both when CURRENT_MAX is 0. Returns whether it changed anything.
bool applyCurrentDerivedSetpoint(ParameterRecord& record);
// What the dialog does to its copy once, before the first refresh: a slave gain of 0 (or not a
// number) becomes 0.01, the lowest the slave gain spin reaches.
void applyOpeningFixUps(ParameterRecord& copy);
// What a refresh does to the dialog copy before showing it: under either current feedback the
// Custom adjustment and the derived setpoint.
void applyRefreshFixUps(ParameterRecord& copy);

// What every read-only edit shows while the device set is not valid: " -- ".
inline constexpr int kNotReadString = 134;

// The text the read-only edit of a group shows for the device value.
std::string deviceChoiceText(Strings& strings, const ChoiceRow& row, std::int32_t deviceValue);
// The read-only edits of the device column, " -- " while the device set is not valid.
std::string deviceGroupText(Strings& strings, const ChoiceRow& row, const ParameterRecord& device,
                            bool deviceValid);
std::string deviceNumericText(Strings& strings, const NumericRow& row,
                              const ParameterRecord& device, bool deviceValid);
std::string deviceWordText(Strings& strings, const DeviceValueRow& row,
                           const ParameterRecord& device, bool deviceValid);
// The radio painted red: the one of the device's code while it differs from the edited value;
// nothing when they are equal, the device set is not valid or the device's code has no radio.
const ChoiceOption* differingDeviceOption(const ChoiceRow& row, const ParameterRecord& copy,
                                          const ParameterRecord& device, bool deviceValid);
// Whether a control the page shows holds a value other than the device's (as the two columns
// show them): the tab's marker.
bool pageDiffersFromDevice(const PageTable& page, const ParameterRecord& copy,
                           const ParameterRecord& device, bool deviceValid);
// The string id a caption shows on refresh when it depends on the controller structure
// ("Slave Offset / %" in structure 6), or nothing.
std::optional<int> structureCaption(const ParameterRecord& copy, int captionControl);

// A click on a structure radio; may write the current set and the flags (see the control page).
// Returns whether the page must refresh.
bool applyStructureClick(std::int32_t code, ParameterRecord& copy, ParameterRecord& current,
                         VisibilityFlags& visible);

}  // namespace kvt
