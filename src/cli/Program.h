#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "data/ComSettings.h"
#include "data/ProjectFile.h"
#include "data/Records.h"
#include "data/StringTable.h"
#include "link/TraceLog.h"

namespace kvt::cli {

// What the desktop program's application object and main frame hold, without a window: the
// records, the texts, the trace log, the working directory and the device paths of
// KVT_com.ini. One per run.
class Program {
  public:
    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The working directory: the given folder, or the current directory when empty. False with
    // the reason when the folder is not there.
    bool setWorkingDirectory(const std::string& folder, std::string* error);
    const std::string& workingDirectory() const { return workingDirectory_; }

    // Loads Lang_dll.DLL from the working directory when there is one. A library that is there
    // but cannot be loaded is reported on stderr; without one the program's own texts serve
    // silently (a tool for scripts has no start-up box to show).
    void loadLanguageLibrary();

    // The window's start-up: an empty project named "UNKNOWN", KVT_com.ini read and written,
    // KVT_para.ini read and written, the current set made a copy of the default set.
    void applyStartupFiles();

    // "-LOG": debug.txt in the working directory, with the test-mode word in its header.
    void openTrace(std::uint32_t testModeWord);
    void closeTrace() { trace_.close(); }

    Records& records() { return *records_; }
    StringTable& strings() { return strings_; }
    TraceLog& trace() { return trace_; }
    DevicePaths& devicePaths() { return devicePaths_; }
    ProjectContext projectContext();

  private:
    std::unique_ptr<Records> records_;
    StringTable strings_;
    TraceLog trace_;
    DevicePaths devicePaths_{};
    std::string workingDirectory_;
};

}  // namespace kvt::cli
