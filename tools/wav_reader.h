// Reads 16-bit PCM WAV files for the bank builder.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct WavAudio {
    int channels;
    uint32_t sample_rate;
    std::vector<int16_t> left;  // or the only channel
    std::vector<int16_t> right; // empty for mono
};

// False, with a message, for anything but a whole 16-bit PCM RIFF/WAVE file of 1 or 2 channels.
bool read_wav(const std::string& path, WavAudio& audio, std::string& error);
