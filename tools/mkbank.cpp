// mkbank: packs 16-bit PCM WAV files, or a set of synthesised demo sounds, into a bank file.
#include "bank_builder.h"
#include "console_code_page.h"
#include "demo_sounds.h"
#include "wav_reader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <getopt.h>
#include <string>

namespace {

constexpr int EXIT_USAGE = 64;

const char usage_text[] =
    "usage: mkbank OUT.zp4 --demo\n"
    "       mkbank OUT.zp4 [--mono N=IN.wav]... [--stereo N=IN.wav]...\n"
    "  --demo             synthesised tones, a sweep, a plucked string and stereo pads\n"
    "  --mono N=IN.wav    a mono 16-bit PCM file into mono slot N (0..99)\n"
    "  --stereo N=IN.wav  a stereo 16-bit PCM file into stereo slot N (0..49)\n"
    "  -h, --help         this text\n"
    "      --version      the version\n"
    "Audio is stored for playback at 32000 Hz; other rates are refused.\n";

enum LongOnly { DEMO = 256, MONO, STEREO, VERSION };

// The leading ':' has a missing N=IN.wav reported as ':' rather than '?'.
const char short_options[] = ":h";

// clang-format off
const option long_options[] = {
    {"demo",    no_argument,       nullptr, DEMO},
    {"mono",    required_argument, nullptr, MONO},
    {"stereo",  required_argument, nullptr, STEREO},
    {"help",    no_argument,       nullptr, 'h'},
    {"version", no_argument,       nullptr, VERSION},
    {nullptr,   0,                 nullptr, 0},
};
// clang-format on

int fail(const std::string& message) {
    std::fprintf(stderr, "mkbank: %s\n", message.c_str());
    return EXIT_FAILURE;
}

int usage_error(const std::string& message) {
    std::fprintf(stderr, "mkbank: %s\nTry 'mkbank --help' for more information.\n",
                 message.c_str());
    return EXIT_USAGE;
}

// What getopt_long refused: an unknown option as typed, or a long option given a value it does
// not take, optopt then holding that option's value.
std::string refusal(char** argv) {
    if (optopt == 0) return std::string("unknown option ") + argv[optind - 1];
    for (const option& known : long_options)
        if (known.name && known.val == optopt)
            return std::string("option --") + known.name + " takes no value";
    return std::string("unknown option -") + char(optopt);
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
    if (audio.sample_rate != uint32_t(SAMPLE_RATE)) {
        const std::string rate = std::to_string(SAMPLE_RATE);
        error = path + ": " + std::to_string(audio.sample_rate) + " Hz; the bank plays at " + rate +
                " Hz (resample first, e.g. sox IN.wav -r " + rate + " OUT.wav)";
        return false;
    }
    slot = BankSlot{stereo, int(number), std::move(audio.left), std::move(audio.right)};
    if (number < 0 || number >= (stereo ? STEREO_SLOTS : MONO_SLOTS)) {
        error = path + ": slot " + std::to_string(number) + " out of range";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    use_utf8_console();
    bool demo = false;
    struct SlotArgument {
        bool stereo;
        const char* text; // "N=IN.wav"
    };
    std::vector<SlotArgument> slot_arguments;
    opterr = 0; // the messages are ours
    for (int option;
         (option = getopt_long(argc, argv, short_options, long_options, nullptr)) != -1;) {
        switch (option) {
        case 'h': std::fputs(usage_text, stdout); return EXIT_SUCCESS;
        case VERSION: std::puts("mkbank " UNBANK_VERSION); return EXIT_SUCCESS;
        case DEMO: demo = true; break;
        case MONO:
        case STEREO: slot_arguments.push_back({option == STEREO, optarg}); break;
        case ':': return usage_error(std::string("missing N=IN.wav after ") + argv[optind - 1]);
        default: return usage_error(refusal(argv));
        }
    }
    if (optind == argc) return usage_error("no bank file given");
    if (optind + 1 < argc) return usage_error(std::string("unexpected '") + argv[optind + 1] + "'");
    if (demo == !slot_arguments.empty()) return usage_error("give either --demo or the slots");

    const std::string out_path  = argv[optind];
    std::vector<BankSlot> slots = demo ? demo_slots() : std::vector<BankSlot>{};
    std::string error;
    for (const SlotArgument& argument : slot_arguments) {
        BankSlot slot;
        if (!load_slot(argument.text, argument.stereo, slot, error)) return fail(error);
        slots.push_back(std::move(slot));
    }
    std::vector<uint8_t> image;
    if (!build_bank(slots, image, error) || !write_file(out_path, image, error)) return fail(error);
    std::printf("%s: %zu slot(s), %zu bytes\n", out_path.c_str(), slots.size(), image.size());
    return EXIT_SUCCESS;
}
