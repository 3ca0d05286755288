#include "device/link/protocol_status.h"

#include "device/link/protocol_codec.h"

namespace qs40 {

StatusReport decodeStatus(const StatusBytes& b) {
    namespace f = status_field;
    StatusReport s;
    s.firmwareVersion = b[f::kFirmwareVersion];
    s.powerState = b[f::kPowerState];
    s.configurationMark = b[f::kConfigurationMark];
    s.fpgaVersion = b[f::kFpgaVersion];
    s.featureWord = readLe16(&b[f::kFeatureWord]);
    s.freqRange = b[f::kFreqRange];
    s.freqCount1 = readLe32(&b[f::kFreqCount1]);
    s.freqCount2 = readLe32(&b[f::kFreqCount2]);
    s.serialNumber = readLe32(&b[f::kSerialNumber]);
    s.serialPrefix = readLe16(&b[f::kSerialPrefix]);
    for (std::size_t i = 0; i < 4; ++i)
        s.tdc[i] = b[f::kTdcConstants + i];
    s.supplyMonitor = readLe16(&b[f::kSupplyMonitor]);
    return s;
}

void applyStatus(const StatusReport& s, LinkState& link) {
    link.statusActivity.store(true);
    const bool wasLinked = link.linkUp.load();
    if (wasLinked && s.powerState == kPowerFailureState)
        link.raise(LinkFault::PowerFailure);
    if (wasLinked && s.configurationMark != kConfiguredMark)
        link.raise(LinkFault::FpgaConfigurationLost);
    const bool configured = s.configurationMark == kConfiguredMark;
    if (configured)
        link.linkUp.store(true);
    const bool running = link.running.load();
    const std::int32_t time = link.freqMeterTime.load();
    link.report.update([&](InstrumentReport& r) {
        r.firmwareVersion = s.firmwareVersion;
        if (configured) {
            r.fpgaVersion = s.fpgaVersion;
            r.featureWord = s.featureWord;
            r.versionsValid = true;
        }
        r.serialNumber = s.serialNumber;
        r.serialPrefix = s.serialPrefix;
        r.tdc = s.tdc;
        r.tdcValid = true;
        r.vcc = supplyVoltage(s.supplyMonitor);
        r.vccValid = true;
        if (running) {
            r.freqRange = s.freqRange;
            r.freqCount1 = s.freqCount1;
            r.freqCount2 = s.freqCount2;
            r.freqTime = time;
        }
    });
    link.identityReceived.store(true);
    link.statusReadyRequest.store(true);
}

} // namespace qs40
