#pragma once

#include <string>

namespace kvt::cli {

// One line on stderr that is rewritten in place while long work runs (baud-rate test, matrix,
// recording). It shows only on a terminal and never with --json, so pipes and log files stay
// clean.
class ProgressLine {
  public:
    explicit ProgressLine(bool enabled) : enabled_(enabled) {}
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Enabled when stderr is a terminal and the output is not JSON.
    static bool wanted(bool json);

    bool enabled() const { return enabled_; }
    // Shows the text (an empty text clears the line).
    void show(const std::string& text);
    // Removes the line, so that what follows starts on a clean line.
    void clear();

  private:
    bool enabled_;
    std::string shown_;
};

}  // namespace kvt::cli
