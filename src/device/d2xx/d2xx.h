// The D2XX driver interface: the calls the program makes on the USB bridge, with the D2XX
// status codes. Backends: the simulated instrument, a serial port (termios) and libftdi1.
//
// Handles are plain numbers looked up in the backend, never pointers: a call on a handle that
// was just closed, or from two threads at once, returns a status instead of failing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qs40 {

class Event;

using FtStatus = std::uint32_t;
using FtHandle = std::uint32_t;

inline constexpr FtHandle kNoHandle = 0;

// D2XX status codes.
enum : FtStatus {
    FT_OK = 0,
    FT_INVALID_HANDLE = 1,
    FT_DEVICE_NOT_FOUND = 2,
    FT_DEVICE_NOT_OPENED = 3,
    FT_IO_ERROR = 4,
    FT_INSUFFICIENT_RESOURCES = 5,
    FT_INVALID_PARAMETER = 6,
    FT_INVALID_BAUD_RATE = 7,
    FT_OTHER_ERROR = 18,
};

// Arguments of the configuration calls.
inline constexpr std::uint8_t FT_BITS_8 = 8;
inline constexpr std::uint8_t FT_STOP_BITS_1 = 0;
inline constexpr std::uint8_t FT_PARITY_NONE = 0;
inline constexpr std::uint16_t FT_FLOW_NONE = 0x0000;
inline constexpr std::uint32_t FT_PURGE_RX = 1;
inline constexpr std::uint32_t FT_PURGE_TX = 2;
inline constexpr std::uint32_t FT_EVENT_RXCHAR = 1;

inline constexpr std::size_t kDescriptionBufferSize = 64;

class D2xx {
public:
    virtual ~D2xx() = default;

    // FT_ListDevices with FT_LIST_NUMBER_ONLY.
    virtual FtStatus listDeviceCount(std::uint32_t& count) = 0;
    // FT_ListDevices by index with FT_OPEN_BY_LOCATION.
    virtual FtStatus listLocation(std::uint32_t index, std::uint32_t& location) = 0;
    // FT_ListDevices by index with FT_OPEN_BY_DESCRIPTION; at most 63 characters.
    virtual FtStatus listDescription(std::uint32_t index, std::string& description) = 0;
    // FT_OpenEx with FT_OPEN_BY_LOCATION.
    virtual FtStatus openByLocation(std::uint32_t location, FtHandle& handle) = 0;
    virtual FtStatus close(FtHandle handle) = 0;

    virtual FtStatus resetDevice(FtHandle handle) = 0;
    virtual FtStatus setBaudRate(FtHandle handle, std::uint32_t baud) = 0;
    virtual FtStatus setDataCharacteristics(FtHandle handle, std::uint8_t bits,
                                            std::uint8_t stopBits, std::uint8_t parity) = 0;
    virtual FtStatus setFlowControl(FtHandle handle, std::uint16_t mode, std::uint8_t xon,
                                    std::uint8_t xoff) = 0;
    virtual FtStatus setTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) = 0;
    virtual FtStatus purge(FtHandle handle, std::uint32_t mask) = 0;
    virtual FtStatus setLatencyTimer(FtHandle handle, std::uint8_t ms) = 0;
    // After this call the backend sets the event whenever bytes arrive (FT_EVENT_RXCHAR).
    virtual FtStatus setEventNotification(FtHandle handle, std::uint32_t mask, Event* event) = 0;

    virtual FtStatus getQueueStatus(FtHandle handle, std::uint32_t& rxBytes) = 0;
    virtual FtStatus getStatus(FtHandle handle, std::uint32_t& rxBytes, std::uint32_t& txBytes,
                               std::uint32_t& events) = 0;
    // Reads up to length bytes, waiting at most the read time-out for them.
    virtual FtStatus read(FtHandle handle, std::uint8_t* buffer, std::uint32_t length,
                          std::uint32_t& bytesRead) = 0;
    virtual FtStatus write(FtHandle handle, const std::uint8_t* buffer, std::uint32_t length,
                           std::uint32_t& bytesWritten) = 0;
    // Port-level reset of the open device's USB port.
    virtual FtStatus resetPort(FtHandle handle) = 0;
};

} // namespace qs40
