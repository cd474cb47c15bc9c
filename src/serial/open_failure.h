#pragma once

#include <string>

// Why a port that would not open refused, told after the fact so the operator knows what to do.
enum class EOpenFailure {
    Unknown,
    Gone,          // no such device (adapter unplugged, wrong number)
    NoPermission,  // the user may not open it (Linux: not in the dialout group)
    InUse,         // another program holds it
};

// Tries the device again to see why; opens nothing that stays open.
EOpenFailure DiagnoseOpenFailure(const std::string& devicePath);
EOpenFailure DiagnoseOpenFailureOfPort(int portNumber);
