#pragma once

// Parameter sets, write-allowed flag and command word of the tests' own for the Parameters
// dialog, with the bits the dialog posts kept in order.
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "GuiTestSupport.h"
#include "data/ParameterRecord.h"
#include "data/StringTable.h"
#include "paramui/ParametersDlg.h"

namespace kvt::test {

// A set that every page keeps as it is: each value inside its page's range and on its grid,
// exact in binary, so that a save writes back the same words.
inline ParameterRecord inRangeSet() {
    ParameterRecord s{};
    s.FORWARD_OFFSET = 10;
    s.FORWARD_GAIN = 1.5f;
    s.PROPORTIONAL_GAIN = 2.0f;
    s.INTEGRATION_TIME = 1.0f;
    s.INTEGRATION_LIMIT = 50;
    s.DEAD_BAND = 0.5f;
    s.DERIVATION_TIME = 20;
    s.PWM_FREQUENCY = 100;
    s.CONTROL_CYCLE_TIME = 10;
    s.CONTROLLER_STRUCTURE = 3;
    s.SHUT_OFF_LEVEL = 1.0f;
    s.SETPOINT_SPAN = 100;
    s.SETPOINT_HYSTERESIS = 0.5f;
    s.RAMP_RISE_TIME = 2.0f;
    s.RAMP_FALL_TIME = 2.0f;
    s.OUTPUT_DELAY = 0.5f;
    s.WINDOW_SIZE = 5.0f;
    s.LIMIT_SIZE = 10.0f;
    s.LIMIT_HYSTERESIS = 1.0f;
    s.SLAVE_GAIN = 0.5f;
    s.CURRENT_MIN = 400;
    s.CURRENT_MAX = 2000;
    s.RANGE_SENSOR = 100;
    return s;
}

struct ParameterBench {
    ParameterBench() : sets(std::make_unique<ParameterSets>()) {
        sets->visible.fill(1);
        sets->currentSet = inRangeSet();
    }

    ParameterLink link() {
        return {*sets, writeAllowed, [this] { return word; },
                [this](std::uint32_t bits) {
                    word |= bits;
                    posted.push_back(bits);
                }};
    }
    std::unique_ptr<CParametersDlg> open() {
        return std::make_unique<CParametersDlg>(nullptr, strings, boxes, link());
    }
    // What a complete Read Parameter leaves.
    void completeRead(const ParameterRecord& device) {
        sets->deviceSet = device;
        sets->deviceSet.VALID = 1;
    }
    // The engine finishing what was posted.
    void engineDone(CParametersDlg& d, int code) {
        word = 0;
        d.onNotification(code, 0);
    }

    StringTable strings;
    ScriptedBoxes boxes;
    std::unique_ptr<ParameterSets> sets;
    std::atomic<std::uint8_t> writeAllowed{0};
    std::uint32_t word = 0;
    std::vector<std::uint32_t> posted;
};

}  // namespace kvt::test
