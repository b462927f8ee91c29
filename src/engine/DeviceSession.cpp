#include "engine/DeviceSession.h"

namespace kvt {

DeviceSession::DeviceSession(Records& records, TraceSink& trace, Notifier& notifier,
                             Strings& strings, Options options)
    : link_(options.ticks != nullptr ? *options.ticks : steady_, options.timing),
      port_(link_, records.port, trace),
      linkThreads_(link_, port_, trace, simulator_),
      engine_({link_, port_, trace, records, notifier, strings, &simulator_}),
      workers_(link_) {
    link_.testMode = options.testMode;
}

DeviceSession::~DeviceSession() {
    stop();
}

void DeviceSession::start() {
    link_.status[StatusActionStep] = 0;
    workers_.start({[this] { linkThreads_.MainCtrlThread(); }, [this] { engine_.ActionThread(); },
                    [this] { linkThreads_.WriteComThread(); },
                    [this] { linkThreads_.ReadComThread(); }});
}

void DeviceSession::useDevicePaths(const DevicePaths& paths, const std::string& overridePath) {
    for (std::size_t k = 0; k < paths.size(); ++k) {
        port_.setDevicePath(static_cast<int>(k), paths[k]);
    }
    if (!overridePath.empty()) {
        port_.setDeviceOverride(overridePath);
    }
}

void DeviceSession::stop() {
    if (!workers_.running()) {
        return;
    }
    workers_.stop();
    port_.CloseComPort();
}

}  // namespace kvt
