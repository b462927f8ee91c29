#pragma once

#include <filesystem>

#include "data/ParameterRecord.h"

namespace kvt {

// The key pairs of the file (section, keys, value form and built-in default of each field) are
// the parameter catalogue's (data/ParameterCatalogue.h).

// Value texts are read into a buffer of this many characters.
inline constexpr std::size_t kParaValueChars = 99;

// Start-up: clears the 65 visibility flags and the default set, then fills them from
// KVT_para.ini in the directory. Never fails: a missing file, section or key gives the built-in
// default; a malformed number gives its leading numeric part or 0, and a number no field can
// hold (not finite, beyond a float or an int) gives 0 or the nearest int.
void ReadParaIni(const std::filesystem::path& directory, ParameterSets& sets);

// Writes the 63 pairs from the visibility flags and the default set, keeping every other key and
// section of the file. Returns false when the file was not written (write-protected, not
// readable, or the folder is not writable); the program runs on with what it read.
bool WriteParaIni(const std::filesystem::path& directory, const ParameterSets& sets);

}  // namespace kvt
