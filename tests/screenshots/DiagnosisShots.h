#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <string>

#include "app/MainFrame.h"

namespace kvt::shots {

// Sends one control command to the emulator behind the frame's port and returns its reply.
using DeviceControl = std::function<std::string(const std::string&)>;

// Waits (running the event loop) until the engine is idle; false after 20 s.
bool waitIdle(CMainFrame& frame);

// Opens the dialog of the slot as its menu command does, runs `body` while it is open and
// closes it again.
void withSlotDialog(CMainFrame& frame, DialogSlot slot,
                    const std::function<void(CToolDialog&)>& body);

// Pictures of the four dialogs of the Diagnosis menu, filled from the emulator through the
// frame: Modul Info after a read, Status Info with a lit and a blinking LED in its lit phase and
// a change listed, Serial Setpoint while transmitting, Test Function after a write and a read.
// Returns the files written into `folder`.
QStringList shootDiagnosisDialogs(CMainFrame& frame, const DeviceControl& device,
                                  const QString& folder);

}  // namespace kvt::shots
