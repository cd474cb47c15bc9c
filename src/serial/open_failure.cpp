#include "serial/open_failure.h"

#include "serial/serial_enum.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

EOpenFailure DiagnoseOpenFailure(const std::string& devicePath)
{
    if (devicePath.empty())
        return EOpenFailure::Gone;
#ifdef _WIN32
    std::wstring wide(devicePath.begin(), devicePath.end());  // "\\.\COMn" is ASCII
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return EOpenFailure::Unknown;
    }
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
        return EOpenFailure::Gone;
    case ERROR_ACCESS_DENIED:  // what Windows says of a port another program has open
    case ERROR_SHARING_VIOLATION:
        return EOpenFailure::InUse;
    default:
        return EOpenFailure::Unknown;
    }
#else
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        switch (errno) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
        case ENOTDIR:
            return EOpenFailure::Gone;
        case EACCES:
        case EPERM:
            return EOpenFailure::NoPermission;
        case EBUSY:
            return EOpenFailure::InUse;
        default:
            return EOpenFailure::Unknown;
        }
    }
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return locked ? EOpenFailure::InUse : EOpenFailure::Unknown;
#endif
}

EOpenFailure DiagnoseOpenFailureOfPort(int portNumber)
{
    return DiagnoseOpenFailure(ComDevicePath(portNumber));
}
