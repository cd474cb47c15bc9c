#pragma once

// Which failures of a serial call mean the device has gone (adapter pulled, peer closed) rather
// than a busy or silent line. Plain numbers, so both platforms' rules are tested on either.

// errno after read or write on Linux: EIO (hung up, pty peer closed), ENXIO, ENODEV.
bool IsLostPortErrno(int error);
// GetLastError() after a Win32 comm call: the errors an unplugged USB serial adapter gives.
bool IsLostPortWin32Error(unsigned long error);
