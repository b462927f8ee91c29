#include "cli/ParameterCompare.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "data/SetpointRecords.h"
#include "engine/ParameterWireTable.h"

namespace kvt::cli {
namespace {

// A field a write request carries, and the smallest change of it that the line can tell: one
// step of its byte (0.1 for a gain sent in tenths, 10 for a current sent in tens, 1 for codes).
struct WrittenField {
    std::size_t offset;
    double step;
    bool operator<(const WrittenField& other) const { return offset < other.offset; }
};

std::vector<WrittenField> writtenFields() {
    std::vector<WrittenField> fields;
    const auto add = [&](std::size_t offset, double step) {
        for (WrittenField& f : fields) {
            if (f.offset == offset) {
                f.step = std::min(f.step, step);
                return;
            }
        }
        fields.push_back({offset, step});
    };
    for (const WireLine& line : parameterWireTable()) {
        if (!line.writable()) {
            continue;
        }
        if (line.bits.empty()) {
            const double scale = std::fabs(line.number.readScale);
            add(line.field->offset, scale > 0 ? scale : 1.0);
            continue;
        }
        for (const BitField& bits : line.bits) {
            if (bits.target == BitTarget::Record) {
                add(bits.field->offset, 1.0);
            }
        }
    }
    std::sort(fields.begin(), fields.end());
    return fields;
}

const std::vector<WrittenField>& written() {
    static const std::vector<WrittenField> fields = writtenFields();
    return fields;
}

const WrittenField* writtenField(std::size_t offset) {
    const auto& fields = written();
    const auto it = std::lower_bound(fields.begin(), fields.end(), WrittenField{offset, 0});
    return it != fields.end() && it->offset == offset ? &*it : nullptr;
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
    return writtenField(field.offset) != nullptr;
}

std::vector<ParameterDifference> compareWithDevice(const ParameterRecord& project,
                                                   const ParameterRecord& device) {
    const ParameterRecord expected = asSent(project);
    std::vector<ParameterDifference> differences;
    for (const ParameterField& field : parameterFields()) {
        const WrittenField* written = writtenField(field.offset);
        if (written == nullptr) {
            continue;
        }
        const double own = fieldValue(project, field);
        const double want = fieldValue(expected, field);
        const double have = fieldValue(device, field);
        // Lost on the way, or a value the byte cannot hold (a code out of its list, a number
        // beyond 255 steps): either way the controller does not hold the project's value.
        const bool carried = std::fabs(want - own) < written->step;
        if (want != have || !carried) {
            differences.push_back({&field, own, have});
        }
    }
    return differences;
}

}  // namespace kvt::cli
