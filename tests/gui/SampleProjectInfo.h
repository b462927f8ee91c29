#pragma once

#include <cstring>

#include "data/ProjectFile.h"

namespace kvt::test {

// The project information the dialog tests and the documentation pictures show.
inline ProjectInfo sampleProjectInfo() {
    ProjectInfo info;
    std::memset(&info, 0, sizeof info);
    setFieldText(info.projectName, "Pump station 4");
    setFieldText(info.fileName, "PUMP4.KVT");
    setFieldText(info.fullPath, "/srv/projects/PUMP4.KVT");
    info.projectVersion = 12;
    setFieldText(info.name, "Waterworks");
    setFieldText(info.address, "Riverside 1");
    setFieldText(info.city, "Lakeside");
    setFieldText(info.phoneFax, "+00 123 456");
    setFieldText(info.email, "service@example.org");
    return info;
}

}  // namespace kvt::test
