#include "device/link/protocol_packet.h"

#include "device/link/protocol_codec.h"

namespace qs40 {

CommandRecord::CommandRecord() : bytes_{0, 0} {}

void CommandRecord::addBlock(std::uint8_t kind, std::uint8_t address,
                             std::span<const std::uint8_t> data) {
    bytes_.push_back(static_cast<std::uint8_t>(data.size()));
    bytes_.push_back(kind);
    bytes_.push_back(address);
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    ++bytes_[1];
}

std::vector<std::uint8_t> CommandRecord::finish() const {
    std::vector<std::uint8_t> record = bytes_;
    record[0] = static_cast<std::uint8_t>(record.size());
    record.push_back(xorBytes(record));
    return record;
}

std::array<std::uint8_t, kAcquisitionBlockBytes> acquisitionBlock(const AcquisitionParams& p) {
    std::array<std::uint8_t, kAcquisitionBlockBytes> b{};
    b[1] = p.modeBits;
    b[2] = p.routingBits;
    b[3] = 4;
    writeLe(&b[4], p.divider, 4);
    writeLe(&b[8], static_cast<std::uint32_t>(p.preTrigger), 2);
    writeLe(&b[10], static_cast<std::uint32_t>(p.postTrigger), 2);
    for (std::size_t i = 0; i < 4; ++i)
        b[12 + i] = p.thresholds[i];
    b[16] = p.triggerCount;
    b[28] = p.runBits;
    b[29] = p.rollBits;
    return b;
}

std::array<std::uint8_t, kInputsBlockBytes> inputsBlock(const AcquisitionParams& p,
                                                        std::uint8_t sequence) {
    std::array<std::uint8_t, kInputsBlockBytes> b{};
    b[0] = sequence;
    b[1] = p.inputA1;
    b[2] = p.inputA2;
    writeLe(&b[3], static_cast<std::uint32_t>(p.offsetA1), 2);
    writeLe(&b[5], static_cast<std::uint32_t>(p.offsetA2), 2);
    b[7] = p.frameIntervalMs;
    return b;
}

std::array<std::uint8_t, kGeneratorBlockBytes> generatorBlock(const AcquisitionParams& p) {
    std::array<std::uint8_t, kGeneratorBlockBytes> b{};
    b[0] = p.genMode;
    writeLe(&b[1], static_cast<std::uint64_t>(p.genWord1), 5);
    writeLe(&b[6], static_cast<std::uint64_t>(p.genWord2), 5);
    b[11] = static_cast<std::uint8_t>(p.genAmplitude << 6);
    b[12] = static_cast<std::uint8_t>(p.genAmplitude >> 2);
    writeLe(&b[13], static_cast<std::uint32_t>(p.genWord3), 3);
    return b;
}

std::vector<std::uint8_t> buildParameterRecord(const AcquisitionParams& params,
                                               std::uint8_t sequence,
                                               const std::optional<TdcConstants>& tdc) {
    CommandRecord record;
    record.addBlock(kBlockSettings, kAddressAcquisition, acquisitionBlock(params));
    const std::uint8_t freq[1] = {params.freqMeterInput};
    record.addBlock(kBlockSettings, kAddressFreqMeter, freq);
    record.addBlock(kBlockSettings, kAddressInputs, inputsBlock(params, sequence));
    record.addBlock(kBlockSettings, kAddressGenerator, generatorBlock(params));
    if (tdc)
        record.addBlock(kBlockConstants, kAddressTdc, *tdc);
    return record.finish();
}

std::vector<std::uint8_t> encodeCommand(std::span<const std::uint8_t> record) {
    return nibbleEncode(record);
}

std::vector<std::uint8_t> fpgaConfigurationCommand() {
    CommandRecord record;
    const std::uint8_t start[1] = {0x55};
    record.addBlock(kBlockFpgaConfig, 0xAA, start);
    return encodeCommand(record.finish());
}

} // namespace qs40
