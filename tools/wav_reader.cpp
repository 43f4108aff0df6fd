#include "wav_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint16_t FORMAT_PCM        = 1;
constexpr uint16_t FORMAT_EXTENSIBLE = 0xFFFE;

uint32_t le16(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}
uint32_t le32(const uint8_t* p) {
    return le16(p) | le16(p + 2) << 16;
}

bool read_all(const std::string& path, std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    uint8_t buffer[1 << 16];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

// Checks the format chunk; a message when the file is not 16-bit PCM, mono or stereo.
std::string check_format(const uint8_t* fmt, uint32_t size, WavAudio& audio) {
    if (size < 16) return "format chunk too short";
    const uint32_t tag  = le16(fmt);
    const uint32_t bits = le16(fmt + 14);
    audio.channels      = int(le16(fmt + 2));
    audio.sample_rate   = le32(fmt + 4);
    if (tag != FORMAT_PCM && tag != FORMAT_EXTENSIBLE)
        return "not PCM (format " + std::to_string(tag) + ")";
    if (bits != 16) return std::to_string(bits) + "-bit samples (only 16-bit PCM is taken)";
    if (audio.channels != 1 && audio.channels != 2)
        return std::to_string(audio.channels) + " channels (only mono or stereo)";
    return "";
}

} // namespace

bool read_wav(const std::string& path, WavAudio& audio, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!read_all(path, bytes)) {
        error = path + ": cannot read: " + std::strerror(errno);
        return false;
    }
    if (bytes.size() < 12 || std::memcmp(&bytes[0], "RIFF", 4) != 0 ||
        std::memcmp(&bytes[8], "WAVE", 4) != 0) {
        error = path + ": not a RIFF/WAVE file";
        return false;
    }
    bool have_format = false;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint32_t size = le32(&bytes[at + 4]);
        const uint8_t* body = &bytes[at + 8];
        if (size > bytes.size() - at - 8) break;
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0) {
            const std::string problem = check_format(body, size, audio);
            if (!problem.empty()) {
                error = path + ": " + problem;
                return false;
            }
            have_format = true;
        } else if (std::memcmp(&bytes[at], "data", 4) == 0 && have_format) {
            const size_t frames = size / (2 * size_t(audio.channels));
            audio.left.resize(frames);
            audio.right.resize(audio.channels == 2 ? frames : 0);
            for (size_t f = 0; f < frames; ++f) {
                const uint8_t* frame = body + f * 2 * audio.channels;
                audio.left[f]        = int16_t(le16(frame));
                if (audio.channels == 2) audio.right[f] = int16_t(le16(frame + 2));
            }
            return true;
        }
        at += 8 + size + (size & 1); // chunks are padded to even length
    }
    error = path + (have_format ? ": no complete data chunk" : ": no format chunk before the data");
    return false;
}
