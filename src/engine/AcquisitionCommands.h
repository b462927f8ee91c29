#pragma once

#include <cstdint>

#include "engine/ActionEngine.h"

namespace kvt {

// The bit that Start Acquisition posts for the mode of the scope settings: 0x800 Step Mode,
// 0x400 Ramp Mode, 0x200 Trigger Mode; 0 for a mode outside 0..2 (nothing is started).
std::uint32_t acquisitionBitForMode(std::int32_t mode);

// The trace line of Start Acquisition for the mode (nullptr outside 0..2); the window and kvtcli
// write the same.
const char* acquisitionStartTrace(std::int32_t mode);

// Stop Acquisition, as the user interface asks for it: while an acquisition bit is set, the
// orderly stop (0x1000) replaces the acquisition bits; otherwise the hard stop (0x400000) is
// added. The command word changes in one atomic step, so the engine never sees it 0 in between
// (it would take that as "abandon everything" and no PAS would go out).
enum class AcquisitionStop { Orderly, Hard };
AcquisitionStop requestAcquisitionStop(ActionEngine& engine);

// The orderly stop alone, for a recording that should keep its samples: false (and nothing
// changed) when no acquisition runs any more, so that one that has just ended by itself is not
// followed by a hard stop.
bool requestOrderlyAcquisitionStop(ActionEngine& engine);

// The trace line of each stop, as the window and kvtcli write it.
const char* acquisitionStopTrace(AcquisitionStop stop);

}  // namespace kvt
