#pragma once

// A calibration record, write-allowed flag and command word of the tests' own, with the bits the
// dialogs post kept in order.
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "GuiTestSupport.h"
#include "calib/CalibrationDialogBase.h"
#include "data/CalibrationRecord.h"
#include "data/StringTable.h"

namespace kvt::test {

struct CalibrationBench {
    CalibrationBench() : record(std::make_unique<CalibrationRecord>()) {}

    CalibrationLink link() {
        return {*record, writeAllowed, [this] { return word; },
                [this](std::uint32_t bits) {
                    word |= bits;
                    posted.push_back(bits);
                }};
    }
    // What a complete Read Matrix leaves: every row read (value = a*100 + r*10 + v, cut to a byte)
    // and the DAC values and temperature valid.
    void completeRead() {
        CalibrationRecord& c = *record;
        for (int a = 0; a < kCalArrays; ++a) {
            for (int r = 0; r < kCalRows; ++r) {
                for (int v = 0; v < 10; ++v) {
                    c.CAL_MATRIX_READ[a][r][v] = (a * 100 + r * 10 + v) & 0xFF;
                }
                c.CAL_MATRIX_READ[a][r][10] = 1;
            }
        }
        c.CAL_OFFSET_READ = 1000;
        c.CAL_OFFSET_VALID = 1;
        c.CAL_SPAN_READ = 3000;
        c.CAL_SPAN_VALID = 1;
        c.CAL_TEMP_READ = 23;
        c.CAL_TEMP_VALID = 1;
    }
    int count(std::uint32_t bit) const {
        int n = 0;
        for (std::uint32_t b : posted) {
            n += (b & bit) != 0 ? 1 : 0;
        }
        return n;
    }

    StringTable strings;
    ScriptedBoxes boxes;
    std::unique_ptr<CalibrationRecord> record;
    std::atomic<std::uint8_t> writeAllowed{0};
    std::uint32_t word = 0;
    std::vector<std::uint32_t> posted;
};

}  // namespace kvt::test
