#pragma once

#include <QImage>
#include <QString>
#include <string>
#include <utility>
#include <vector>

namespace kvt::test {

// The calibration dialogs and the start confirmation, filled with what a main window read from
// kvt-devsim (the program at `devsimPath`): one picture per file name ("dialog-calibration.png",
// ...). Empty when the emulator or the window could not be started.
std::vector<std::pair<QString, QImage>> calibrationShots(const std::string& devsimPath);

}  // namespace kvt::test
