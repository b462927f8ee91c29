#pragma once

#include <QWidget>

#include "data/MessageBoxRequest.h"

namespace kvt {

// Every message box of the program goes through here, so that tests can answer them and an
// automated run is never held up by the caution message.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // Shows the box modally over `owner` (or with no owner) and returns the button chosen.
    virtual BoxResult show(const MessageBoxRequest& request, QWidget* owner) = 0;
};

// Real message boxes. With KVT_AUTO_ANSWER=1 in the environment every box is answered with its
// default button without being shown (benchmarks and unattended demonstrations).
class QtMessageBoxes final : public MessageBoxes {
  public:
    QtMessageBoxes();
    BoxResult show(const MessageBoxRequest& request, QWidget* owner) override;

  private:
    bool autoAnswer_ = false;
};

}  // namespace kvt
