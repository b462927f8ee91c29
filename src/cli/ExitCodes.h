#pragma once

namespace kvt::cli {

// What kvtcli tells the calling script. The numbers are part of its interface.
namespace exit_code {
inline constexpr int kDone = 0;
inline constexpr int kUsage = 1;          // bad arguments, or an action refused without --yes
inline constexpr int kCommunication = 2;  // the action ended "stopped " (or the device refused it)
inline constexpr int kNoBaudRate = 3;     // no rate answered the baud-rate test
inline constexpr int kFile = 4;           // a file could not be read or written
inline constexpr int kDiffers = 5;        // the controller holds other values than were sent
// Ended by Ctrl+C (or SIGTERM, SIGHUP) before the action was done: 128 + SIGINT, as shells do.
inline constexpr int kInterrupted = 130;
}  // namespace exit_code

}  // namespace kvt::cli
