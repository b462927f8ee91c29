#include "scope/CsvExport.h"

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "data/FileIo.h"
#include "data/Format.h"
#include "data/ScopeModel.h"

namespace kvt {
namespace {

constexpr const char* kTimeColumn = "Time [s]";
constexpr const char* kAnalogUnit = " [%]";
constexpr const char* kBinaryUnit = " [0/1]";
constexpr const char* kLineEnd = "\r\n";
constexpr char kSeparator = ',';
constexpr char kQuote = '"';
constexpr int kMsPerSecond = 1000;
// Bytes of one data row at most: the time, four analog values and four bits with separators.
constexpr std::size_t kRowReserve = 96;

// RFC 4180: a field holding the separator, a quote or a line break is quoted, quotes doubled.
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted(1, kQuote);
    for (char c : text) {
        if (c == kQuote) {
            quoted += kQuote;
        }
        quoted += c;
    }
    quoted += kQuote;
    return quoted;
}

// Whole milliseconds as seconds, exact: the periods are whole milliseconds.
std::string secondsText(long long ms) {
    const char* sign = ms < 0 ? "-" : "";
    const long long magnitude = ms < 0 ? -ms : ms;
    return format("%s%lld.%03lld", sign, magnitude / kMsPerSecond, magnitude % kMsPerSecond);
}

std::string analogText(float value) {
    // A damaged project file may hold anything; a spreadsheet still gets a number.
    if (!std::isfinite(value)) {
        return "0.000";
    }
    return format("%.3f", static_cast<double>(value));
}

}  // namespace

std::array<std::string, kCsvColumns> csvColumnNames(const ScopeSettings& settings,
                                                    Strings& strings) {
    std::array<std::string, kCsvColumns> names;
    names[0] = kTimeColumn;
    const bool slave = settings.masterSlave != 0;
    for (int c = 0; c < kAnalogChannels; ++c) {
        const int id = analogSignalNameId(c, settings.analogSel(c), slave);
        const std::string name = id != 0 ? strings.text(id) : format("Analog %d", c + 1);
        names[static_cast<std::size_t>(1 + c)] = name + kAnalogUnit;
    }
    for (int k = 0; k < kBinaryChannels; ++k) {
        const int id = binarySignalNameId(settings.binarySel[k]);
        const std::string name = id != 0 ? strings.text(id) : format("Binary %d", k + 1);
        names[static_cast<std::size_t>(1 + kAnalogChannels + k)] = name + kBinaryUnit;
    }
    return names;
}

int recordedSampleCount(const ScopeSettings& settings) {
    return std::clamp<int>(sampleCapacity(settings), 0, kMaxSamples);
}

std::string recordingCsv(const ScopeSettings& settings, const AcquisitionBuffers& samples,
                         Strings& strings, int sampleCount) {
    const int count = std::clamp(sampleCount, 0, kMaxSamples);
    const bool trigger = settings.mode == ScopeSettings::TriggerMode;
    const long long periodMs = samplePeriodMs(settings);
    const long long newest = recordedSampleCount(settings);

    std::string out;
    out.reserve(kRowReserve * static_cast<std::size_t>(count + 1));
    const auto names = csvColumnNames(settings, strings);
    for (std::size_t c = 0; c < names.size(); ++c) {
        if (c != 0) {
            out += kSeparator;
        }
        out += csvField(names[c]);
    }
    out += kLineEnd;

    for (int i = 0; i < count; ++i) {
        const long long ms = (trigger ? newest - i : i) * periodMs;
        out += secondsText(ms);
        for (const auto& channel : samples.analog) {
            out += kSeparator;
            out += analogText(channel[i]);
        }
        for (const auto& channel : samples.binary) {
            out += kSeparator;
            out += channel[i] != 0 ? '1' : '0';
        }
        out += kLineEnd;
    }
    return out;
}

CsvWriteResult saveRecordingCsv(const std::filesystem::path& path, const ScopeSettings& settings,
                                const AcquisitionBuffers& samples, Strings& strings,
                                int sampleCount) {
    const std::string text = recordingCsv(settings, samples, strings, sampleCount);
    // Written beside the target and renamed over it: a failure never leaves half a table.
    const FileWriteResult written = replaceFileContents(path, text);
    return {written.ok, written.ok ? 0 : (written.error != 0 ? written.error : EIO)};
}

}  // namespace kvt
