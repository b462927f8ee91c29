#include "support/LinkHarness.h"

#include <algorithm>

namespace kvt::test {

LinkHarness::LinkHarness(Time time, LinkTiming timing) {
    TickSource& ticks = time == Time::Real ? static_cast<TickSource&>(steady_) : manual_;
    link_ = std::make_unique<LinkState>(ticks, timing);
    port_ = std::make_unique<SerialPort>(*link_, settings_, trace_);
    threads_ = std::make_unique<LinkThreads>(*link_, *port_, trace_, simulator_);
    workers_ = std::make_unique<WorkerThreads>(*link_);
    manual_.onAdvance([this] { link_->wakeAll(); });
}

LinkHarness::~LinkHarness() {
    stopThreads();
    port_->CloseComPort();
}

void LinkHarness::startThreads() {
    workers_->start({[this] { threads_->MainCtrlThread(); },
                     {},
                     [this] { threads_->WriteComThread(); },
                     [this] { threads_->ReadComThread(); }});
}

void LinkHarness::stopThreads() {
    workers_->stop();
}

bool LinkHarness::open(const std::string& path, int baudCode) {
    port_->setDeviceOverride(path);
    settings_.baudCode = baudCode;
    return port_->InitComPort();
}

void LinkHarness::postSend(const std::vector<std::uint8_t>& frame, std::int32_t expectedLength) {
    auto& tx = link_->transmitBuffer;
    std::fill(tx.begin(), tx.end(), std::uint8_t{0});
    std::copy(frame.begin(), frame.end(), tx.begin());
    link_->transmitLength = static_cast<std::int32_t>(frame.size());
    link_->expectedLength = expectedLength;
    link_->SEND_STATE = SendRequested;
    link_->wake(ThreadId::MainCtrl);
}

std::int32_t LinkHarness::send(const std::vector<std::uint8_t>& frame,
                               std::int32_t expectedLength) {
    postSend(frame, expectedLength);
    waitUntil([this] { return link_->SEND_STATE.load() != SendRequested; },
              std::chrono::seconds(30));
    return link_->SEND_STATE.load();
}

void LinkHarness::armReceive(std::int32_t expectedLength) {
    auto& reply = link_->replyBuffer;
    std::fill(reply.begin(), reply.end(), std::uint8_t{0});
    link_->expectedLength = expectedLength;
    link_->RECEIVE_STATE = ReceiveAwaited;
    link_->wake(ThreadId::MainCtrl);
    link_->wake(ThreadId::ReadCom);
}

std::int32_t LinkHarness::awaitReply(std::int32_t expectedLength) {
    armReceive(expectedLength);
    waitUntil([this] { return link_->RECEIVE_STATE.load() != ReceiveAwaited; },
              std::chrono::seconds(30));
    return link_->RECEIVE_STATE.load();
}

std::vector<std::uint8_t> LinkHarness::reply(std::size_t length) const {
    return {link_->replyBuffer.begin(), link_->replyBuffer.begin() + static_cast<long>(length)};
}

}  // namespace kvt::test
