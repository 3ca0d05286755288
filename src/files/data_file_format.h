// The data file's bytes: a ten-byte mark, the 41-field frame header (little-endian 32-bit
// fields, field 40 the checksum of fields 0 to 39) and one sample block per channel of the
// channel mask, in the order A1, A2, D1, D2. A block holds field 8 samples of one byte, or of
// two bytes (first and second series) when field 11 is 1; a byte holds the entry when it is
// 0..254 and 255 for anything else, the no-sample value included.
#pragma once

#include "scope/frame.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace qs40 {

inline constexpr std::string_view kDataFileMark{"QSD_ZR40:\0", 10};
// The mark of the older format, which this program does not read.
inline constexpr std::string_view kOlderDataFileMark{"QSD:\0", 5};
inline constexpr std::size_t kDataFileHeaderBytes = 4 * kHeaderFields;
inline constexpr std::size_t kDataFileSamplesOffset = kDataFileMark.size() + kDataFileHeaderBytes;
// Fields that a written file carries as -1.
inline constexpr int kHdrReservedFirst = 29;
inline constexpr int kHdrReservedLast = 38;
inline constexpr int kHdrChecksum = 40;
// The byte of a sample that holds no value.
inline constexpr std::uint8_t kNoSampleByte = 255;

using FrameHeader = std::array<std::int32_t, kHeaderFields>;

// The sum of fields 0 to 39 as 32-bit integers, wrapping on overflow.
std::int32_t headerChecksum(const FrameHeader& header);

// Readies a header for writing: the sample count (field 8) is held within 0..40000 so that the
// blocks written match it, fields 29 to 38 become -1 and field 40 the checksum.
void prepareHeaderForFile(FrameHeader& header);

// What the blocks of a header hold.
inline bool fileHasPairs(const FrameHeader& header) {
    return header[kHdrPairs] == 1;
}
inline bool fileHasChannel(const FrameHeader& header, int channel) {
    return (header[kHdrChannels] >> channel & 1) != 0;
}
// Samples per block that fit the sample arrays: field 8 held within 0..40000.
std::int32_t storableSamples(const FrameHeader& header);

// The whole file for a frame whose header is prepared.
std::string encodeDataFile(const FrameData& frame);

// Where the reader takes its bytes from.
class DataFileInput {
public:
    virtual ~DataFileInput() = default;
    // Fills `bytes`; fewer only at the end of the input.
    virtual std::size_t read(std::span<std::uint8_t> bytes) = 0;
    // Passes over `count` bytes; false when the input ends before.
    virtual bool skip(std::uint64_t count) = 0;
};

class MemoryDataFileInput final : public DataFileInput {
public:
    explicit MemoryDataFileInput(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::size_t read(std::span<std::uint8_t> bytes) override;
    bool skip(std::uint64_t count) override;

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

class StdioDataFileInput final : public DataFileInput {
public:
    explicit StdioDataFileInput(std::FILE* file) : file_(file) {}
    std::size_t read(std::span<std::uint8_t> bytes) override;
    bool skip(std::uint64_t count) override;
    // The errno of a read that failed (the input then looks ended), else 0: a failing disk is
    // not a file that ends early.
    int error() const { return error_; }

private:
    std::FILE* file_;
    int error_ = 0;
};

enum class DataFileStatus {
    Loaded,
    NotDataFile,     // the mark is wrong
    OlderFormat,     // the mark of the older format
    HeaderTruncated, // the file ends inside the header, so its checksum cannot be checked
    ChecksumError,
};

inline constexpr int kFileChannels = 4; // A1, A2, D1, D2

struct DataFileReport {
    DataFileStatus status = DataFileStatus::NotDataFile;
    FrameHeader fileHeader{};                          // as read, before the sample count is held
    std::array<std::int64_t, kFileChannels> claimed{}; // samples the header gives each block
    std::array<std::int32_t, kFileChannels> loaded{};  // samples whose first byte was read
    bool endedEarly = false;    // the file ends before the last block is complete
    bool trailingBytes = false; // bytes follow the last block
};

// Reads a data file into `frame`. With a wrong mark the frame is untouched; otherwise it is
// reset first and, on a header error, left reset. The blocks fill the series up to where the
// file ends; a header whose sample count exceeds the arrays loads the first 40000 samples of
// each block, and the loaded header's field 8 is held within 0..40000. Without pairs each
// byte goes into both series, as a decoded frame holds it.
DataFileReport decodeDataFile(DataFileInput& input, FrameData& frame);

} // namespace qs40
