#pragma once

#include <filesystem>
#include <span>

#include "data/ParameterRecord.h"

namespace kvt {

// How a value key of KVT_para.ini is converted and written.
enum class ParaValueForm {
    Int,             // "%d", read as a decimal integer (its leading number, else 0)
    Fixed1,          // "%1.1f", read as a decimal number
    Fixed2,          // "%1.2f"
    DelaySeconds,    // DELAY_TIME: seconds "%d" = 5 * code + 5
    CoilOnSeconds,   // COIL_ON_TIME: seconds "%1.1f" = 0.5 * 2^code
    CoilOffSeconds,  // COIL_OFF_TIME: seconds "%d" = 2 * code + 2
    RangeSensor,     // "%.3d"; read as a number truncated toward zero
};

// One key pair of KVT_para.ini: the visibility key ("SHOW"/"HIDE") and its value key
// ("VALUE_" + key), serving one field of the parameter record and one visibility flag. The
// field's name is the written visibility key.
struct ParaKeyPair {
    const char* section;      // where the pair is written
    const char* key;          // visibility key as written; also the field name
    const char* readSection;  // where the reader looks, when it differs from section
    const char* readKey;      // visibility key the reader looks at, when it differs from key
    ParaValueForm form;
    const char* defaultValue;  // the built-in default of the value key
    bool written;              // false: read only, never written
};

// Every pair, in the order of the writer (the read-only pairs last).
std::span<const ParaKeyPair> paraKeyPairs();

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
