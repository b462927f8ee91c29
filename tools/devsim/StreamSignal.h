#pragma once

#include <array>
#include <cmath>
#include <cstdint>

#include "link/Frame.h"

// The signals of the emulated controller's acquisition stream. They depend on nothing but the
// record number k (0 for the first record after SAS or TAS), so a test or a trainer can tell what
// every record must hold. Header only: the end-to-end tests compute the same values.
namespace kvt::devsim {

inline constexpr std::uint64_t kSinePeriodRecords = 250;       // analog 2: 1 s at 4 ms
inline constexpr std::uint64_t kSlowSinePeriodRecords = 1000;  // analog 3
inline constexpr std::uint64_t kTrianglePeriodRecords = 2000;  // analog 4
inline constexpr std::uint64_t kBinaryStepRecords = 50;        // binary byte counts up every 50
inline constexpr int kOffsetBinaryZero = 128;                  // analog 3 and 4 are offset binary
inline constexpr int kSlowWaveAmplitude = 100;

using StreamRecord = std::array<std::uint8_t, 6>;

namespace detail {
inline double turn(std::uint64_t k, std::uint64_t period) {
    constexpr double kTwoPi = 6.283185307179586;
    return kTwoPi * static_cast<double>(k % period) / static_cast<double>(period);
}
}  // namespace detail

// Analog 1: a ramp 0..255 that repeats every 256 records.
inline std::uint8_t analog1At(std::uint64_t k) {
    return static_cast<std::uint8_t>(k & 0xFF);
}

// Analog 2: a full-scale sine, 0..255, period kSinePeriodRecords.
inline std::uint8_t analog2At(std::uint64_t k) {
    const double value = 127.5 + 127.5 * std::sin(detail::turn(k, kSinePeriodRecords));
    return static_cast<std::uint8_t>(std::fmin(255.0, std::fmax(0.0, value)));
}

// Analog 3: a slower sine around the offset-binary zero, 28..228.
inline std::uint8_t analog3At(std::uint64_t k) {
    const double value = kSlowWaveAmplitude * std::sin(detail::turn(k, kSlowSinePeriodRecords));
    return static_cast<std::uint8_t>(kOffsetBinaryZero + static_cast<int>(value));
}

// Analog 4: a triangle 28..228 with period kTrianglePeriodRecords.
inline std::uint8_t analog4At(std::uint64_t k) {
    const std::uint64_t half = kTrianglePeriodRecords / 2;
    const std::uint64_t phase = k % kTrianglePeriodRecords;
    const std::uint64_t rise = phase < half ? phase : kTrianglePeriodRecords - phase;  // 0..half
    const std::uint64_t span = 2 * kSlowWaveAmplitude;
    return static_cast<std::uint8_t>(kOffsetBinaryZero - kSlowWaveAmplitude +
                                     static_cast<int>(rise * span / half));
}

// Binary status byte: a counter that steps once every kBinaryStepRecords records, so bit j
// changes every 50 * 2^j records.
inline std::uint8_t binaryAt(std::uint64_t k) {
    return static_cast<std::uint8_t>((k / kBinaryStepRecords) & 0xFF);
}

inline StreamRecord streamRecordAt(std::uint64_t k) {
    return {STX, analog1At(k), analog2At(k), analog3At(k), analog4At(k), binaryAt(k)};
}

}  // namespace kvt::devsim
