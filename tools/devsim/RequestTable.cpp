#include "RequestTable.h"

#include <array>
#include <cctype>

#include "Constants.h"

namespace kvt::devsim {

namespace {

using A = Action;

// Every request a controller of this family answers. Parameter writes use the read code minus 1;
// the code alone says how long the request is and what the reply looks like.
constexpr RequestKind kRequests[] = {
    // Parameters: read (data reply of one byte) and write (ACK) pairs.
    {0x02, "KPR", A::ReadRegister, 1, 0},
    {0x01, "KPS", A::WriteRegister, 0, 0},
    {0x04, "TIR", A::ReadRegister, 1, 0},
    {0x03, "TIS", A::WriteRegister, 0, 0},
    {0x06, "TDR", A::ReadRegister, 1, 0},
    {0x05, "TDS", A::WriteRegister, 0, 0},
    {0x08, "DBR", A::ReadRegister, 1, 0},
    {0x07, "DBS", A::WriteRegister, 0, 0},
    {0x0a, "TRR", A::ReadRegister, 1, 0},
    {0x09, "TRS", A::WriteRegister, 0, 0},
    {0x0c, "PSR", A::ReadRegister, 1, 0},
    {0x0b, "PSS", A::WriteRegister, 0, 0},
    {0x0e, "OFR", A::ReadRegister, 1, 0},
    {0x0d, "OFS", A::WriteRegister, 0, 0},
    {0x10, "SPR", A::ReadRegister, 1, 0},
    {0x0f, "SPS", A::WriteRegister, 0, 0},
    {0x12, "SRR", A::ReadRegister, 1, 0},
    {0x11, "SRS", A::WriteRegister, 0, 0},
    {0x14, "FRR", A::ReadRegister, 1, 0},
    {0x13, "FRS", A::WriteRegister, 0, 0},
    {0x16, "AOR", A::ReadRegister, 1, 0},
    {0x15, "AOS", A::WriteRegister, 0, 0},
    {0x18, "SOR", A::ReadRegister, 1, 0},
    {0x17, "SOS", A::WriteRegister, 0, 0},
    {0x1a, "PMR", A::ReadRegister, 1, 0},
    {0x19, "PMS", A::WriteRegister, 0, 0},
    {0x1c, "FSR", A::ReadRegister, 1, 0},
    {0x1b, "FSS", A::WriteRegister, 0, 0},
    {0x2d, "CIR", A::ReadRegister, 1, 0},
    {0x2c, "CIS", A::WriteRegister, 0, 0},
    {0x31, "SLR", A::ReadRegister, 1, 0},
    {0x30, "SLS", A::WriteRegister, 0, 0},
    {0x33, "FOR", A::ReadRegister, 1, 0},
    {0x32, "FOS", A::WriteRegister, 0, 0},
    {0x35, "FGR", A::ReadRegister, 1, 0},
    {0x34, "FGS", A::WriteRegister, 0, 0},
    {0x37, "ILR", A::ReadRegister, 1, 0},
    {0x36, "ILS", A::WriteRegister, 0, 0},
    {0x39, "PFR", A::ReadRegister, 1, 0},
    {0x38, "PFS", A::WriteRegister, 0, 0},
    {0x3b, "CYR", A::ReadRegister, 1, 0},
    {0x3a, "CYS", A::WriteRegister, 0, 0},
    {0x3d, "LSR", A::ReadRegister, 1, 0},
    {0x3c, "LSS", A::WriteRegister, 0, 0},
    {0x3f, "SHR", A::ReadRegister, 1, 0},
    {0x3e, "SHS", A::WriteRegister, 0, 0},
    {0x41, "SDR", A::ReadRegister, 1, 0},
    {0x40, "SDS", A::WriteRegister, 0, 0},
    {0x43, "RFR", A::ReadRegister, 1, 0},
    {0x42, "RFS", A::WriteRegister, 0, 0},
    {0x45, "TLR", A::ReadRegister, 1, 0},
    {0x44, "TLS", A::WriteRegister, 0, 0},
    {0x47, "ALR", A::ReadRegister, 1, 0},
    {0x46, "ALS", A::WriteRegister, 0, 0},
    {0x49, "ASR", A::ReadRegister, 1, 0},
    {0x48, "ASS", A::WriteRegister, 0, 0},
    {0x4b, "IPR", A::ReadRegister, 1, 0},
    {0x4a, "IPS", A::WriteRegister, 0, 0},
    {0x4d, "CXR", A::ReadRegister, 1, 0},
    {0x4c, "CXS", A::WriteRegister, 0, 0},
    {0x55, "AZR", A::ReadRegister, 1, 0},  // read only: 0x54 is CTR
    {0x61, "CAR", A::ReadRegister, 1, 0},
    {0x60, "CAS", A::WriteRegister, 0, 0},
    {0x63, "CBR", A::ReadRegister, 1, 0},
    {0x62, "CBS", A::WriteRegister, 0, 0},
    {0x65, "CCR", A::ReadRegister, 1, 0},
    {0x64, "CCS", A::WriteRegister, 0, 0},
    {0x67, "CDR", A::ReadRegister, 1, 0},
    {0x66, "CDS", A::WriteRegister, 0, 0},
    {0x69, "CER", A::ReadRegister, 1, 0},
    {0x68, "CES", A::WriteRegister, 0, 0},
    {0x6b, "CFR", A::ReadRegister, 1, 0},
    {0x6a, "CFS", A::WriteRegister, 0, 0},
    {0x77, "DFR", A::ReadRegister, 1, 0},
    {0x76, "DFS", A::WriteRegister, 0, 0},
    {0x79, "DDR", A::ReadRegister, 1, 0},
    {0x78, "DDS", A::WriteRegister, 0, 0},
    {0x7f, "AVR", A::ReadRegister, 1, 0},  // read only: 0x7e is the PWM setpoint
    {0x8f, "DPR", A::ReadRegister, 1, 0},
    {0x8e, "DPS", A::WriteRegister, 0, 0},
    {0x94, "HYR", A::ReadRegister, 1, 0},
    {0x93, "HYS", A::WriteRegister, 0, 0},

    // Device information and status.
    {0x70, "DIR", A::Identity, 10, 0},
    {0x23, "VER", A::ReadRegister, 1, 0},
    {0x71, "OCR", A::Counters, 8, 0},
    {0x52, "VTR", A::ReadRegister, 1, 0},
    {0x96, "AXR", A::PartText1, 10, kFirmwareWithPartText},
    {0x98, "AX2R", A::PartText2, 10, kFirmwareWithPartText},
    {0x6c, "STR", A::ReadRegister, 1, 0},
    {0x6e, "LER", A::ReadRegister, 1, 0},

    // Calibration and matrix.
    {0x50, "SCS", A::CalibrationStart, 0, 0},
    {0x53, "CTS", A::WriteRegister, 0, 0},
    {0x54, "CTR", A::ReadRegister, 1, 0},
    {0x5f, "CRR", A::CalibrationStatus, 1, 0},
    {0x51, "TCS", A::SwitchOff, 1, 0},
    {0x5b, "OLS", A::WriteRegister, 0, 0},
    {0x5c, "OLR", A::ReadRegister, 1, 0},
    {0x5d, "OHS", A::WriteRegister, 0, 0},
    {0x5e, "OHR", A::ReadRegister, 1, 0},
    {0x57, "PLS", A::WriteRegister, 0, 0},
    {0x58, "PLR", A::ReadRegister, 1, 0},
    {0x59, "PHS", A::WriteRegister, 0, 0},
    {0x5a, "PHR", A::ReadRegister, 1, 0},
    {0x73, "ARS", A::MatrixSelect, 0, 0},
    {0x74, "WAS", A::MatrixWrite, 0, 0},
    {0x75, "WAR", A::MatrixRead, 10, 0},

    // Acquisition.
    {0x27, "PRS", A::SamplePeriod, 0, 0},
    {0x21, "ATS", A::WriteRegister, 0, 0},
    {0x22, "ATR", A::ReadRegister, 1, 0},
    {0x1d, "SBS", A::WriteRegister, 0, 0},
    {0x1e, "SBR", A::ReadRegister, 1, 0},
    {0x1f, "SES", A::WriteRegister, 0, 0},
    {0x20, "SER", A::ReadRegister, 1, 0},
    {0x56, "RSS", A::Accept, 0, 0},
    {0x2a, "ACS", A::WriteRegister, 0, 0},
    {0x2b, "ACR", A::ReadRegister, 1, 0},
    {0x24, "SAS", A::StreamStepRamp, 0, 0},
    {0x28, "TAS", A::StreamTrigger, 0, 0},
    {0x29, "PAS", A::StreamStop, 0, 0},

    // Setpoint, test function, auto-adapt.
    {0x25, "STS", A::SerialSetpoint, 0, 0},
    {0x26, "RTS", A::SerialSetpointOff, 0, 0},
    {0x7e, "PWM", A::PwmSetpoint, 0, 0},
    {0x91, "APS", A::Accept, 0, 0},
};

// A fresh controller: the parameters match the tool's built-in default set where it has one.
constexpr RegisterDefault kRegisterDefaults[] = {
    {0x02, 10},                  // KPR: proportional gain 1.0
    {0x04, 2},                   // TIR: integration time 0.1 s
    {0x08, 1},                   // DBR: dead band 0.1 %
    {0x0c, 30},                  // PSR: window size 3.0 %
    {0x10, 50},                  // SPR: setpoint span 50 %
    {0x2d, 10},                  // CIR: current min 100 mA
    {0x35, 100},                 // FGR: forward gain 1.00
    {0x39, 2},                   // PFR: PWM frequency 20 Hz
    {0x3b, 1},                   // CYR: control cycle 1 ms
    {0x45, 50},                  // TLR: temperature limit 50 C
    {0x49, 10},                  // ASR: current limit 100 mA
    {0x4d, 10},                  // CXR: current max 100 mA
    {0x55, 131},                 // AZR: auto zero value 3
    {0x61, 0x40},                // CAR: custom parameter set
    {0x65, 0x20},                // CCR: auto zero analog in 1 on
    {0x6b, 0x28},                // CFR: auto zero analog in 2 on, display "Scaleable Feedback"
    {0x77, 0xE8},                // DFR, DDR: sensor range 1000
    {0x79, 0x03}, {0x7f, 126},   // AVR: auto zero value -2
    {0x20, 200},                 // SER: setpoint end 100 %
    {0x22, 10},                  // ATR: acquisition time 10 s
    {0x23, 23},                  // VER: firmware 23
    {0x52, 81},                  // VTR: module temperature 31 C
    {0x54, 23},                  // CTR: calibrated at 23 C
    {0x5c, 0x00},                // OLR, OHR: offset DAC 0x800
    {0x5e, 0x08}, {0x58, 0x00},  // PLR, PHR: span DAC 0xC00
    {0x5a, 0x0C}, {0x6c, 0x10},  // STR: digital output high
    {0x6e, 0x01},                // LER: green LED state 1
};

bool sameMnemonic(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

const RequestKind* findRequest(std::uint8_t code) {
    for (const RequestKind& kind : kRequests) {
        if (kind.code == code) {
            return &kind;
        }
    }
    return nullptr;
}

const RequestKind* findRequest(std::string_view mnemonic) {
    for (const RequestKind& kind : kRequests) {
        if (sameMnemonic(kind.mnemonic, mnemonic)) {
            return &kind;
        }
    }
    return nullptr;
}

std::span<const RequestKind> allRequests() {
    return kRequests;
}

std::size_t requestLength(std::uint8_t code) {
    const RequestKind* kind = findRequest(code);
    return kind != nullptr && kind->action == Action::MatrixWrite ? kLongRequestLength
                                                                  : kShortRequestLength;
}

std::span<const RegisterDefault> registerDefaults() {
    return kRegisterDefaults;
}

}  // namespace kvt::devsim
