// What is wrong with a data file that loads: it is shorter than its header says, or its header
// holds values that no instrument writes (a divider, lengths, positions, volts per division or
// a variant code outside what the acquisition produces). The checksum only shows that the
// header was written whole, not that what was written is sound. The format itself does not
// change: such a file still loads what it holds, and the display keeps to the record.
#pragma once

#include "files/data_file_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qs40 {

struct DataFileDamage {
    enum class Kind {
        Truncated,       // the file ends before its last sample block is complete
        ImpossibleValue, // a header field holds a value no instrument writes
    };
    Kind kind = Kind::ImpossibleValue;
    // Truncated: the channel (0..3: A1, A2, D1, D2) whose block ends early, the samples it
    // holds and the samples the header gives it.
    int channel = 0;
    std::int64_t samplesRead = 0;
    std::int64_t samplesClaimed = 0;
    // ImpossibleValue: the field, its value and what an instrument writes there. With
    // voltsStep the field takes one of the volts-per-division steps (and low..high does not
    // apply).
    int field = 0;
    std::int32_t value = 0;
    std::int64_t low = 0;
    std::int64_t high = 0;
    bool voltsStep = false;
};

// The findings for a file that loaded (report.status is Loaded), in field order after the
// truncation; empty when the file is sound. A header without a frame (field 6 is 0, as a file
// saved before any acquisition) may hold zeros where a frame needs a divider and a scale.
std::vector<DataFileDamage> dataFileDamage(const DataFileReport& report);

// Whether a finding concerns the field.
bool damagesField(const std::vector<DataFileDamage>& damage, int field);

// One finding as a sentence.
std::string damageText(const DataFileDamage& damage, bool russian);

// The window's warning after an open: the file name, that it is damaged and what is shown,
// then the findings, one per line ("\r\n" between lines).
std::string damagedFileText(const std::string& name, const std::vector<DataFileDamage>& damage,
                            bool russian);

} // namespace qs40
