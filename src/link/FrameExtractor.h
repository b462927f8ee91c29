#pragma once

#include <optional>
#include <span>

#include "data/TraceSink.h"
#include "link/LinkState.h"

namespace kvt {

// Takes a reply of the expected length out of the receive ring into the frame buffer. In stream
// mode it first resynchronises on STX. Called only by link control while a reply is awaited.
std::optional<std::span<const std::uint8_t>> GetReceivedFrame(LinkState& link, TraceSink& trace);

// Empties the receive ring ("ClearRcvQueue"). Only while no reply is awaited.
void ClearRcvQueue(LinkState& link, TraceSink& trace);

}  // namespace kvt
