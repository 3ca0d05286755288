#include "files/data_file_format.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <vector>

namespace qs40 {
namespace {

void putField(std::string& out, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>(u >> shift & 0xFF));
}

std::int32_t getField(const std::uint8_t* p) {
    const std::uint32_t u = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                            std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
    return static_cast<std::int32_t>(u);
}

std::uint8_t sampleByte(std::int32_t entry) {
    return entry >= 0 && entry < kNoSampleByte ? static_cast<std::uint8_t>(entry) : kNoSampleByte;
}

DataFileStatus checkMark(std::span<const std::uint8_t> mark) {
    const auto is = [&](std::string_view expected) {
        return mark.size() >= expected.size() &&
               std::equal(expected.begin(), expected.end(), mark.begin(),
                          [](char c, std::uint8_t b) { return static_cast<std::uint8_t>(c) == b; });
    };
    if (is(kDataFileMark))
        return DataFileStatus::Loaded;
    return is(kOlderDataFileMark) ? DataFileStatus::OlderFormat : DataFileStatus::NotDataFile;
}

} // namespace

std::int32_t headerChecksum(const FrameHeader& header) {
    std::uint32_t sum = 0;
    for (int i = 0; i < kHdrChecksum; ++i)
        sum += static_cast<std::uint32_t>(header[i]);
    return static_cast<std::int32_t>(sum);
}

std::int32_t storableSamples(const FrameHeader& header) {
    return std::clamp(header[kHdrValid], 0, kMaxSamples);
}

void prepareHeaderForFile(FrameHeader& header) {
    header[kHdrValid] = storableSamples(header);
    for (int i = kHdrReservedFirst; i <= kHdrReservedLast; ++i)
        header[i] = -1;
    header[kHdrChecksum] = headerChecksum(header);
}

std::string encodeDataFile(const FrameData& frame) {
    const FrameHeader& h = frame.header;
    const int count = storableSamples(h);
    const bool pairs = fileHasPairs(h);
    std::string out;
    out.reserve(kDataFileSamplesOffset + std::size_t{kFileChannels} * count * 2);
    out.append(kDataFileMark);
    for (std::int32_t field : h)
        putField(out, field);
    for (int c = 0; c < kFileChannels; ++c) {
        if (!fileHasChannel(h, c))
            continue;
        const auto& first = frame.series[2 * c];
        const auto& second = frame.series[2 * c + 1];
        for (int i = 0; i < count; ++i) {
            out.push_back(static_cast<char>(sampleByte(first[i])));
            if (pairs)
                out.push_back(static_cast<char>(sampleByte(second[i])));
        }
    }
    return out;
}

std::size_t MemoryDataFileInput::read(std::span<std::uint8_t> bytes) {
    const std::size_t n = std::min(bytes.size(), bytes_.size() - position_);
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(position_), n, bytes.begin());
    position_ += n;
    return n;
}

bool MemoryDataFileInput::skip(std::uint64_t count) {
    const std::size_t left = bytes_.size() - position_;
    if (count > left) {
        position_ = bytes_.size();
        return false;
    }
    position_ += static_cast<std::size_t>(count);
    return true;
}

std::size_t StdioDataFileInput::read(std::span<std::uint8_t> bytes) {
    errno = 0;
    const std::size_t n = std::fread(bytes.data(), 1, bytes.size(), file_);
    if (n < bytes.size() && std::ferror(file_) != 0 && error_ == 0)
        error_ = errno != 0 ? errno : EIO;
    return n;
}

bool StdioDataFileInput::skip(std::uint64_t count) {
    struct stat st {};
    const off_t position = ::ftello(file_);
    if (::fstat(::fileno(file_), &st) == 0 && S_ISREG(st.st_mode) && position >= 0) {
        const auto left = static_cast<std::uint64_t>(std::max<off_t>(st.st_size - position, 0));
        if (count > left) {
            ::fseeko(file_, 0, SEEK_END);
            return false;
        }
        return ::fseeko(file_, static_cast<off_t>(count), SEEK_CUR) == 0;
    }
    // Not seekable: read over the bytes, which ends at the input's end at the latest.
    std::array<std::uint8_t, 4096> scratch;
    while (count > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(count, 4096));
        const std::size_t got = read(std::span(scratch.data(), want));
        if (got < want)
            return false;
        count -= got;
    }
    return true;
}

DataFileReport decodeDataFile(DataFileInput& input, FrameData& frame) {
    DataFileReport report;
    std::array<std::uint8_t, kDataFileMark.size()> mark{};
    const std::size_t markRead = input.read(mark);
    report.status = checkMark(std::span(mark.data(), markRead));
    if (report.status != DataFileStatus::Loaded)
        return report;

    frame.reset();
    std::array<std::uint8_t, kDataFileHeaderBytes> raw{};
    const std::size_t headerRead = input.read(raw);
    for (int i = 0; i < kHeaderFields; ++i)
        report.fileHeader[i] = getField(raw.data() + 4 * i);
    if (headerRead < raw.size()) {
        report.status = DataFileStatus::HeaderTruncated;
        return report;
    }
    if (headerChecksum(report.fileHeader) != report.fileHeader[kHdrChecksum]) {
        report.status = DataFileStatus::ChecksumError;
        return report;
    }

    FrameHeader& h = frame.header;
    h = report.fileHeader;
    const bool pairs = fileHasPairs(h);
    const std::size_t perSample = pairs ? 2 : 1;
    const std::int64_t claimed = std::max(h[kHdrValid], 0);
    const std::int32_t storable = storableSamples(h);
    std::vector<std::uint8_t> block(static_cast<std::size_t>(storable) * perSample);
    bool ended = false;
    for (int c = 0; c < kFileChannels; ++c) {
        if (!fileHasChannel(h, c))
            continue;
        report.claimed[c] = claimed;
        if (ended)
            continue;
        const std::size_t got = input.read(block);
        auto& first = frame.series[2 * c];
        auto& second = frame.series[2 * c + 1];
        for (std::size_t k = 0; k < got; ++k) {
            const std::uint8_t b = block[k];
            if (b == kNoSampleByte)
                continue;
            const std::size_t i = k / perSample;
            if (k % perSample == 0) {
                first[i] = b;
                if (!pairs)
                    second[i] = b;
            } else {
                second[i] = b;
            }
        }
        report.loaded[c] = static_cast<std::int32_t>((got + perSample - 1) / perSample);
        if (got < block.size()) {
            ended = true;
        } else if (claimed > storable) {
            const auto rest = static_cast<std::uint64_t>(claimed - storable) * perSample;
            ended = !input.skip(rest);
        }
    }
    report.endedEarly = ended;
    if (!ended) {
        std::array<std::uint8_t, 1> probe{};
        report.trailingBytes = input.read(probe) > 0;
    }
    h[kHdrValid] = storable;
    return report;
}

} // namespace qs40
