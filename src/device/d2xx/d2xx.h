// The D2XX driver interface: the calls the program makes on the USB bridge, with the D2XX
// status codes. Backends: the simulated instrument, a serial port (termios) and libftdi1.
// Every backend keeps the promises below; tests/device/d2xx/d2xx_contract_test.cpp holds them
// to it.
//
// Statuses. Every call returns FT_OK or a non-zero status. A call that fails leaves its
// outputs (counts, location, description, handle, events) at 0 or empty and does nothing.
//
// Handles. openByLocation gives a handle other than kNoHandle that is not given out again while
// the backend lives. Handles are numbers looked up in the backend, never pointers, so that a
// call on a handle that was just closed, or from two threads at once, returns a status instead
// of failing. Every call may come from any thread.
//   - Closed, unknown or kNoHandle: every call on it returns FT_INVALID_HANDLE, whatever its
//     other arguments, and never signals an event.
//   - A close while another thread waits in read or write on the same handle ends that wait;
//     the waiting call returns FT_INVALID_HANDLE.
//   - One handle holds a device at a time: opening a device that an open handle holds returns
//     FT_DEVICE_NOT_OPENED. A handle holds its device from the open until its close, its port
//     reset, or the loss of the device.
//   - A device that another program holds the way these backends hold theirs (another QS40,
//     say) is not taken from it: the open returns FT_DEVICE_NOT_OPENED at once, and
//     lastOpenRefusal() says that it is in use.
//
// Lost device (unplugged, or gone from the bus): a backend notices the loss at once, or within
// a fraction of a second when its reader next hears from the device. From then on every call
// on the handle returns FT_IO_ERROR, except read, which first returns the bytes received before
// the loss, and close, which releases the handle and returns FT_OK. A read waiting when the
// device goes returns at once, with those bytes or with FT_IO_ERROR. When the device is back,
// a new open reaches it.
//
// Port reset (resetPort): the device leaves the bus and comes back as a new device, to be found
// and opened again by a new openByLocation (after a pause for it to come back; the old handle
// need not be closed first). The handle is finished whatever the result: from then on every
// call on it but close returns FT_IO_ERROR, and bytes it had not read are gone; close
// releases it. Returns FT_OK when the reset was made, a non-zero status when it could not be
// made (FT_IO_ERROR, like every call, when the device was lost before).
//
// Time-outs (setTimeouts, milliseconds; 0 until set). A read waits until `length` bytes are
// there, the read time-out passes, the device is lost or the handle closed, then returns what
// is there, never more than `length`: FT_OK with fewer bytes means the time-out passed. A
// time-out of 0 means no limit: the read waits for all `length` bytes. To take only what is
// there, ask for at most the count getQueueStatus or getStatus gave. A write goes on until
// every byte is taken or the write time-out passes (0: no limit); FT_OK with a short count
// means the time-out passed, and the caller may go on with the rest. (The simulator's manual
// clock, where time stands still between a test's steps, is the one exception: its reads
// never wait.)
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
    FT_NOT_SUPPORTED = 17,
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

// Why an open failed, where the status alone does not tell the user.
struct OpenRefusal {
    enum class Reason : std::uint8_t {
        None,  // nothing more to say than the status
        InUse, // another program holds the device
    };
    Reason reason = Reason::None;
    std::string device; // the node refused (a tty path); empty when the device has none
};

class D2xx {
public:
    virtual ~D2xx() = default;

    // FT_ListDevices with FT_LIST_NUMBER_ONLY.
    virtual FtStatus listDeviceCount(std::uint32_t& count) = 0;
    // FT_ListDevices by index with FT_OPEN_BY_LOCATION; FT_DEVICE_NOT_FOUND past the end.
    virtual FtStatus listLocation(std::uint32_t index, std::uint32_t& location) = 0;
    // FT_ListDevices by index with FT_OPEN_BY_DESCRIPTION; at most 63 characters;
    // FT_DEVICE_NOT_FOUND past the end.
    virtual FtStatus listDescription(std::uint32_t index, std::string& description) = 0;
    // FT_OpenEx with FT_OPEN_BY_LOCATION: FT_DEVICE_NOT_FOUND when no attached device has the
    // location, FT_DEVICE_NOT_OPENED when it is held (see above) or cannot be opened. The new
    // handle starts with time-outs of 0 and no event.
    virtual FtStatus openByLocation(std::uint32_t location, FtHandle& handle) = 0;
    // Why the last openByLocation failed, when the backend knows more than the status; Reason
    // None after a successful open or an open the backend has nothing to add to.
    virtual OpenRefusal lastOpenRefusal() const { return {}; }
    // Releases the handle and its device; FT_OK also for a handle whose device was lost or
    // whose port was reset.
    virtual FtStatus close(FtHandle handle) = 0;

    // Empties the device's buffers and ours.
    virtual FtStatus resetDevice(FtHandle handle) = 0;
    // FT_INVALID_BAUD_RATE for a rate the port cannot run at.
    virtual FtStatus setBaudRate(FtHandle handle, std::uint32_t baud) = 0;
    // FT_INVALID_PARAMETER for characteristics the port does not know.
    virtual FtStatus setDataCharacteristics(FtHandle handle, std::uint8_t bits,
                                            std::uint8_t stopBits, std::uint8_t parity) = 0;
    // FT_INVALID_PARAMETER for a mode the port does not know.
    virtual FtStatus setFlowControl(FtHandle handle, std::uint16_t mode, std::uint8_t xon,
                                    std::uint8_t xoff) = 0;
    // See "Time-outs" above.
    virtual FtStatus setTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) = 0;
    // FT_PURGE_RX drops every byte received and not yet read; FT_PURGE_TX drops bytes not yet
    // sent. FT_INVALID_PARAMETER when the mask has neither.
    virtual FtStatus purge(FtHandle handle, std::uint32_t mask) = 0;
    // The time the bridge holds a short packet before sending it on. A backend may round to
    // what the bridge takes (libftdi1: 0 becomes 1 ms). FT_NOT_SUPPORTED when the port has no
    // such timer (a serial port other than a USB bridge): nothing was set, and the port works
    // as before, only with its own latency.
    virtual FtStatus setLatencyTimer(FtHandle handle, std::uint8_t ms) = 0;
    // From now on the backend sets the event whenever bytes arrive, when mask has
    // FT_EVENT_RXCHAR; bytes already waiting set it at once. A null event or a mask without
    // FT_EVENT_RXCHAR stops the notification. The event must outlive the handle or be replaced
    // first. The notification takes no bytes.
    virtual FtStatus setEventNotification(FtHandle handle, std::uint32_t mask, Event* event) = 0;

    // The number of bytes received and not yet read.
    virtual FtStatus getQueueStatus(FtHandle handle, std::uint32_t& rxBytes) = 0;
    // As getQueueStatus, with the bytes waiting to be sent and FT_EVENT_RXCHAR in events when
    // bytes arrived since the previous getStatus.
    virtual FtStatus getStatus(FtHandle handle, std::uint32_t& rxBytes, std::uint32_t& txBytes,
                               std::uint32_t& events) = 0;
    // See "Time-outs" above. A length of 0 returns FT_OK at once.
    virtual FtStatus read(FtHandle handle, std::uint8_t* buffer, std::uint32_t length,
                          std::uint32_t& bytesRead) = 0;
    // See "Time-outs" above. Writes from two threads never interleave their bytes.
    virtual FtStatus write(FtHandle handle, const std::uint8_t* buffer, std::uint32_t length,
                           std::uint32_t& bytesWritten) = 0;
    // See "Port reset" above.
    virtual FtStatus resetPort(FtHandle handle) = 0;
};

} // namespace qs40
