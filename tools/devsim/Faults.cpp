#include "Faults.h"

#include <cstdio>

namespace kvt::devsim {

std::string Faults::describe() const {
    char text[160];
    std::snprintf(text, sizeof text, "drop=%u nak=%u bad-bcc=%u noise=%u noise-byte=0x%02X dead=%s",
                  drop, nak, badBcc, noise, noiseByte, dead ? "yes" : "no");
    return text;
}

}  // namespace kvt::devsim
