#include "Counters.h"

namespace kvt::devsim {

namespace {
struct CounterName {
    const char* name;
    std::uint64_t Counters::*field;
};

constexpr CounterName kNames[] = {
    {"requests", &Counters::requests},
    {"acks", &Counters::acks},
    {"naks", &Counters::naks},
    {"data-replies", &Counters::dataReplies},
    {"bad-checksums", &Counters::badChecksums},
    {"unknown", &Counters::unknown},
    {"dropped", &Counters::dropped},
    {"corrupted", &Counters::corrupted},
    {"noise-bytes", &Counters::noiseBytes},
    {"wrong-baud-bytes", &Counters::wrongBaudBytes},
    {"stray-bytes", &Counters::strayBytes},
    {"incomplete", &Counters::incomplete},
    {"streams", &Counters::streams},
    {"records-sent", &Counters::recordsSent},
    {"records-lost", &Counters::recordsLost},
};
}  // namespace

std::string Counters::format() const {
    std::string text;
    for (const CounterName& entry : kNames) {
        if (!text.empty()) {
            text.push_back(' ');
        }
        text.append(entry.name).append("=").append(std::to_string(this->*entry.field));
    }
    return text;
}

bool Counters::lookup(const std::string& name, std::uint64_t& value) const {
    for (const CounterName& entry : kNames) {
        if (name == entry.name) {
            value = this->*entry.field;
            return true;
        }
    }
    return false;
}

}  // namespace kvt::devsim
