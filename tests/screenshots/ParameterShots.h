#pragma once

#include <QImage>
#include <QString>
#include <string>
#include <utility>
#include <vector>

namespace kvt::test {

// The eight pages of the Parameters dialog, one picture per tab
// ("dialog-parameters-control.png", ...), with the device column read from kvt-devsim (the
// program at `devsimPath`) and an edited set that differs from it on every page. Empty when the
// emulator or the window could not be started.
std::vector<std::pair<QString, QImage>> parameterShots(const std::string& devsimPath);

}  // namespace kvt::test
