#include "files/data_file_damage.h"

#include "display/info_readings.h"
#include "scope/scope_state.h"

#include <algorithm>
#include <array>

namespace qs40 {
namespace {

// The codes a 16-bit word of the frame tail can carry.
constexpr std::int64_t kLargestVariantCode = 0xFFFF;
constexpr std::int64_t kTopCode = 255;
constexpr std::int64_t kLastTrigSource = kTrigSourceD2;
constexpr std::int64_t kAllChannels = kPresentA1 | kPresentA2 | kPresentD1 | kPresentD2;
// The frequency-meter range is a byte of the status packet.
constexpr std::int64_t kLargestByte = 255;

constexpr std::array<const char*, kFileChannels> kChannelNames{"A1", "A2", "D1", "D2"};

struct FieldName {
    int field;
    const char* english;
    const char* russian;
};

constexpr FieldName kFieldNames[] = {
    {kHdrVariant, "variant code", "код варианта"},
    {kHdrDivider, "sample divider", "делитель частоты выборки"},
    {kHdrVoltsDivA1, "A1 volts per division", "вольт на деление A1"},
    {kHdrVoltsDivA2, "A2 volts per division", "вольт на деление A2"},
    {kHdrLength, "frame length", "длина кадра"},
    {kHdrTrigPos, "trigger position", "позиция запуска"},
    {kHdrValid, "valid samples", "число отсчётов"},
    {kHdrRing, "ring length", "длина кольца"},
    {kHdrRoll, "roll frame", "кадр прокрутки"},
    {kHdrPairs, "peak-detect pairs", "пары пикового детектора"},
    {kHdrTrigLevel, "trigger level", "уровень запуска"},
    {kHdrTrigSource, "trigger source", "источник запуска"},
    {kHdrChannels, "channel mask", "маска каналов"},
    {kHdrFmRange, "freq. meter range", "вход частотомера"},
    {kHdrLevelSumA1, "A1 level sum", "сумма уровней A1"},
    {kHdrLevelSumA2, "A2 level sum", "сумма уровней A2"},
    {kHdrPeakToPeakA1, "A1 peak-to-peak", "размах A1"},
    {kHdrPeakToPeakA2, "A2 peak-to-peak", "размах A2"},
};

const char* fieldName(int field, bool russian) {
    for (const FieldName& n : kFieldNames)
        if (n.field == field)
            return russian ? n.russian : n.english;
    return "";
}

// Every volts per division the parameter computation gives: a range times a probe factor.
bool isVoltsStep(std::int32_t microvolts) {
    for (int range = 0; range <= static_cast<int>(VoltsDiv::mV50); ++range)
        for (const Probe probe : {Probe::x1, Probe::x10, Probe::x100})
            if (std::int64_t{voltsDivMicrovolts(static_cast<VoltsDiv>(range))} *
                    probeFactor(probe) ==
                microvolts)
                return true;
    return false;
}

class HeaderCheck {
public:
    HeaderCheck(const FrameHeader& h, std::vector<DataFileDamage>& found) : h_(h), found_(found) {}

    void range(int field, std::int64_t low, std::int64_t high) {
        const std::int32_t v = h_[static_cast<std::size_t>(field)];
        if (v < low || v > high)
            found_.push_back({.kind = DataFileDamage::Kind::ImpossibleValue,
                              .field = field,
                              .value = v,
                              .low = low,
                              .high = high});
    }

    // A header without a frame may hold 0 where a frame holds a scale.
    void voltsStep(int field, bool frame) {
        const std::int32_t v = h_[static_cast<std::size_t>(field)];
        if (!isVoltsStep(v) && (frame || v != 0))
            found_.push_back({.kind = DataFileDamage::Kind::ImpossibleValue,
                              .field = field,
                              .value = v,
                              .voltsStep = true});
    }

private:
    const FrameHeader& h_;
    std::vector<DataFileDamage>& found_;
};

void checkHeader(const FrameHeader& h, std::vector<DataFileDamage>& found) {
    HeaderCheck check(h, found);
    const bool frame = h[kHdrLength] > 0;
    const std::int64_t record = recordSize(h);
    // The level sums are halved sums of two codes per valid sample.
    const std::int64_t valid = positionInRecord(h, kHdrValid);

    check.range(kHdrVariant, 0, kLargestVariantCode);
    check.range(kHdrDivider, frame ? 1 : 0, kLargestDivider);
    check.voltsStep(kHdrVoltsDivA1, frame);
    check.voltsStep(kHdrVoltsDivA2, frame);
    check.range(kHdrLength, 0, kMaxSamples);
    check.range(kHdrTrigPos, 0, record);
    check.range(kHdrValid, 0, record);
    check.range(kHdrRing, 0, record);
    check.range(kHdrRoll, 0, 1);
    check.range(kHdrPairs, 0, 1);
    check.range(kHdrTrigLevel, 0, kTopCode);
    check.range(kHdrTrigSource, kTrigSourceNone, kLastTrigSource);
    check.range(kHdrChannels, 0, kAllChannels);
    check.range(kHdrFmRange, 0, kLargestByte);
    check.range(kHdrLevelSumA1, 0, valid * kTopCode);
    check.range(kHdrLevelSumA2, 0, valid * kTopCode);
    check.range(kHdrPeakToPeakA1, -1, kTopCode);
    check.range(kHdrPeakToPeakA2, -1, kTopCode);
}

// Where the file ends: the first block that holds fewer samples than the arrays take of it;
// when every block read is whole, the file ended among the samples beyond the arrays, after
// the last block read.
DataFileDamage truncation(const DataFileReport& r) {
    const FrameHeader& h = r.fileHeader;
    const std::int64_t storable = storableSamples(h);
    int last = 0;
    for (int c = 0; c < kFileChannels; ++c) {
        if (!fileHasChannel(h, c))
            continue;
        if (r.loaded[c] < storable)
            return {.kind = DataFileDamage::Kind::Truncated,
                    .channel = c,
                    .samplesRead = r.loaded[c],
                    .samplesClaimed = r.claimed[c]};
        last = c;
    }
    return {.kind = DataFileDamage::Kind::Truncated,
            .channel = last,
            .samplesRead = r.loaded[last],
            .samplesClaimed = r.claimed[last]};
}

} // namespace

std::vector<DataFileDamage> dataFileDamage(const DataFileReport& report) {
    std::vector<DataFileDamage> found;
    if (report.status != DataFileStatus::Loaded)
        return found;
    if (report.endedEarly)
        found.push_back(truncation(report));
    checkHeader(report.fileHeader, found);
    return found;
}

bool damagesField(const std::vector<DataFileDamage>& damage, int field) {
    return std::any_of(damage.begin(), damage.end(), [field](const DataFileDamage& d) {
        return d.kind == DataFileDamage::Kind::ImpossibleValue && d.field == field;
    });
}

std::string damageText(const DataFileDamage& d, bool ru) {
    if (d.kind == DataFileDamage::Kind::Truncated) {
        const std::string counts = std::to_string(d.samplesRead) + (ru ? " из " : " of ") +
                                   std::to_string(d.samplesClaimed);
        const std::string channel = kChannelNames[static_cast<std::size_t>(d.channel)];
        return ru ? "Файл короче, чем сказано в его заголовке: отсчёты " + channel +
                        " обрываются после " + counts + "; дальше отсчётов нет."
                  : "The file is shorter than its header says: the samples of " + channel +
                        " end after " + counts + "; the rest shows no sample.";
    }
    std::string text = (ru ? "Поле заголовка " : "Header field ") + std::to_string(d.field) + " (" +
                       fieldName(d.field, ru) + (ru ? ") содержит " : ") holds ") +
                       std::to_string(d.value);
    if (d.voltsStep)
        return text + (ru ? "; прибор записывает туда одну из своих ступеней вольт на деление "
                            "в микровольтах."
                          : "; an instrument writes one of its volts-per-division steps in "
                            "microvolts there.");
    return text + (ru ? "; прибор записывает туда от " : "; an instrument writes ") +
           std::to_string(d.low) + (ru ? " до " : " to ") + std::to_string(d.high) +
           (ru ? "." : " there.");
}

std::string damagedFileText(const std::string& name, const std::vector<DataFileDamage>& damage,
                            bool ru) {
    std::string text = name + (ru ? "\r\nФайл повреждён; показано только то, что в нём цело."
                                  : "\r\nThe file is damaged; only what is sound is shown.");
    for (const DataFileDamage& d : damage)
        text += "\r\n" + damageText(d, ru);
    return text;
}

} // namespace qs40
