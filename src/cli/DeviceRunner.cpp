#include "cli/DeviceRunner.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "cli/ExitCodes.h"
#include "cli/Interrupt.h"
#include "data/CommandLine.h"
#include "data/Format.h"
#include "data/PortProblem.h"
#include "engine/AcquisitionCommands.h"

namespace kvt::cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kProgressAfter = std::chrono::seconds(1);

bool isFailureCode(int code) {
    return code == notify::kSendFailed || code == notify::kTimeout || code == notify::kBadReply ||
           code == notify::kHardStopFailed;
}

// What went wrong, in words, after the window's own message.
const char* failureDetail(int code) {
    switch (code) {
        case notify::kSendFailed:
            return "the request could not be sent (the line or the adapter failed)";
        case notify::kTimeout:
            return "the controller did not answer, also after the retries";
        case notify::kBadReply:
            return "the controller's replies stayed wrong after the retries";
        case notify::kHardStopFailed:
            return "the port could not be opened at any rate for the stop";
        default:
            return "the action ended with an error";
    }
}

}  // namespace

int ActionResult::exitCode() const {
    switch (status) {
        case Done:
            return exit_code::kDone;
        case NoBaudRate:
            return exit_code::kNoBaudRate;
        case Interrupted:
            return exit_code::kInterrupted;
        case Failed:
        case Refused:
            return exit_code::kCommunication;
    }
    return exit_code::kCommunication;
}

DeviceRunner::DeviceRunner(Program& program, const GlobalOptions& options, ProgressLine& progress,
                           LinkTiming timing)
    : program_(program), options_(options), progress_(progress), timing_(timing) {}

DeviceRunner::~DeviceRunner() {
    stop();
}

std::uint32_t DeviceRunner::testModeWord() const {
    return options_.simulate ? kTestModeSimulate : 0u;
}

bool DeviceRunner::start(std::string* error) {
    if (session_ != nullptr) {
        return true;
    }
    if (options_.simulate && !simulatedLine_.open(error)) {
        return false;
    }
    DeviceSession::Options sessionOptions;
    sessionOptions.timing = timing_;
    sessionOptions.testMode = testModeWord();
    session_ = std::make_unique<DeviceSession>(program_.records(), program_.trace(), notifier_,
                                               program_.strings(), sessionOptions);
    session_->useDevicePaths(program_.devicePaths(),
                             options_.simulate ? simulatedLine_.devicePath() : options_.port);
    session_->start();
    return true;
}

void DeviceRunner::stop() {
    if (session_ != nullptr) {
        session_->stop();
    }
}

bool DeviceRunner::requestOrderlyStop() {
    if (!requestOrderlyAcquisitionStop(engine())) {
        return false;
    }
    program_.trace().info(acquisitionStopTrace(AcquisitionStop::Orderly));
    return true;
}

void DeviceRunner::requestStop() {
    program_.trace().info(acquisitionStopTrace(requestAcquisitionStop(engine())));
}

ActionResult DeviceRunner::run(const ActionRequest& request) {
    ActionResult result;
    if (Interrupt::count() > signalsSeen_) {
        signalsSeen_ = Interrupt::count();
        result.status = ActionResult::Interrupted;
        result.interrupted = true;
        result.message = "interrupted";
        return result;
    }
    const auto started = Clock::now();
    ActionEngine& e = engine();
    e.post(request.bits);
    auto idleSince = Clock::time_point::max();
    bool stopAsked = false;
    for (;;) {
        if (Interrupt::count() > signalsSeen_) {
            signalsSeen_ = Interrupt::count();
            result.interrupted = true;
            if (request.onInterrupt == ActionRequest::OnInterrupt::StopAcquisition && !stopAsked) {
                stopAsked = true;
                result.stopRequested = requestOrderlyStop();
            } else {
                abandon();
                progress_.clear();
                result.status = ActionResult::Interrupted;
                result.message = "interrupted";
                return result;
            }
        }
        if (!stopAsked && request.stopWanted && request.stopWanted()) {
            stopAsked = true;
            result.stopRequested = requestOrderlyStop();
        }
        if (const auto event = notifier_.next(kPoll)) {
            const bool ended = handle(*event, request, result);
            notifier_.handled(*event);
            if (ended) {
                progress_.clear();
                return result;
            }
            idleSince = Clock::time_point::max();
        } else if (e.commandWord() == 0 && e.step() == step::kDispatcher) {
            // Every end of an action notifies; an engine that sits idle without one was stopped
            // some other way, and waiting longer would wait for ever.
            if (idleSince == Clock::time_point::max()) {
                idleSince = Clock::now();
            } else if (Clock::now() - idleSince >= kSilentEnd) {
                progress_.clear();
                result.status = ActionResult::Refused;
                result.message = request.title + " ended without a result";
                return result;
            }
        }
        progress_.show(progressText(request, started));
    }
}

bool DeviceRunner::handle(const CliNotifier::Event& event, const ActionRequest& request,
                          ActionResult& result) {
    if (event.kind == CliNotifier::Event::Box) {
        // The engine shows a box only where it gives up: it has dropped the command word. The
        // box's text becomes the error the run ends with.
        result.status = ActionResult::Refused;
        result.message =
            event.box.caption.empty() ? event.box.text : event.box.caption + ": " + event.box.text;
        return true;
    }
    if (request.onEvent) {
        request.onEvent(event);
    }
    const int code = event.code;
    if (code == notify::kDisplayUpdate) {
        // Nothing paints here; the next update may come at once.
        program_.records().acquisition.displayUpdatePending = 0;
    }
    if (code == request.doneCode) {
        result.status = ActionResult::Done;
        result.code = code;
        return true;
    }
    if (code == notify::kBaudrateFailed) {
        const int openError = session_->portOpenError();
        result.code = code;
        if (portInUse(openError)) {
            // Not the controller's silence: another program drives the line.
            result.status = ActionResult::Failed;
            result.message = portProblemText(
                session_->devicePath(program_.records().port.portCode.load()), openError);
            return true;
        }
        result.status = ActionResult::NoBaudRate;
        result.message = baudrateText();
        return true;
    }
    if (isFailureCode(code)) {
        result.status = ActionResult::Failed;
        result.code = code;
        result.message = failureText(code);
        return true;
    }
    return false;
}

void DeviceRunner::abandon() {
    ActionEngine& e = engine();
    e.clearAll();
    const auto deadline = Clock::now() + kAbandonWait;
    // The engine may be waiting for a sent notification; keep answering until it is back at the
    // dispatcher, so that the stop finds it idle.
    while (Clock::now() < deadline && !(e.commandWord() == 0 && e.step() == step::kDispatcher)) {
        if (const auto event = notifier_.next(kPoll)) {
            notifier_.handled(*event);
        }
    }
}

std::string DeviceRunner::progressText(const ActionRequest& request, Clock::time_point started) {
    if (!progress_.enabled()) {
        return {};
    }
    ActionEngine& e = engine();
    const auto elapsed = Clock::now() - started;
    std::string text;
    if ((e.commandWord() & cmd::kBaudRateTest) != 0) {
        const int rate = baudRateOf(program_.records().port.baudCode.load());
        text = rate != 0 ? format("Baud-rate test: %d baud", rate) : "Baud-rate test";
    } else {
        text = request.progress ? request.progress() : std::string();
        if (text.empty() && (request.longWork || elapsed >= kProgressAfter)) {
            text = format("%s: %lld s", request.title.c_str(),
                          static_cast<long long>(
                              std::chrono::duration_cast<std::chrono::seconds>(elapsed).count()));
        }
    }
    const auto retry = session_->statusBlock()[StatusActionRetry].load();
    if (!text.empty() && retry > 0) {
        text += format(" (retry %u)", retry);
    }
    return text;
}

std::string DeviceRunner::failureText(int code) {
    return program_.strings().text(ids::kCommunicationError) + ": " + failureDetail(code);
}

std::string DeviceRunner::baudrateText() {
    // The box of the window takes this text from the program's own table only.
    std::string text = program_.strings().builtin(ids::kBaudrateError) +
                       ": the controller answered at no rate (19200, 57600 baud)";
    const std::string path = session_->devicePath(program_.records().port.portCode.load());
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        text += "; " + path + ": " + std::strerror(errno);
    } else if (::access(path.c_str(), R_OK | W_OK) != 0) {
        text += "; " + path + ": " + std::strerror(errno);
    } else {
        text += " on " + path;
    }
    return text;
}

}  // namespace kvt::cli
