// Reads arbitrary bytes as a data file, as they come and with the header checksum made to match
// (so that damaged headers reach the sample blocks). Whatever loads must write back to a file
// that loads to the same frame.
#include "files/data_file_format.h"
#include "files/data_file_info.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

namespace {

using namespace qs40;

void checkOne(const std::uint8_t* data, std::size_t size, bool describe) {
    static auto frame = std::make_unique<FrameData>();
    static auto again = std::make_unique<FrameData>();
    MemoryDataFileInput input(std::span(data, size));
    const DataFileReport report = decodeDataFile(input, *frame);

    if (describe) {
        MemoryDataFileInput described(std::span(data, size));
        const DataFileDescription d = describeDataFile(described, "fuzz.qsd");
        if (d.valid != (report.status == DataFileStatus::Loaded))
            std::abort();
    }
    if (report.status != DataFileStatus::Loaded)
        return;
    if (frame->header[kHdrValid] < 0 || frame->header[kHdrValid] > kMaxSamples)
        std::abort();

    prepareHeaderForFile(frame->header);
    const std::string bytes = encodeDataFile(*frame);
    MemoryDataFileInput back(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    const DataFileReport second = decodeDataFile(back, *again);
    if (second.status != DataFileStatus::Loaded || second.endedEarly || second.trailingBytes ||
        again->header != frame->header)
        std::abort();
    for (int s = 0; s < kSeriesCount; ++s)
        if (again->series[s] != frame->series[s])
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkOne(data, size, true);
    if (size < kDataFileSamplesOffset)
        return 0;
    std::vector<std::uint8_t> fixed(data, data + size);
    FrameHeader h{};
    std::memcpy(h.data(), fixed.data() + kDataFileMark.size(), kDataFileHeaderBytes);
    const std::int32_t sum = headerChecksum(h);
    std::memcpy(fixed.data() + kDataFileMark.size() + 4 * kHdrChecksum, &sum, 4);
    checkOne(fixed.data(), fixed.size(), false);
    return 0;
}
