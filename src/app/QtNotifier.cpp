#include "app/QtNotifier.h"

#include <QMetaObject>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace kvt {
namespace {

// A completion flag shared between the waiting engine thread and the queued call, which may run
// after the waiter has given up.
struct Completion {
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
};

constexpr std::chrono::milliseconds kAbandonCheckPeriod{10};

}  // namespace

QtNotifier::QtNotifier(QObject* context, Handler handler, BoxHandler boxHandler)
    : context_(context), handler_(std::move(handler)), boxHandler_(std::move(boxHandler)) {}

bool QtNotifier::runAndWait(std::function<void()> work, const AbandonCheck& abandon) {
    if (context_ == nullptr) {
        return false;
    }
    if (QThread::currentThread() == context_->thread()) {
        work();
        return true;
    }
    auto completion = std::make_shared<Completion>();
    QMetaObject::invokeMethod(
        context_,
        [completion, work = std::move(work)] {
            work();
            std::lock_guard lock(completion->mutex);
            completion->done = true;
            completion->cv.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(completion->mutex);
    while (!completion->done) {
        if (abandon && abandon()) {
            return false;
        }
        completion->cv.wait_for(lock, kAbandonCheckPeriod);
    }
    return true;
}

void QtNotifier::send(int code, std::intptr_t value, const AbandonCheck& abandon) {
    runAndWait([this, code, value] { handler_(code, value); }, abandon);
}

void QtNotifier::post(int code, std::intptr_t value) {
    if (context_ == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(
        context_, [this, code, value] { handler_(code, value); }, Qt::QueuedConnection);
}

BoxResult QtNotifier::messageBox(const MessageBoxRequest& request, const AbandonCheck& abandon) {
    auto result = std::make_shared<BoxResult>(request.defaultButton);
    runAndWait([this, request, result] { *result = boxHandler_(request); }, abandon);
    return *result;
}

}  // namespace kvt
