#pragma once

#include <cstdint>

// Step numbers of the acquisition actions. They appear in the error traces and in the Debug
// dialog, so they are fixed here. Each request takes three steps (send, await the send, await
// the reply); the start state of a recording runs with the send of its first request.
//
// | action       | steps         | state                                                    |
// |--------------|---------------|----------------------------------------------------------|
// | Trigger Mode | 0x1b0..0x1b2  | PRS, with the start state                                |
// |              | 0x1b3..0x1b5  | ACS                                                      |
// |              | 0x1b6..0x1b8  | ACR                                                      |
// |              | 0x1b9..0x1bb  | TAS (sample counter to 0); stream mode on after its ACK  |
// |              | 0x1bc         | arm a block (receive only)                               |
// |              | 0x1bd         | await the block, store it, announce, trigger, stop?      |
// |              | 0x1be         | arm the drain (two records)                              |
// |              | 0x1bf         | await the drain, store it, then the Stop action          |
// | Ramp Mode    | 0x1e0..0x1e2  | ATS, with the start state                                |
// |              | 0x1e3..0x1f4  | ATR, SBS, SBR, SES, SER, RSS                             |
// |              | 0x1f5..0x1fa  | ACS, ACR                                                 |
// |              | 0x1fb..0x1fd  | SAS; stream mode on after its ACK                        |
// |              | 0x1fe         | arm a block                                              |
// |              | 0x1ff         | await the block, store it, announce; end after N samples |
// | Step Mode    | 0x210..0x212  | ATS, with the start state                                |
// |              | 0x213..0x221  | ATR, SBS, SBR, SES, SER                                  |
// |              | 0x222..0x227  | ACS, ACR                                                 |
// |              | 0x228..0x22a  | SAS; stream mode on after its ACK                        |
// |              | 0x22b         | arm a block                                              |
// |              | 0x22c         | await the block, store it, announce; end after N samples |
// | Stop         | 0x240         | leave stream mode; wait until the link is idle           |
// |              | 0x241         | let the receive thread finish its read; empty the input  |
// |              | 0x242..0x244  | PAS (stream bytes in front of the ACK are read past)     |
// |              | 0x245         | end: bits cleared, notification 0x31                     |
// | Hard stop    | 0x2b0         | leave stream mode, drop the exchange, baud code 0        |
// |              | 0x2b1         | close the port, next rate (or notification 8)            |
// |              | 0x2b2         | open the port at that rate                               |
// |              | 0x2b3         | send PAS once the link is idle                           |
// |              | 0x2b4         | await the write                                          |
// |              | 0x2b5         | 500 ms, then the next rate or the end                    |
// |              | 0x2b6         | end: baud code 0, bits cleared, notification 0x31        |
namespace kvt::acqstep {

inline constexpr std::uint32_t kTriggerStart = 0x1b0;
inline constexpr std::uint32_t kTriggerArm = 0x1bc;
inline constexpr std::uint32_t kTriggerAwait = 0x1bd;
inline constexpr std::uint32_t kTriggerDrainArm = 0x1be;
inline constexpr std::uint32_t kTriggerDrainAwait = 0x1bf;
inline constexpr std::uint32_t kTriggerLast = 0x1df;

inline constexpr std::uint32_t kRampStart = 0x1e0;
inline constexpr std::uint32_t kRampArm = 0x1fe;
inline constexpr std::uint32_t kRampAwait = 0x1ff;
inline constexpr std::uint32_t kRampLast = 0x20f;

inline constexpr std::uint32_t kStepStart = 0x210;
inline constexpr std::uint32_t kStepArm = 0x22b;
inline constexpr std::uint32_t kStepAwait = 0x22c;
inline constexpr std::uint32_t kStepLast = 0x23f;

inline constexpr std::uint32_t kStopStart = 0x240;
inline constexpr std::uint32_t kStopSettle = 0x241;
inline constexpr std::uint32_t kStopPas = 0x242;
inline constexpr std::uint32_t kStopPasReply = 0x244;
inline constexpr std::uint32_t kStopDone = 0x245;
inline constexpr std::uint32_t kStopLast = 0x24f;

inline constexpr std::uint32_t kHardStart = 0x2b0;
inline constexpr std::uint32_t kHardNextRate = 0x2b1;
inline constexpr std::uint32_t kHardOpen = 0x2b2;
inline constexpr std::uint32_t kHardSend = 0x2b3;
inline constexpr std::uint32_t kHardAwaitWrite = 0x2b4;
inline constexpr std::uint32_t kHardWait = 0x2b5;
inline constexpr std::uint32_t kHardDone = 0x2b6;
inline constexpr std::uint32_t kHardLast = 0x2bf;

}  // namespace kvt::acqstep
