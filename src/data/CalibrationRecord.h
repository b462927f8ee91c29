#pragma once

#include <cstddef>
#include <cstdint>

namespace kvt {

inline constexpr int kCalArrays = 8;
inline constexpr int kCalRows = 10;
inline constexpr int kCalRowWords = 11;  // ten values and a spare word (the valid mark when read)

using CalibrationMatrix = std::int32_t[kCalArrays][kCalRows][kCalRowWords];

// What the calibration dialog lets the values to send hold, and what kvtcli checks before Write
// Matrix: a byte per matrix value, twelve bits per DAC value, the calibration temperature in C.
struct CalibrationRange {
    std::int32_t lo;
    std::int32_t hi;
    bool contains(std::int32_t value) const { return value >= lo && value <= hi; }
};
inline constexpr CalibrationRange kCalMatrixValueRange{0, 255};
inline constexpr CalibrationRange kCalDacRange{0, 4095};
inline constexpr CalibrationRange kCalTemperatureRange{0, 40};

// Calibration data: 1883 words (7532 bytes), block 5 of a project file.
struct CalibrationRecord {
    std::int32_t CAL_MODE;          // 0, 1 or 2
    std::int32_t CAL_ARRAY_SELECT;  // shown array 0..7, saved with the project
    std::int32_t CAL_ROW_SELECT;    // shown temperature row 0..9
    std::int32_t CAL_TEMP_READ;
    std::int32_t CAL_TEMP_WRITE;
    std::int32_t word5;  // shown in a hidden control; no action fills it
    std::int32_t CAL_TEMP_VALID;
    std::int32_t unused7[2];
    std::int32_t CAL_OFFSET_READ;
    std::int32_t CAL_OFFSET_VALID;
    std::int32_t CAL_OFFSET_WRITE;
    std::int32_t CAL_SPAN_READ;
    std::int32_t CAL_SPAN_VALID;
    std::int32_t CAL_SPAN_WRITE;
    CalibrationMatrix CAL_MATRIX_WRITE;
    // Word 10 of each row is the row's valid mark; that of array 7 row 9 is CAL_MATRIX_PRESENT.
    CalibrationMatrix CAL_MATRIX_READ;
    std::int32_t CAL_STATUS_VALID;
    std::int32_t CAL_STATUS;  // high nibble: progress 0..15
    // Kept only in the record and in project files; no action transfers them.
    std::int32_t CAL_DISPLAY_FACTOR;  // 0..4095
    std::int32_t word1778;
    std::int32_t displayFactorValid;  // shows CAL_DISPLAY_FACTOR as read when non-zero
    std::int32_t CAL_DECIMAL_POINT;   // 0 none, 1 right, 2 middle, 3 left
    std::int32_t decimalPointRead;    // the device's choice, same coding
    std::int32_t decimalPointValid;
    float programVersion;  // word 1783, written when a project is saved
    std::int32_t unused1784[99];

    // Set exactly when a Read Matrix completed all its rows.
    std::int32_t& matrixPresent() { return CAL_MATRIX_READ[7][9][10]; }
    bool isMatrixPresent() const { return (CAL_MATRIX_READ[7][9][10] & 0xFF) != 0; }
};

static_assert(sizeof(CalibrationRecord) == 7532);
static_assert(offsetof(CalibrationRecord, CAL_OFFSET_READ) == 9 * 4);
static_assert(offsetof(CalibrationRecord, CAL_SPAN_WRITE) == 14 * 4);
static_assert(offsetof(CalibrationRecord, CAL_MATRIX_WRITE) == 15 * 4);
static_assert(offsetof(CalibrationRecord, CAL_MATRIX_READ) == 895 * 4);
static_assert(offsetof(CalibrationRecord, CAL_MATRIX_READ) + (7 * 110 + 9 * 11 + 10) * 4 ==
              1774 * 4);
static_assert(offsetof(CalibrationRecord, CAL_STATUS_VALID) == 1775 * 4);
static_assert(offsetof(CalibrationRecord, CAL_STATUS) == 1776 * 4);
static_assert(offsetof(CalibrationRecord, CAL_DISPLAY_FACTOR) == 1777 * 4);
static_assert(offsetof(CalibrationRecord, CAL_DECIMAL_POINT) == 1780 * 4);
static_assert(offsetof(CalibrationRecord, decimalPointValid) == 1782 * 4);
static_assert(offsetof(CalibrationRecord, programVersion) == 1783 * 4);

}  // namespace kvt
