#include "cli/CliNotifier.h"

#include <algorithm>

namespace kvt::cli {

std::uint64_t CliNotifier::enqueue(Event event) {
    std::lock_guard lock(mutex_);
    event.serial = nextSerial_++;
    const std::uint64_t serial = event.serial;
    queue_.push_back(std::move(event));
    queued_.notify_all();
    return serial;
}

void CliNotifier::waitHandled(std::uint64_t serial, const AbandonCheck& abandon) {
    std::unique_lock lock(mutex_);
    while (handledUpTo_ < serial) {
        if (abandon && abandon()) {
            return;
        }
        done_.wait_for(lock, kAbandonPoll);
    }
}

void CliNotifier::send(int code, std::intptr_t value, const AbandonCheck& abandon) {
    Event event;
    event.kind = Event::Sent;
    event.code = code;
    event.value = value;
    waitHandled(enqueue(std::move(event)), abandon);
}

void CliNotifier::post(int code, std::intptr_t value) {
    Event event;
    event.kind = Event::Posted;
    event.code = code;
    event.value = value;
    enqueue(std::move(event));
}

BoxResult CliNotifier::messageBox(const MessageBoxRequest& request, const AbandonCheck& abandon) {
    Event event;
    event.kind = Event::Box;
    event.box = request;
    waitHandled(enqueue(std::move(event)), abandon);
    return nonInteractiveAnswer(request.buttons);
}

std::optional<CliNotifier::Event> CliNotifier::next(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!queued_.wait_for(lock, timeout, [this] { return !queue_.empty(); })) {
        return std::nullopt;
    }
    Event event = std::move(queue_.front());
    queue_.pop_front();
    return event;
}

void CliNotifier::handled(const Event& event) {
    std::lock_guard lock(mutex_);
    handledUpTo_ = std::max(handledUpTo_, event.serial);
    done_.notify_all();
}

BoxResult CliNotifier::nonInteractiveAnswer(BoxButtons buttons) {
    switch (buttons) {
        case BoxButtons::Ok:
            return BoxResult::Ok;
        case BoxButtons::OkCancel:
        case BoxButtons::YesNoCancel:
            return BoxResult::Cancel;
        case BoxButtons::YesNo:
            return BoxResult::No;
    }
    return BoxResult::Cancel;
}

}  // namespace kvt::cli
