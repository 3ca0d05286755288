#include "sim/instrument_registers.h"

#include <algorithm>

#include "device/link/protocol_codec.h"

namespace qs40::sim {

bool RegisterFile::write(std::uint8_t kind, std::uint8_t address,
                         std::span<const std::uint8_t> data) {
    std::array<std::uint8_t, 256>* space = kind == kBlockSettings    ? &settings_
                                           : kind == kBlockConstants ? &constants_
                                                                     : nullptr;
    if (!space || address + data.size() > space->size())
        return false;
    std::copy(data.begin(), data.end(), space->begin() + address);
    return true;
}

InstrumentSettings RegisterFile::settings() const {
    const std::uint8_t* a = &settings_[kAddressAcquisition];
    const std::uint8_t* c = &settings_[kAddressInputs];
    InstrumentSettings s;
    s.modeBits = a[1];
    s.routingBits = a[2];
    s.divider = readLe32(&a[4]);
    s.preTrigger = readLe16(&a[8]);
    s.postTrigger = readLe16(&a[10]);
    std::copy_n(&a[12], 4, s.thresholds.begin());
    s.triggerCount = a[16];
    s.runBits = a[28];
    s.rollBits = a[29];
    s.freqMeterInput = settings_[kAddressFreqMeter];
    s.sequence = c[0];
    s.inputA1 = c[1];
    s.inputA2 = c[2];
    s.offsetA1 = readLe16(&c[3]);
    s.offsetA2 = readLe16(&c[5]);
    s.frameIntervalMs = c[7];
    std::copy_n(&settings_[kAddressGenerator], kGeneratorBlockBytes, s.generator.begin());
    return s;
}

TdcConstants RegisterFile::tdcConstants() const {
    TdcConstants t;
    std::copy_n(&constants_[kAddressTdc], 4, t.begin());
    return t;
}

void RegisterFile::setTdcConstants(const TdcConstants& tdc) {
    std::copy(tdc.begin(), tdc.end(), &constants_[kAddressTdc]);
}

void RegisterFile::clear() {
    const TdcConstants keep = tdcConstants(); // stored in the instrument's own memory
    settings_.fill(0);
    constants_.fill(0);
    setTdcConstants(keep);
}

} // namespace qs40::sim
