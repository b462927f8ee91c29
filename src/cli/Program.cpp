#include "cli/Program.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "data/ParaIni.h"
#include "data/ProgramFiles.h"
#include "data/StartupEnvironment.h"

namespace kvt::cli {

Program::Program() : records_(std::make_unique<Records>()) {
    // A library that lacks a text says so once per text; the program's own text is used.
    strings_.setMessageBox([](const std::string& text, const std::string& caption) {
        std::fprintf(stderr, "kvtcli: %s: %s\n", caption.c_str(), text.c_str());
    });
}

Program::~Program() {
    trace_.close();
}

bool Program::setWorkingDirectory(const std::string& folder, std::string* error) {
    if (folder.empty()) {
        workingDirectory_ = currentWorkingDirectory();
        return true;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        if (error != nullptr) {
            *error = "--workdir " + folder + ": not a folder";
        }
        return false;
    }
    std::filesystem::path absolute = std::filesystem::absolute(folder, ec);
    std::string text = (ec ? std::filesystem::path(folder) : absolute.lexically_normal()).string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    workingDirectory_ = text;
    return true;
}

void Program::loadLanguageLibrary() {
    std::error_code ec;
    const std::filesystem::path library =
        std::filesystem::path(workingDirectory_) / kLanguageLibraryFileName;
    if (!std::filesystem::exists(library, ec)) {
        return;
    }
    std::string failure;
    if (!strings_.loadLanguageLibrary(workingDirectory_, &failure)) {
        std::fprintf(stderr, "kvtcli: %s\n", failure.c_str());
    }
}

void Program::applyStartupFiles() {
    Records& r = records();
    ResetProjectData(r);
    SetDefaultNames(r, strings_);
    r.params.deviceSet.VALID = 0;
    r.parameterWriteAllowed = 0;
    r.calibrationWriteAllowed = 0;
    ReadComSettings(workingDirectory_, r.port, devicePaths_);
    WriteComSettings(workingDirectory_, r.port, devicePaths_);
    ReadParaIni(workingDirectory_, r.params);
    WriteParaIni(workingDirectory_, r.params);
    r.params.currentSet = r.params.defaultSet;
}

void Program::openTrace(std::uint32_t testModeWord) {
    trace_.setLogFlag(true);
    trace_.open(workingDirectory_, strings_.text(ids::kAppTitle), testModeWord);
    if (!trace_.isOpen()) {
        std::fprintf(stderr, "kvtcli: cannot create %s in %s; running without a trace\n",
                     TraceLog::kFileName, workingDirectory_.c_str());
    }
}

ProjectContext Program::projectContext() {
    return ProjectContext{records(), strings_, trace_, workingDirectory_, devicePaths_};
}

}  // namespace kvt::cli
