#include "RequestParser.h"

#include "RequestTable.h"
#include "link/Frame.h"

namespace kvt::devsim {

void RequestParser::feed(std::span<const std::uint8_t> bytes, Clock::time_point now) {
    if (!request_.empty() && now - lastByte_ > kRequestGapLimit) {
        reset();
    }
    lastByte_ = now;
    for (std::uint8_t byte : bytes) {
        if (request_.empty()) {
            if (byte != STX) {
                discarded_.push_back(byte);
                continue;
            }
            flushDiscarded();
        }
        request_.push_back(byte);
        if (request_.size() >= 2 && request_.size() == requestLength(request_[1])) {
            sink_(Kind::Request, request_);
            request_.clear();
        }
    }
    flushDiscarded();
}

void RequestParser::reset() {
    flushDiscarded();
    if (!request_.empty()) {
        sink_(Kind::Incomplete, request_);
        request_.clear();
    }
}

void RequestParser::flushDiscarded() {
    if (!discarded_.empty()) {
        sink_(Kind::Discarded, discarded_);
        discarded_.clear();
    }
}

}  // namespace kvt::devsim
