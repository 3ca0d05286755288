// The recorder hand-over: the decoder (acquisition thread) appends the new A1 samples of every
// stream frame to a pending buffer of 65536 bytes, and the synchronised callback (GUI thread)
// gives them to the recorder, which writes them to its file.
//
// Bounded without losing samples: when the new samples of a frame do not fit, the decoder first
// has the pending bytes written through a synchronous flush (the same route as the callback)
// and goes on; only when the flush is refused (the program is stopping) does it keep what did
// not fit for the next frame, by advancing its ring position only as far as it copied.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>

namespace qs40 {

class RecorderHandover {
public:
    static constexpr std::size_t kCapacity = 65536;

    using Flush = std::function<bool()>; // writes the pending bytes out; false when refused
    using Writer = std::function<void(std::span<const std::uint8_t>)>;

    // GUI thread: on exactly while the recorder records.
    void setOn(bool on) { on_.store(on); }
    bool on() const { return on_.load(); }

    // Acquisition thread, for every decoded frame. entries: the A1 work entries of the frame
    // (n = entries.size(), the record length); writePosition: the ring's write position in
    // entries. Off: forgets the pending bytes and the position. On and a stream frame: appends
    // the low bytes of the entries from the position handed over last up to, not including,
    // writePosition, wrapping from n - 1 to 0; the first stream frame only takes the position.
    // flush is called, without any lock held, when the buffer is full.
    void handOver(std::span<const std::int32_t> entries, std::int32_t writePosition,
                  bool streamFrame, const Flush& flush);

    // GUI thread, inside the synchronised callback: when on and bytes are pending, gives them
    // to write; the pending count becomes 0 in any case. Returns the number of bytes given.
    std::size_t takePending(const Writer& write);

    // Acquisition thread, whenever parameters are sent: the instrument's ring starts again, so
    // the remembered position no longer points at the next new sample. The next stream frame
    // only takes its position again; the bytes already pending stay.
    void forgetPosition();

    std::size_t pending() const;
    std::int32_t position() const; // -1 when nothing was handed over

private:
    mutable std::mutex mutex_;
    std::array<std::uint8_t, kCapacity> buffer_{};
    std::size_t count_ = 0;
    std::int32_t position_ = -1;
    std::atomic<bool> on_{false};
};

} // namespace qs40
