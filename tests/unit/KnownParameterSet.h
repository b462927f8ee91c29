#pragma once

#include "data/ParameterRecord.h"

namespace kvt::test {

// A set every line carries as it should.
inline ParameterRecord knownParameterSet() {
    ParameterRecord p{};
    p.PROPORTIONAL_GAIN = 2.35f;
    p.INTEGRATION_TIME = 0.1f;
    p.DERIVATION_TIME = 40;
    p.DEAD_BAND = 0.5f;
    p.FORWARD_OFFSET = 12;
    p.FORWARD_GAIN = 1.25f;
    p.INTEGRATION_LIMIT = 80;
    p.PWM_FREQUENCY = 250;
    p.CONTROL_CYCLE_TIME = 5;
    p.CONTROLLER_STRUCTURE = 3;
    p.SETPOINT_RANGE_DETECTION = 2;
    p.AUTO_ZERO_FEEDBACK_ANALOG_IN_1 = 1;
    p.SETPOINT_SIGNAL = 2;
    p.OVERTEMPERATURE = 1;
    p.SETPOINT_SELECTION = 4;
    p.SETPOINT_DIRECTION = 1;
    p.AUTOSAFE = 1;
    p.SHUT_OFF = 1;
    p.SHUT_OFF_LEVEL = 2.5f;
    p.SETPOINT_OFFSET = -50;
    p.SETPOINT_SPAN = 60;
    p.PRESSURE_SWITCH_OUTPUT_SOURCE = 3;
    p.RAMP_FUNCTION = 2;
    p.SELECT_POLARITY = 1;
    p.SELECT_FUNCTION = 5;
    p.RAMP_RISE_TIME = 1.5f;
    p.RAMP_FALL_TIME = 20.0f;
    p.ANALOG_OUT_SELECT = 5;
    p.ERROR_SELECT = 6;
    p.OPTION_INPUT_PRESSURE_SENSOR = 2;
    p.ANALOG_IN_1_SIGNAL = 1;
    p.ANALOG_IN_1_DIRECTION = 1;
    p.ANALOG_IN_2_SIGNAL = 2;
    p.ANALOG_IN_2_DIRECTION = 1;
    p.OVERTEMPERATURE_LIMIT = 85;
    p.AUTOSAFE_SOURCE = 1;
    p.I_VALUE = 1;
    p.PWM = 1;
    p.DISPLAY_SELECT = 7;
    p.CURRENT_LIMIT_LEVEL = 1500;
    p.INPUT_PRESSURE_LIMIT = 70;
    p.DELAY_TIME = 3;
    p.COIL_OFF_TIME = 5;
    p.COIL_ON_TIME = 2;
    p.LED_GREEN = 1;
    p.LED_YELLOW = 2;
    p.LED_RED = 3;
    p.KEY_FUNCTION = 1;
    p.OUTPUT_DELAY = 0.3f;
    p.OUTPUT_MODE = 1;
    p.WINDOW_SIZE = 3.0f;
    p.LIMIT_SIZE = 12.5f;
    p.FEEDBACK_SELECT = 4;
    p.FEEDBACK_SELECT_SLAVE = 6;
    p.CURRENT_MIN = 105;
    p.CURRENT_MAX = 1270;
    p.SETPOINT_HYSTERESIS = 0.96f;
    p.DP = 3;
    p.RANGE_SENSOR = 1000;
    p.ANALOG_OUT_SIGNAL = 2;
    p.ANALOG_OUT_DIRECTION = 1;
    p.LIMIT_HYSTERESIS = 0.7f;
    p.SLAVE_GAIN = 9.5f;
    return p;
}

}  // namespace kvt::test
