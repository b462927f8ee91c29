#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "data/Strings.h"
#include "engine/Notifier.h"

namespace kvt::test {

// Keeps every notification and message box; every box is answered Ok.
class RecordingNotifier final : public Notifier {
  public:
    struct Note {
        int code;
        std::intptr_t value;
        bool sent;  // send (waits until handled), not post

        bool operator==(const Note&) const = default;
        friend void PrintTo(const Note& n, std::ostream* out) {
            *out << "{" << n.code << ", " << n.value << (n.sent ? ", sent}" : ", posted}");
        }
    };

    void send(int code, std::intptr_t value, const AbandonCheck& abandon) override;
    void post(int code, std::intptr_t value) override;
    BoxResult messageBox(const MessageBoxRequest& request, const AbandonCheck& abandon) override;

    std::vector<Note> notes() const;
    std::vector<int> codes() const;
    std::vector<MessageBoxRequest> boxes() const;
    // Waits until a notification with the code arrived (real time, bounded).
    bool waitFor(int code, std::chrono::milliseconds timeout = std::chrono::seconds(20));
    bool waitForCount(std::size_t count,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20));
    void clear();

  private:
    void add(Note note);

    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<Note> notes_;
    std::vector<MessageBoxRequest> boxes_;
};

// Strings for tests: the application title and a few texts the engine shows; "<id>" otherwise.
class EngineStrings final : public Strings {
  public:
    std::string text(int id) override { return builtin(id); }
    std::string builtin(int id) override;
    bool libraryLoaded() const override { return false; }
};

}  // namespace kvt::test
