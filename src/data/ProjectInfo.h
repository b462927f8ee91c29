#pragma once

#include <cstddef>
#include <cstdint>

namespace kvt {

// Project information, block 1 of a project file (872 bytes). Texts are zero-terminated 8-bit
// strings in fixed fields.
struct ProjectInfo {
    char projectName[25];
    char fileName[30];
    char fullPath[261];
    std::uint32_t projectVersion;  // 0..999999
    char name[30];
    char address[30];
    char city[30];
    char phoneFax[30];
    char email[30];
    char reserved[402];
};

static_assert(sizeof(ProjectInfo) == 872);
static_assert(offsetof(ProjectInfo, fileName) == 25);
static_assert(offsetof(ProjectInfo, fullPath) == 55);
static_assert(offsetof(ProjectInfo, projectVersion) == 316);
static_assert(offsetof(ProjectInfo, name) == 320);
static_assert(offsetof(ProjectInfo, email) == 440);
static_assert(offsetof(ProjectInfo, reserved) == 470);

}  // namespace kvt
