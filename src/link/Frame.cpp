#include "link/Frame.h"

#include <algorithm>

namespace kvt {

std::size_t buildRequest(std::span<std::uint8_t> out, std::uint8_t code,
                         std::span<const std::uint8_t> data) {
    const std::size_t length = data.size() + 3;
    if (out.size() < length) {
        return 0;
    }
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    out[0] = STX;
    out[1] = code;
    std::copy(data.begin(), data.end(), out.begin() + 2);
    out[length - 1] = ComputeBcc(out.subspan(1, length - 2));
    return length;
}

bool isValidDataReply(std::span<const std::uint8_t> reply) {
    if (reply.size() < 2 || reply[0] != STX) {
        return false;
    }
    return ComputeBcc(reply.subspan(1, reply.size() - 2)) == reply.back();
}

}  // namespace kvt
