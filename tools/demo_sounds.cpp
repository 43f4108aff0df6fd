#include "demo_sounds.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double RATE = SAMPLE_RATE;
constexpr double PI   = 3.14159265358979323846;

int16_t to_sample(double x) {
    const double scaled = std::lround(x * 32767.0);
    return int16_t(scaled > 32767 ? 32767 : scaled < -32767 ? -32767 : scaled);
}

// Attack and release ramps so no sound starts or stops with a click.
double envelope(size_t i, size_t length) {
    const double ramp       = 0.01 * RATE;
    const double from_start = double(i) / ramp, to_end = double(length - i) / ramp;
    return std::fmin(1.0, std::fmin(from_start, to_end));
}

std::vector<int16_t> tone(double hz, double seconds, double level) {
    std::vector<int16_t> out(size_t(seconds * RATE));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] =
            to_sample(level * envelope(i, out.size()) * std::sin(2 * PI * hz * double(i) / RATE));
    return out;
}

// A sine gliding exponentially from one frequency to another.
std::vector<int16_t> sweep(double from_hz, double to_hz, double seconds) {
    std::vector<int16_t> out(size_t(seconds * RATE));
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double hz = from_hz * std::pow(to_hz / from_hz, double(i) / double(out.size()));
        phase += 2 * PI * hz / RATE;
        out[i] = to_sample(0.6 * envelope(i, out.size()) * std::sin(phase));
    }
    return out;
}

// A plucked string: a burst of noise circulating in a damped delay line.
std::vector<int16_t> pluck(double hz, double seconds) {
    std::vector<double> line(size_t(RATE / hz));
    uint32_t seed = 12345;
    for (double& x : line) {
        seed = seed * 1664525u + 1013904223u;
        x    = double(seed >> 8) / double(1u << 24) * 2.0 - 1.0;
    }
    std::vector<int16_t> out(size_t(seconds * RATE));
    for (size_t i = 0; i < out.size(); ++i) {
        const size_t at   = i % line.size();
        const double next = line[(at + 1) % line.size()];
        out[i]            = to_sample(0.7 * line[at] * envelope(i, out.size()) / 1.0);
        line[at]          = 0.996 * 0.5 * (line[at] + next);
    }
    return out;
}

// Detuned voices of a chord, spread between the channels.
BankSlot pad(int number, double root_hz, double seconds) {
    const double ratios[] = {1.0, 1.25, 1.5, 2.0};
    BankSlot slot{true, number, std::vector<int16_t>(size_t(seconds * RATE)), {}};
    slot.right.resize(slot.left.size());
    for (size_t i = 0; i < slot.left.size(); ++i) {
        double l = 0, r = 0;
        for (double ratio : ratios) {
            const double t = double(i) / RATE, hz = root_hz * ratio;
            l += std::sin(2 * PI * hz * 0.997 * t);
            r += std::sin(2 * PI * hz * 1.003 * t);
        }
        const double level = 0.15 * envelope(i, slot.left.size());
        slot.left[i]       = to_sample(level * l);
        slot.right[i]      = to_sample(level * r);
    }
    return slot;
}

// A tone bouncing between left and right.
BankSlot ping_pong(int number, double hz, double seconds) {
    const std::vector<int16_t> voice = tone(hz, seconds, 0.5);
    BankSlot slot{true, number, voice, voice};
    for (size_t i = 0; i < voice.size(); ++i) {
        const double pan = 0.5 + 0.5 * std::sin(2 * PI * 2.0 * double(i) / RATE);
        slot.left[i]     = int16_t(voice[i] * pan);
        slot.right[i]    = int16_t(voice[i] * (1.0 - pan));
    }
    return slot;
}

} // namespace

std::vector<BankSlot> demo_slots() {
    return {
        {false, 0, tone(440.0, 1.0, 0.5), {}},
        {false, 3, sweep(100.0, 4000.0, 1.5), {}},
        {false, 7, pluck(196.0, 1.5), {}},
        {false, 12, tone(110.0, 0.75, 0.8), {}},
        pad(0, 220.0, 2.0),
        ping_pong(5, 660.0, 1.5),
    };
}
