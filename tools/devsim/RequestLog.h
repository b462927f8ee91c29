#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "Constants.h"
#include "data/UniqueFd.h"

namespace kvt::devsim {

// The request log (--log FILE): one line per request, reply or event, written whole at once so
// that a reader never sees half a line and the file is complete if the program is killed.
//
//   <seconds since start> rx|tx|-- <mnemonic or ---> <bytes in hex>[ # note]
//   0.512345 rx KPR 02 02 00 02
//   0.512371 tx KPR 02 0A 0A
//   0.900000 -- --- # stream started by SAS, period 4000 us
class RequestLog {
  public:
    explicit RequestLog(Clock::time_point origin) : origin_(origin) {}

    bool open(const std::string& path, std::string& error);
    bool isOpen() const { return file_.valid(); }

    void bytes(Clock::time_point when, std::string_view direction, std::string_view mnemonic,
               std::span<const std::uint8_t> data, std::string_view note = {});
    void event(Clock::time_point when, std::string_view text);

  private:
    void write(Clock::time_point when, std::string_view direction, std::string_view mnemonic,
               std::string_view hex, std::string_view note);

    Clock::time_point origin_;
    UniqueFd file_;
};

}  // namespace kvt::devsim
