#include "cli/ParameterCompare.h"

#include <algorithm>
#include <cstddef>

#include "data/SetpointRecords.h"
#include "engine/ParameterWireTable.h"

namespace kvt::cli {
namespace {

template <typename T>
std::size_t offsetOf(T ParameterRecord::*member) {
    static const ParameterRecord probe{};
    return static_cast<std::size_t>(reinterpret_cast<const char*>(&(probe.*member)) -
                                    reinterpret_cast<const char*>(&probe));
}

// Byte offsets of every record field a write request carries.
std::vector<std::size_t> writtenOffsets() {
    std::vector<std::size_t> offsets;
    for (const WireLine& line : parameterWireTable()) {
        if (!line.writable()) {
            continue;
        }
        if (line.bits.empty()) {
            const FieldRef& ref = line.number.field;
            if (ref.integer != nullptr) {
                offsets.push_back(offsetOf(ref.integer));
            } else if (ref.real != nullptr) {
                offsets.push_back(offsetOf(ref.real));
            }
            continue;
        }
        for (const BitField& bits : line.bits) {
            if (bits.target == BitTarget::Record && bits.field != nullptr) {
                offsets.push_back(offsetOf(bits.field));
            }
        }
    }
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    return offsets;
}

const std::vector<std::size_t>& written() {
    static const std::vector<std::size_t> offsets = writtenOffsets();
    return offsets;
}

// The project set as the controller would report it after a write of it.
ParameterRecord asSent(const ParameterRecord& project) {
    ParameterRecord result = project;
    TestFunctionState unused{};
    for (const WireLine& line : parameterWireTable()) {
        if (line.writable()) {
            decodeLine(line, encodeLine(line, project, unused), result, unused);
        }
    }
    return result;
}

}  // namespace

bool fieldIsWritten(const ParameterField& field) {
    return std::binary_search(written().begin(), written().end(), field.offset);
}

std::vector<ParameterDifference> compareWithDevice(const ParameterRecord& project,
                                                   const ParameterRecord& device) {
    const ParameterRecord expected = asSent(project);
    std::vector<ParameterDifference> differences;
    for (const ParameterField& field : parameterFields()) {
        if (!fieldIsWritten(field)) {
            continue;
        }
        const double want = fieldValue(expected, field);
        const double have = fieldValue(device, field);
        if (want != have) {
            differences.push_back({&field, fieldValue(project, field), have});
        }
    }
    return differences;
}

}  // namespace kvt::cli
