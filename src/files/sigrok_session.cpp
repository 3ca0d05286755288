#include "files/sigrok_session.h"

#include <zip.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <deque>
#include <stdexcept>

namespace qs40 {
namespace {

static_assert(std::endian::native == std::endian::little,
              "analog samples are stored as the file's little-endian floats");

// Samples per data file inside the zip; sigrok's own writer also splits long captures.
constexpr std::size_t kChunkBytes = 4 << 20;

std::string metadataText(const SigrokSession& s) {
    const std::size_t logicCount = s.logicNames.size();
    // The reader wants the capture file first, and the probe count before the analog count,
    // since analog channels are numbered after the logic probes. A capture file named without
    // logic data to go with it makes the reader give up, so analog-only sessions name none.
    std::string text = "[global]\nsigrok version=0.5.2\n\n[device 1]\n";
    if (logicCount > 0)
        text += "capturefile=logic-1\n";
    text += "total probes=" + std::to_string(logicCount) + "\n";
    text += "samplerate=" + std::to_string(s.sampleRate) + "\n";
    text += "total analog=" + std::to_string(s.analog.size()) + "\n";
    for (std::size_t i = 0; i < logicCount; ++i)
        text += "probe" + std::to_string(i + 1) + "=" + s.logicNames[i] + "\n";
    for (std::size_t k = 0; k < s.analog.size(); ++k)
        text += "analog" + std::to_string(logicCount + k + 1) + "=" + s.analog[k].name + "\n";
    if (logicCount > 0)
        text += "unitsize=1\n";
    return text;
}

// A zip built in memory. libzip reads the added buffers only at close, so they are kept here,
// in a deque whose elements never move.
class MemoryZip {
public:
    MemoryZip() {
        zip_error_init(&error_);
        source_ = zip_source_buffer_create(nullptr, 0, 0, &error_);
        if (source_ == nullptr)
            fail();
        zip_source_keep(source_); // the archive's close must leave the bytes to us
        archive_ = zip_open_from_source(source_, ZIP_TRUNCATE, &error_);
        if (archive_ == nullptr)
            fail();
    }
    ~MemoryZip() {
        if (archive_ != nullptr)
            zip_discard(archive_);
        if (source_ != nullptr)
            zip_source_free(source_);
        zip_error_fini(&error_);
    }
    MemoryZip(const MemoryZip&) = delete;
    MemoryZip& operator=(const MemoryZip&) = delete;

    void add(const std::string& name, std::string bytes) {
        const std::string& kept = buffers_.emplace_back(std::move(bytes));
        zip_source_t* data = zip_source_buffer(archive_, kept.data(), kept.size(), 0);
        if (data == nullptr)
            failArchive();
        if (zip_file_add(archive_, name.c_str(), data, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(data);
            failArchive();
        }
    }

    std::string finish() {
        if (zip_close(archive_) < 0)
            failArchive();
        archive_ = nullptr;
        std::string out;
        if (zip_source_open(source_) < 0)
            failSource();
        char block[65536];
        for (;;) {
            const zip_int64_t n = zip_source_read(source_, block, sizeof block);
            if (n < 0) {
                zip_source_close(source_);
                failSource();
            }
            if (n == 0)
                break;
            out.append(block, static_cast<std::size_t>(n));
        }
        zip_source_close(source_);
        return out;
    }

private:
    [[noreturn]] void fail() { throw std::runtime_error(zip_error_strerror(&error_)); }
    [[noreturn]] void failArchive() { throw std::runtime_error(zip_strerror(archive_)); }
    [[noreturn]] void failSource() {
        throw std::runtime_error(zip_error_strerror(zip_source_error(source_)));
    }

    zip_error_t error_;
    zip_source_t* source_ = nullptr;
    zip_t* archive_ = nullptr;
    std::deque<std::string> buffers_;
};

// Splits bytes into the numbered data files "<prefix>1", "<prefix>2", ... An empty capture still
// gets its first file: a reader that finds none gives up on the whole session.
void addChunks(MemoryZip& zip, const std::string& prefix, const char* bytes, std::size_t size) {
    if (size == 0)
        zip.add(prefix + "1", {});
    for (std::size_t at = 0, n = 1; at < size; at += kChunkBytes, ++n)
        zip.add(prefix + std::to_string(n),
                std::string(bytes + at, std::min(kChunkBytes, size - at)));
}

} // namespace

SigrokEncoding encodeSigrokSession(const SigrokSession& session) {
    SigrokEncoding result;
    try {
        MemoryZip zip;
        zip.add("version", "2");
        zip.add("metadata", metadataText(session));
        if (!session.logicNames.empty())
            addChunks(zip, "logic-1-", reinterpret_cast<const char*>(session.logic.data()),
                      session.logic.size());
        const std::size_t logicCount = session.logicNames.size();
        for (std::size_t k = 0; k < session.analog.size(); ++k) {
            const auto& values = session.analog[k].values;
            addChunks(zip, "analog-1-" + std::to_string(logicCount + k + 1) + "-",
                      reinterpret_cast<const char*>(values.data()), values.size() * sizeof(float));
        }
        result.bytes = zip.finish();
        result.ok = true;
    } catch (const std::runtime_error& e) {
        result.error = e.what();
    }
    return result;
}

} // namespace qs40
