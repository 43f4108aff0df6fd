// mkbank: packs 16-bit PCM WAV files, or a set of synthesised demo sounds, into a bank file.
#include "bank_builder.h"
#include "demo_sounds.h"
#include "wav_reader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int EXIT_USAGE = 64;

const char usage_text[] =
    "usage: mkbank OUT.zp4 --demo\n"
    "       mkbank OUT.zp4 [--mono N=IN.wav]... [--stereo N=IN.wav]...\n"
    "  --demo             synthesised tones, a sweep, a plucked string and stereo pads\n"
    "  --mono N=IN.wav    a mono 16-bit PCM file into mono slot N (0..99)\n"
    "  --stereo N=IN.wav  a stereo 16-bit PCM file into stereo slot N (0..49)\n"
    "Audio is stored for playback at 32000 Hz; other rates are refused.\n";

int fail(const std::string& message) {
    std::fprintf(stderr, "mkbank: %s\n", message.c_str());
    return EXIT_FAILURE;
}

int usage_error(const std::string& message) {
    std::fprintf(stderr, "mkbank: %s\n%s", message.c_str(), usage_text);
    return EXIT_USAGE;
}

// Reads "N=IN.wav" into a slot; false with a message.
bool load_slot(const char* argument, bool stereo, BankSlot& slot, std::string& error) {
    const char* equals = std::strchr(argument, '=');
    char* end          = nullptr;
    const long number  = std::strtol(argument, &end, 10);
    if (!equals || end != equals || end == argument) {
        error = std::string("expected N=IN.wav, got '") + argument + "'";
        return false;
    }
    const std::string path = equals + 1;
    WavAudio audio;
    if (!read_wav(path, audio, error)) return false;
    const int wanted = stereo ? 2 : 1;
    if (audio.channels != wanted) {
        error = path + ": " + std::to_string(audio.channels) + " channel(s); a " +
                (stereo ? "stereo" : "mono") + " slot takes " + std::to_string(wanted);
        return false;
    }
    if (audio.sample_rate != 32000) {
        error =
            path + ": " + std::to_string(audio.sample_rate) +
            " Hz; the bank plays at 32000 Hz (resample first, e.g. sox IN.wav -r 32000 OUT.wav)";
        return false;
    }
    slot = BankSlot{stereo, int(number), std::move(audio.left), std::move(audio.right)};
    if (number < 0 || number > (stereo ? 49 : 99)) {
        error = path + ": slot " + std::to_string(number) + " out of range";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help"))) {
        std::fputs(usage_text, stdout);
        return EXIT_SUCCESS;
    }
    if (argc == 2 && !std::strcmp(argv[1], "--version")) {
        std::puts("mkbank " UNBANK_VERSION);
        return EXIT_SUCCESS;
    }
    if (argc < 3) return usage_error("missing arguments");

    const std::string out_path = argv[1];
    std::vector<BankSlot> slots;
    std::string error;
    if (argc == 3 && !std::strcmp(argv[2], "--demo")) {
        slots = demo_slots();
    } else {
        for (int i = 2; i < argc; ++i) {
            const bool mono = !std::strcmp(argv[i], "--mono");
            if ((!mono && std::strcmp(argv[i], "--stereo")) || i + 1 == argc)
                return usage_error(std::string("unexpected '") + argv[i] + "'");
            BankSlot slot;
            if (!load_slot(argv[++i], !mono, slot, error)) return fail(error);
            slots.push_back(std::move(slot));
        }
    }

    std::vector<uint8_t> image;
    if (!build_bank(slots, image, error) || !write_file(out_path, image, error)) return fail(error);
    std::printf("%s: %zu slot(s), %zu bytes\n", out_path.c_str(), slots.size(), image.size());
    return EXIT_SUCCESS;
}
