#include "support/RecordingNotifier.h"

#include <algorithm>

namespace kvt::test {

void RecordingNotifier::send(int code, std::intptr_t value, const AbandonCheck&) {
    add({code, value, true});
}

void RecordingNotifier::post(int code, std::intptr_t value) {
    add({code, value, false});
}

BoxResult RecordingNotifier::messageBox(const MessageBoxRequest& request, const AbandonCheck&) {
    std::lock_guard lock(mutex_);
    boxes_.push_back(request);
    cv_.notify_all();
    return BoxResult::Ok;
}

void RecordingNotifier::add(Note note) {
    std::lock_guard lock(mutex_);
    notes_.push_back(note);
    cv_.notify_all();
}

std::vector<RecordingNotifier::Note> RecordingNotifier::notes() const {
    std::lock_guard lock(mutex_);
    return notes_;
}

std::vector<int> RecordingNotifier::codes() const {
    std::lock_guard lock(mutex_);
    std::vector<int> out;
    for (const auto& n : notes_) {
        out.push_back(n.code);
    }
    return out;
}

std::vector<MessageBoxRequest> RecordingNotifier::boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}

bool RecordingNotifier::waitFor(int code, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, timeout, [&] {
        return std::any_of(notes_.begin(), notes_.end(),
                           [&](const Note& n) { return n.code == code; });
    });
}

bool RecordingNotifier::waitForCount(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, timeout, [&] { return notes_.size() >= count; });
}

void RecordingNotifier::clear() {
    std::lock_guard lock(mutex_);
    notes_.clear();
    boxes_.clear();
}

std::string EngineStrings::builtin(int id) {
    switch (id) {
        case ids::kAppTitle:
            return "KVT";
        case ids::kFirmwareTooOld:
            return "Controller Firmware must be greater 2";
        case ids::kUnknown:
            return "UNKNOWN";
        default:
            return "<" + std::to_string(id) + ">";
    }
}

}  // namespace kvt::test
