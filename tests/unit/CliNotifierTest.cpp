// kvtcli's notification queue: sent notifications wait for the main thread, posted ones do not,
// a shutdown is never kept waiting, boxes get a non-interactive answer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "cli/CliNotifier.h"

namespace kvt::cli {
namespace {

using namespace std::chrono_literals;

TEST(CliNotifier, PostedNotificationsQueueInOrderWithoutWaiting) {
    CliNotifier notifier;
    notifier.post(0x41, 0);
    notifier.post(0x40, 7);
    const auto first = notifier.next(0ms);
    const auto second = notifier.next(0ms);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->code, 0x41);
    EXPECT_EQ(second->code, 0x40);
    EXPECT_EQ(second->value, 7);
    EXPECT_EQ(second->kind, CliNotifier::Event::Posted);
    EXPECT_FALSE(notifier.next(0ms));
}

TEST(CliNotifier, ASentNotificationReturnsOnlyWhenHandled) {
    CliNotifier notifier;
    std::atomic<int> checks{0};
    std::atomic<bool> returned{false};
    std::thread engine([&] {
        notifier.send(0x30, 1250, [&] {
            ++checks;
            return false;
        });
        returned = true;
    });
    const auto event = notifier.next(5s);
    ASSERT_TRUE(event);
    EXPECT_EQ(event->kind, CliNotifier::Event::Sent);
    EXPECT_EQ(event->value, 1250);
    // Taken but not yet handled: the engine still waits, looking at its abandon check again
    // and again without returning.
    const int seen = checks.load();
    for (int i = 0; i < 2000 && checks.load() < seen + 3; ++i) {
        std::this_thread::sleep_for(CliNotifier::kAbandonPoll / 4);
    }
    ASSERT_GE(checks.load(), seen + 3);
    EXPECT_FALSE(returned.load());
    notifier.handled(*event);
    engine.join();
    EXPECT_TRUE(returned.load());
}

TEST(CliNotifier, AStopReleasesASendNobodyHandles) {
    CliNotifier notifier;
    std::atomic<bool> stopping{false};
    std::atomic<int> checks{0};
    std::atomic<bool> returned{false};
    std::thread engine([&] {
        notifier.send(0x50, 0, [&] {
            ++checks;
            return stopping.load();
        });
        returned = true;
    });
    ASSERT_TRUE(notifier.next(5s));
    stopping = true;
    engine.join();  // would hang if the send ignored the abandon check
    EXPECT_TRUE(returned.load());
    EXPECT_GT(checks.load(), 0);
}

TEST(CliNotifier, BoxesReachTheMainThreadAndGetTheSafeAnswer) {
    CliNotifier notifier;
    BoxResult answer = BoxResult::Yes;
    std::thread engine([&] {
        MessageBoxRequest box;
        box.text = "Controller Firmware must be greater 2";
        box.buttons = BoxButtons::YesNo;
        answer = notifier.messageBox(box, [] { return false; });
    });
    const auto event = notifier.next(5s);
    ASSERT_TRUE(event);
    EXPECT_EQ(event->kind, CliNotifier::Event::Box);
    EXPECT_EQ(event->box.text, "Controller Firmware must be greater 2");
    notifier.handled(*event);
    engine.join();
    EXPECT_EQ(answer, BoxResult::No);
    EXPECT_EQ(CliNotifier::nonInteractiveAnswer(BoxButtons::Ok), BoxResult::Ok);
    EXPECT_EQ(CliNotifier::nonInteractiveAnswer(BoxButtons::OkCancel), BoxResult::Cancel);
    EXPECT_EQ(CliNotifier::nonInteractiveAnswer(BoxButtons::YesNoCancel), BoxResult::Cancel);
}

}  // namespace
}  // namespace kvt::cli
