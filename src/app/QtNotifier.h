#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "engine/Notifier.h"

namespace kvt {

// The engine's notifications and message boxes, delivered on the user-interface thread. Sent
// notifications and boxes wait for the user interface, but give up as soon as the threads are
// being stopped, so a shutdown during an action can never deadlock.
class QtNotifier final : public Notifier {
  public:
    using Handler = std::function<void(int code, std::intptr_t value)>;
    using BoxHandler = std::function<BoxResult(const MessageBoxRequest&)>;

    // `context` is the object on whose thread the handlers run (the main frame).
    QtNotifier(QObject* context, Handler handler, BoxHandler boxHandler);

    void send(int code, std::intptr_t value, const AbandonCheck& abandon) override;
    void post(int code, std::intptr_t value) override;
    BoxResult messageBox(const MessageBoxRequest& request, const AbandonCheck& abandon) override;

  private:
    // Runs `work` on the context's thread and waits for it, or until `abandon` says stop.
    bool runAndWait(std::function<void()> work, const AbandonCheck& abandon);

    QObject* context_;  // the main frame; outlives the threads that call in
    Handler handler_;
    BoxHandler boxHandler_;
};

}  // namespace kvt
