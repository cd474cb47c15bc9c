#include "serial/port_errors.h"

#include <cerrno>

bool IsLostPortErrno(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV;
}

bool IsLostPortWin32Error(unsigned long error)
{
    // By number, as winerror.h defines them, so that this builds and is tested without windows.h.
    switch (error) {
    case 2:     // ERROR_FILE_NOT_FOUND
    case 5:     // ERROR_ACCESS_DENIED: a removed adapter's handle
    case 6:     // ERROR_INVALID_HANDLE
    case 21:    // ERROR_NOT_READY: a hung-up line under wine, and some drivers' removed device
    case 22:    // ERROR_BAD_COMMAND: the device does not recognise the command
    case 31:    // ERROR_GEN_FAILURE: a device attached to the system is not functioning
    case 433:   // ERROR_NO_SUCH_DEVICE
    case 1167:  // ERROR_DEVICE_NOT_CONNECTED
    case 1617:  // ERROR_DEVICE_REMOVED
        return true;
    default:
        return false;
    }
}
