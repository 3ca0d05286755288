// Commands the host writes to the instrument: the parameter packet and the FPGA configuration
// command. A command is a record (length, block count, blocks, check byte) that travels
// nibble-encoded; the 0xFA marker before it is written separately.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "scope/acquisition_params.h"

namespace qs40 {

// Block kinds.
inline constexpr std::uint8_t kBlockSettings = 0x7F;
inline constexpr std::uint8_t kBlockConstants = 0x80;
inline constexpr std::uint8_t kBlockFpgaConfig = 0x81;

// Block addresses of the parameter packet.
inline constexpr std::uint8_t kAddressAcquisition = 0x00; // block A, 30 bytes
inline constexpr std::uint8_t kAddressFreqMeter = 0x30;   // block B, 1 byte
inline constexpr std::uint8_t kAddressInputs = 0x45;      // block C, 8 bytes
inline constexpr std::uint8_t kAddressGenerator = 0x60;   // block D, 16 bytes
inline constexpr std::uint8_t kAddressTdc = 0x08;         // block E, 4 bytes (kind 0x80)

inline constexpr std::size_t kAcquisitionBlockBytes = 30;
inline constexpr std::size_t kFreqMeterBlockBytes = 1;
inline constexpr std::size_t kInputsBlockBytes = 8;
inline constexpr std::size_t kGeneratorBlockBytes = 16;
inline constexpr std::size_t kTdcBlockBytes = 4;

// Length byte of a parameter record, without and with the TDC block.
inline constexpr std::uint8_t kParameterRecordLength = 69;
inline constexpr std::uint8_t kParameterRecordLengthWithTdc = 76;

// The four TDC constants: D1 rising, D1 falling, D2 rising, D2 falling.
using TdcConstants = std::array<std::uint8_t, 4>;

// Bytes on the wire for a record whose length byte is `length`.
inline constexpr std::size_t commandWireBytes(std::uint8_t length) {
    return 2 * (static_cast<std::size_t>(length) + 1);
}

// Builds a record from its blocks: appends the length byte, the block count, the blocks and the
// check byte. Adds blocks one at a time.
class CommandRecord {
public:
    CommandRecord();
    void addBlock(std::uint8_t kind, std::uint8_t address, std::span<const std::uint8_t> data);
    // The record with its length byte set and the check byte appended.
    std::vector<std::uint8_t> finish() const;

private:
    std::vector<std::uint8_t> bytes_;
};

// Data bytes of the four parameter blocks.
std::array<std::uint8_t, kAcquisitionBlockBytes> acquisitionBlock(const AcquisitionParams& p);
std::array<std::uint8_t, kInputsBlockBytes> inputsBlock(const AcquisitionParams& p,
                                                        std::uint8_t sequence);
std::array<std::uint8_t, kGeneratorBlockBytes> generatorBlock(const AcquisitionParams& p);

// The parameter record (length 69, or 76 with the TDC block), check byte included.
std::vector<std::uint8_t> buildParameterRecord(const AcquisitionParams& params,
                                               std::uint8_t sequence,
                                               const std::optional<TdcConstants>& tdc);

// The record nibble-encoded: the bytes written after the marker, 2 x (length + 1) of them.
std::vector<std::uint8_t> encodeCommand(std::span<const std::uint8_t> record);

inline std::vector<std::uint8_t> buildParameterPacket(const AcquisitionParams& params,
                                                      std::uint8_t sequence,
                                                      const std::optional<TdcConstants>& tdc) {
    return encodeCommand(buildParameterRecord(params, sequence, tdc));
}

// The FPGA configuration command as written after the marker (14 bytes): the record
// 06 01 01 81 AA 55 with check byte 0x78, nibble-encoded.
std::vector<std::uint8_t> fpgaConfigurationCommand();

} // namespace qs40
