// Feeds arbitrary bytes to the receive parser. The first two bytes choose the record length and
// paired mode (including lengths beyond the instrument's maximum), the third how the rest is cut
// into reads. Every frame handed out must have the length its header and the geometry give.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "device/link/protocol_parser.h"

namespace {

struct Checker : qs40::ReceiveHandler {
    std::int32_t recordLength = 0;
    bool paired = false;
    void onStatus(const qs40::StatusBytes&) override {}
    void onFrame(const qs40::ReceivedFrame& f) override {
        if (f.samples.size() != qs40::frameSampleLength(f.header, recordLength, paired) ||
            f.samples.size() > qs40::kMaxFrameSampleLength)
            std::abort();
        volatile std::uint8_t sink = 0;
        for (std::uint8_t b : f.samples) // touches every byte: ASan checks the span
            sink = sink ^ b;
        sink = sink ^ f.tail[127];
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    Checker checker;
    // 0..32767 record lengths, so that oversized frames come up as well.
    checker.recordLength = ((data[0] << 8) | data[1]) & 0x7FFF;
    checker.paired = data[1] & 0x80;
    const std::size_t piece = 1 + data[2] % 64;
    data += 3;
    size -= 3;
    qs40::ReceiveParser parser(checker);
    parser.setFrameGeometry(checker.recordLength, checker.paired);
    for (std::size_t at = 0; at < size; at += piece)
        parser.feed({data + at, size - at < piece ? size - at : piece});
    return 0;
}
