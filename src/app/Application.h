#pragma once

namespace kvt {

// The start-up sequence: working directory, language library, switches, the main frame shown
// maximized, the message loop; the language library is freed at the end.
int runApplication(int argc, char** argv);

}  // namespace kvt
