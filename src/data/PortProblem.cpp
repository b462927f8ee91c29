#include "data/PortProblem.h"

#include <cerrno>
#include <cstring>

namespace kvt {

bool portInUse(int error) {
    return error == EWOULDBLOCK || error == EBUSY;
}

std::string portProblemText(std::string_view path, int error) {
    std::string text(path);
    if (error == 0) {
        return {};
    }
    if (portInUse(error)) {
        return text + " is in use by another program";
    }
    text += ": ";
    text += std::strerror(error);
    if (error == EACCES) {
        text += " \u2014 add the user to the dialout group";
    }
    return text;
}

}  // namespace kvt
