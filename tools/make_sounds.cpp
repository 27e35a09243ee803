// Synthesises the game's fifteen sounds into sounds/ (or the folder given):
// 16-bit PCM, mono, 22050 Hz. Every run writes the same bytes: the noise comes
// from a seeded generator of our own and nothing reads the clock.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int rate = 22050;
constexpr double pi = 3.14159265358979323846;
constexpr double twoPi = 2 * pi;

using Wave = std::vector<float>;

size_t samples(double seconds)
{
    return static_cast<size_t>(std::lround(seconds * rate));
}

double midiHz(double note)
{
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

double decay(double t, double tau)
{
    return std::exp(-t / tau);
}

// Attack, decay to sustain, hold until `hold`, then release.
double adsr(double t, double hold, double attack, double decayTime, double sustain, double release)
{
    double level;
    if (t < attack)
        level = t / attack;
    else
        level = sustain + (1 - sustain) * std::exp(-(t - attack) / decayTime);
    if (t > hold)
        level *= std::max(0.0, 1 - (t - hold) / release);
    return level;
}

class Noise {
public:
    explicit Noise(std::uint32_t seed) : state(seed ? seed : 1) {}
    double next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state / 2147483648.0 - 1.0;
    }

private:
    std::uint32_t state;
};

// Audio-cookbook biquad; cheap enough to retune every sample for sweeps.
class Biquad {
public:
    enum Kind { lowPass, highPass, bandPass };

    Biquad() = default;
    // Direct form with the coefficients given, a0 = 1.
    Biquad(double b0, double b1, double b2, double a1, double a2) : b0(b0), b1(b1), b2(b2), a1(a1), a2(a2) {}

    void tune(Kind kind, double hz, double q)
    {
        hz = std::clamp(hz, 10.0, 0.45 * rate);
        double w = twoPi * hz / rate;
        double alpha = std::sin(w) / (2 * q);
        double c = std::cos(w);
        double a0 = 1 + alpha;
        switch (kind) {
        case lowPass:
            b0 = (1 - c) / 2;
            b1 = 1 - c;
            b2 = (1 - c) / 2;
            break;
        case highPass:
            b0 = (1 + c) / 2;
            b1 = -(1 + c);
            b2 = (1 + c) / 2;
            break;
        case bandPass:
            b0 = alpha;
            b1 = 0;
            b2 = -alpha;
            break;
        }
        b0 /= a0;
        b1 /= a0;
        b2 /= a0;
        a1 = -2 * c / a0;
        a2 = (1 - alpha) / a0;
    }

    double run(double x)
    {
        double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

private:
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

class OnePole {
public:
    double lowPass(double x, double hz)
    {
        double k = 1 - std::exp(-twoPi * std::min(hz, 0.45 * rate) / rate);
        y += k * (x - y);
        return y;
    }

private:
    double y = 0;
};

double polyBlep(double phase, double step)
{
    if (phase < step) {
        double t = phase / step;
        return t + t - t * t - 1;
    }
    if (phase > 1 - step) {
        double t = (phase - 1) / step;
        return t * t + t + t + 1;
    }
    return 0;
}

// A band-limited sawtooth that follows a changing pitch.
class Saw {
public:
    double next(double hz)
    {
        double step = hz / rate;
        double value = 2 * phase - 1 - polyBlep(phase, step);
        phase += step;
        phase -= std::floor(phase);
        return value;
    }

private:
    double phase = 0;
};

class Sine {
public:
    explicit Sine(double startPhase = 0) : phase(startPhase) {}
    double next(double hz, double phaseOffset = 0)
    {
        double value = std::sin(twoPi * phase + phaseOffset);
        phase += hz / rate;
        phase -= std::floor(phase);
        return value;
    }

private:
    double phase;
};

// Mono Schroeder room: four damped combs into two all-passes.
class Reverb {
public:
    Reverb(double size, double feedback, double damping) : feedback(feedback), damping(damping)
    {
        const int combLengths[4] = {557, 593, 641, 677};
        const int allPassLengths[2] = {223, 337};
        for (int i = 0; i < 4; i++)
            combs[i].line.assign(static_cast<size_t>(combLengths[i] * size), 0.0f);
        for (int i = 0; i < 2; i++)
            allPasses[i].line.assign(static_cast<size_t>(allPassLengths[i] * size), 0.0f);
    }

    double run(double x)
    {
        double sum = 0;
        for (Line& comb : combs) {
            double out = comb.line[comb.pos];
            comb.filter = out * (1 - damping) + comb.filter * damping;
            comb.line[comb.pos] = static_cast<float>(x + comb.filter * feedback);
            comb.pos = (comb.pos + 1) % comb.line.size();
            sum += out;
        }
        double y = sum * 0.25;
        for (Line& pass : allPasses) {
            double delayed = pass.line[pass.pos];
            pass.line[pass.pos] = static_cast<float>(y + delayed * 0.5);
            pass.pos = (pass.pos + 1) % pass.line.size();
            y = delayed - y * 0.5;
        }
        return y;
    }

private:
    struct Line {
        std::vector<float> line;
        size_t pos = 0;
        double filter = 0;
    };
    Line combs[4];
    Line allPasses[2];
    double feedback;
    double damping;
};

// The gain for sample `i` of a layer: its last few milliseconds fade out, so
// a layer cut short never ends in a click.
double layerGain(size_t i, size_t size, double gain)
{
    size_t taper = std::min(size / 4, samples(0.02));
    size_t left = size - 1 - i;
    if (left >= taper)
        return gain;
    return gain * 0.5 * (1 - std::cos(pi * left / taper));
}

void mix(Wave& out, const Wave& in, double atSeconds, double gain = 1)
{
    size_t start = samples(atSeconds);
    if (start + in.size() > out.size())
        out.resize(start + in.size(), 0.0f);
    for (size_t i = 0; i < in.size(); i++)
        out[start + i] += static_cast<float>(in[i] * layerGain(i, in.size(), gain));
}

// Adds `in` into a loop, its tail wrapping round to the loop's start.
void mixLooped(Wave& loop, const Wave& in, size_t start, double gain)
{
    for (size_t i = 0; i < in.size(); i++)
        loop[(start + i) % loop.size()] += static_cast<float>(in[i] * layerGain(i, in.size(), gain));
}

Wave withReverb(const Wave& dry, double size, double feedback, double damping, double wet)
{
    Reverb room(size, feedback, damping);
    Wave out(dry.size());
    for (size_t i = 0; i < dry.size(); i++)
        out[i] = static_cast<float>(dry[i] + wet * room.run(dry[i]));
    return out;
}

// Reverb over a loop as it sounds when repeated: the tail of the end rings
// into the start.
Wave withLoopedReverb(const Wave& dry, double size, double feedback, double damping, double wet)
{
    Reverb room(size, feedback, damping);
    Wave out(dry.size());
    for (int pass = 0; pass < 3; pass++)
        for (size_t i = 0; i < dry.size(); i++)
            out[i] = static_cast<float>(dry[i] + wet * room.run(dry[i]));
    return out;
}

// ---- Levels ----
// Sounds are levelled by loudness as a listener hears it (K-weighted and
// gated over 400 ms blocks, as broadcast meters measure it), not by their
// peaks, so a short crack and a long chord sit together. The music stays
// 8 LU under the effects, and no sound's true peak, between the samples
// too, comes within 1.5 dB of full scale.

constexpr double effectLoudness = -16;    // LUFS
constexpr double musicLoudness = -24;     // LUFS
constexpr double truePeakCeiling = -1.5;  // dBTP

// The K-weighting curve at our sample rate: a high shelf for the head's
// effect, then a high pass below the range that counts.
Wave kWeighted(const Wave& wave)
{
    double k = std::tan(pi * 1681.974450955533 / rate), q = 0.7071752369554196;
    double vh = std::pow(10.0, 3.999843853973347 / 20), vb = std::pow(vh, 0.4996667741545416);
    double a0 = 1 + k / q + k * k;
    Biquad shelf{(vh + vb * k / q + k * k) / a0, 2 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
        2 * (k * k - 1) / a0, (1 - k / q + k * k) / a0};
    k = std::tan(pi * 38.13547087602444 / rate);
    q = 0.5003270373238773;
    a0 = 1 + k / q + k * k;
    Biquad highPass{1, -2, 1, 2 * (k * k - 1) / a0, (1 - k / q + k * k) / a0};
    Wave out(wave.size());
    for (size_t i = 0; i < wave.size(); i++)
        out[i] = static_cast<float>(highPass.run(shelf.run(wave[i])));
    return out;
}

// Integrated loudness in LUFS. A sound shorter than one block is measured as
// one block with silence after it.
double loudness(const Wave& wave)
{
    Wave weighted = kWeighted(wave);
    size_t block = samples(0.4), hop = samples(0.1);
    weighted.resize(std::max(weighted.size(), block), 0.0f);
    std::vector<double> powers;
    for (size_t start = 0; start + block <= weighted.size(); start += hop) {
        double sum = 0;
        for (size_t i = start; i < start + block; i++)
            sum += static_cast<double>(weighted[i]) * weighted[i];
        powers.push_back(sum / block);
    }
    auto lufs = [](double power) { return -0.691 + 10 * std::log10(power); };
    auto gatedMean = [&](double gate) {
        double sum = 0;
        int count = 0;
        for (double p : powers)
            if (p > 0 && lufs(p) > gate) {
                sum += p;
                count++;
            }
        return count > 0 ? sum / count : 0.0;
    };
    double ungated = gatedMean(-70);
    if (ungated <= 0)
        return -70;
    double gated = gatedMean(lufs(ungated) - 10);
    return lufs(gated);
}

// The highest level between the samples as well as at them: four times
// oversampled through a windowed sinc.
double truePeakDb(const Wave& wave)
{
    constexpr int factor = 4, taps = 24;
    double peak = 0;
    for (size_t i = 0; i < wave.size(); i++) {
        for (int phase = 0; phase < factor; phase++) {
            double sum = 0;
            for (int k = -taps + 1; k <= taps; k++) {
                long at = static_cast<long>(i) + k;
                if (at < 0 || at >= static_cast<long>(wave.size()))
                    continue;
                double x = k - static_cast<double>(phase) / factor;
                double sinc = x == 0 ? 1 : std::sin(pi * x) / (pi * x);
                double window = 0.5 + 0.5 * std::cos(pi * x / (taps + 1));
                sum += wave[at] * sinc * window;
            }
            peak = std::max(peak, std::fabs(sum));
        }
    }
    return peak > 0 ? 20 * std::log10(peak) : -200;
}

void scale(Wave& wave, double db)
{
    double gain = std::pow(10.0, db / 20);
    for (float& s : wave)
        s = static_cast<float>(s * gain);
}

// Holds the sound's sample peaks under `db` with a gain that dips ahead of
// each peak and recovers over about 50 ms, so a sharp transient is tamed
// without the crackle of clipping.
void limit(Wave& wave, double db)
{
    double ceiling = std::pow(10.0, db / 20);
    std::vector<double> gain(wave.size(), 1.0);
    for (size_t i = 0; i < wave.size(); i++)
        if (std::fabs(wave[i]) > ceiling)
            gain[i] = ceiling / std::fabs(wave[i]);
    double release = 1 - std::exp(-1.0 / (0.05 * rate)), attack = 1 - std::exp(-1.0 / (0.002 * rate));
    for (size_t i = 1; i < gain.size(); i++)
        gain[i] = std::min(gain[i], gain[i - 1] + (1 - gain[i - 1]) * release);
    for (size_t i = gain.size() - 1; i-- > 0;)
        gain[i] = std::min(gain[i], gain[i + 1] + (1 - gain[i + 1]) * attack);
    for (size_t i = 0; i < wave.size(); i++)
        wave[i] = static_cast<float>(wave[i] * gain[i]);
}

// Brings the sound to the loudness given. Peaks that would pass the ceiling
// there are limited; a sound that would need more than a few dB of that is
// left quieter instead.
void levelTo(Wave& wave, double lufs)
{
    constexpr double mostLimiting = 4;
    scale(wave, lufs - loudness(wave));
    double over = truePeakDb(wave) - truePeakCeiling;
    if (over > mostLimiting)
        scale(wave, mostLimiting - over);
    double kept = loudness(wave);
    for (int pass = 0; pass < 6 && truePeakDb(wave) > truePeakCeiling; pass++) {
        limit(wave, truePeakCeiling - 0.2);
        scale(wave, kept - loudness(wave));
    }
    over = truePeakDb(wave) - truePeakCeiling;
    if (over > 0)
        scale(wave, -over);
}

// Fades the very ends so no sound starts or stops with a click, then levels
// it as an effect.
void master(Wave& wave, double fadeOutSeconds = 0.02)
{
    size_t fadeIn = samples(0.0005);
    size_t fadeOut = std::min(wave.size(), samples(fadeOutSeconds));
    for (size_t i = 0; i < wave.size(); i++) {
        double g = 1;
        if (i < fadeIn)
            g *= static_cast<double>(i) / fadeIn;
        size_t left = wave.size() - 1 - i;
        if (left < fadeOut)
            g *= static_cast<double>(left) / fadeOut;
        wave[i] = static_cast<float>(wave[i] * g);
    }
    levelTo(wave, effectLoudness);
}

// ---- Voices ----

// Brass: FM whose brightness follows the loudness, over a filtered saw.
Wave brass(double hz, double hold, double brightness = 1)
{
    double release = 0.15;
    Wave w(samples(hold + release));
    Sine carrier, modulator;
    Saw saw;
    OnePole tone;
    for (size_t i = 0; i < w.size(); i++) {
        double t = static_cast<double>(i) / rate;
        double env = adsr(t, hold, 0.03, 0.2, 0.7, release);
        double vibrato = 1 + 0.005 * std::sin(twoPi * 5.5 * t) * std::min(1.0, t / 0.4);
        double f = hz * vibrato;
        double index = (0.6 + 3.0 * env) * brightness;
        double fm = carrier.next(f, index * modulator.next(f));
        double body = tone.lowPass(saw.next(f), f * (1.5 + 5 * env * brightness));
        w[i] = static_cast<float>(env * (0.6 * fm + 0.5 * body));
    }
    return w;
}

Wave bell(double hz, double length, double ratio = 3.5)
{
    Wave w(samples(length));
    Sine carrier, modulator;
    for (size_t i = 0; i < w.size(); i++) {
        double t = static_cast<double>(i) / rate;
        // High bells get a gentler index so their sidebands stay below Nyquist.
        double index = (0.4 + 3.5 * decay(t, 0.25)) * std::min(1.0, 600 / hz);
        double env = std::min(1.0, t / 0.002) * decay(t, length / 4);
        w[i] = static_cast<float>(env * carrier.next(hz, index * modulator.next(hz * ratio)));
    }
    return w;
}

Wave pluck(double hz, double length, double brightness)
{
    Wave w(samples(length));
    Saw a, b;
    Biquad filter;
    for (size_t i = 0; i < w.size(); i++) {
        double t = static_cast<double>(i) / rate;
        filter.tune(Biquad::lowPass, 300 + brightness * decay(t, 0.07), 1.2);
        double env = std::min(1.0, t / 0.003) * decay(t, 0.18);
        w[i] = static_cast<float>(env * filter.run(0.5 * (a.next(hz) + b.next(hz * 1.004))));
    }
    return w;
}

Wave pad(const std::vector<double>& notes, double hold)
{
    double release = 0.5;
    Wave w(samples(hold + release));
    std::vector<Saw> saws(notes.size() * 3);
    Biquad filter;
    filter.tune(Biquad::lowPass, 1300, 0.7);
    for (size_t i = 0; i < w.size(); i++) {
        double t = static_cast<double>(i) / rate;
        double env = adsr(t, hold, 0.25, 1.0, 0.8, release);
        double sum = 0;
        for (size_t n = 0; n < notes.size(); n++) {
            double hz = midiHz(notes[n]);
            sum += saws[3 * n].next(hz) + saws[3 * n + 1].next(hz * 1.003) + saws[3 * n + 2].next(hz * 0.9975);
        }
        w[i] = static_cast<float>(env * filter.run(sum / (3.0 * notes.size())));
    }
    return w;
}

Wave bass(double hz, double hold)
{
    double release = 0.04;
    Wave w(samples(hold + release));
    Saw saw;
    Sine sub;
    Biquad filter;
    for (size_t i = 0; i < w.size(); i++) {
        double t = static_cast<double>(i) / rate;
        double env = adsr(t, hold, 0.004, 0.12, 0.6, release);
        filter.tune(Biquad::lowPass, 180 + 1400 * decay(t, 0.05), 1.4);
        w[i] = static_cast<float>(env * (0.6 * filter.run(saw.next(hz)) + 0.6 * sub.next(hz)));
    }
    return w;
}

// A drum's skin: a sine whose pitch drops from `startHz` to `endHz`.
Wave drop(double startHz, double endHz, double sweep, double length, double tau)
{
    Wave w(samples(length));
    Sine skin;
    for (size_t i = 0; i < w.size(); i++) {
        double t = static_cast<double>(i) / rate;
        double hz = endHz + (startHz - endHz) * decay(t, sweep);
        w[i] = static_cast<float>(std::min(1.0, t / 0.001) * decay(t, tau) * skin.next(hz));
    }
    return w;
}

Wave noiseBurst(Noise& noise, Biquad::Kind kind, double hz, double q, double length, double tau)
{
    Wave w(samples(length));
    Biquad filter;
    filter.tune(kind, hz, q);
    for (size_t i = 0; i < w.size(); i++) {
        double t = static_cast<double>(i) / rate;
        w[i] = static_cast<float>(std::min(1.0, t / 0.0015) * decay(t, tau) * filter.run(noise.next()));
    }
    return w;
}

Wave kick(Noise& noise)
{
    Wave w = drop(150, 48, 0.035, 0.4, 0.22);
    mix(w, noiseBurst(noise, Biquad::lowPass, 3000, 0.7, 0.02, 0.004), 0, 0.3);
    return w;
}

Wave snare(Noise& noise)
{
    Wave w = drop(240, 180, 0.02, 0.25, 0.06);
    for (float& s : w)
        s *= 0.6f;
    mix(w, noiseBurst(noise, Biquad::bandPass, 2200, 0.6, 0.3, 0.09), 0, 1.6);
    return w;
}

Wave hat(Noise& noise, double tau)
{
    return noiseBurst(noise, Biquad::highPass, 7000, 0.8, tau * 5, tau);
}

Wave cymbal(Noise& noise, double length)
{
    Wave w = noiseBurst(noise, Biquad::highPass, 4500, 0.6, length, length / 4);
    Wave ring(samples(length));
    Sine a, b;
    for (size_t i = 0; i < ring.size(); i++) {
        double t = static_cast<double>(i) / rate;
        ring[i] = static_cast<float>(decay(t, length / 5) * a.next(3170, 4 * b.next(4410)));
    }
    mix(w, ring, 0, 0.25);
    return w;
}

Wave timpani(Noise& noise, double hz, double length)
{
    Wave w(samples(length));
    Sine f0, f1, f2;
    for (size_t i = 0; i < w.size(); i++) {
        double t = static_cast<double>(i) / rate;
        double bend = 1 + 0.04 * decay(t, 0.05);
        double tone = f0.next(hz * bend) + 0.5 * f1.next(hz * 1.5 * bend) * decay(t, 0.2) +
            0.3 * f2.next(hz * 1.99 * bend) * decay(t, 0.12);
        w[i] = static_cast<float>(std::min(1.0, t / 0.002) * decay(t, length / 3) * tone);
    }
    mix(w, noiseBurst(noise, Biquad::lowPass, 900, 0.7, 0.08, 0.015), 0, 0.6);
    return w;
}

// Struck metal: inharmonic partials, the high ones dying first.
Wave clang(Noise& noise, double hz, double length, double brightness)
{
    const double ratios[] = {1.0, 2.32, 3.87, 5.14, 6.93, 8.41};
    const double levels[] = {1.0, 0.8, 0.6, 0.45, 0.3, 0.2};
    Wave w(samples(length));
    for (int p = 0; p < 6; p++) {
        double f = hz * ratios[p];
        if (f > 0.42 * rate)
            continue;
        Sine partial(0.1 * p);
        double tau = length / (2.5 + p * 1.2);
        for (size_t i = 0; i < w.size(); i++) {
            double t = static_cast<double>(i) / rate;
            double shimmer = 1 + 0.002 * std::sin(twoPi * (3 + p) * t);
            w[i] += static_cast<float>(levels[p] * decay(t, tau) * partial.next(f * shimmer));
        }
    }
    mix(w, noiseBurst(noise, Biquad::highPass, 2500, 0.7, 0.05, 0.008), 0, 2.5 * brightness);
    return w;
}

// Air pushed aside: band-passed noise whose centre and loudness follow the swing.
Wave whoosh(Noise& noise, double length, double lowHz, double highHz, double q)
{
    Wave w(samples(length));
    Biquad filter;
    for (size_t i = 0; i < w.size(); i++) {
        double x = static_cast<double>(i) / w.size();
        double arc = std::sin(pi * x);
        filter.tune(Biquad::bandPass, lowHz + (highHz - lowHz) * arc * arc, q);
        double env = std::pow(arc, 1.5) * (1 - 0.3 * x);
        w[i] = static_cast<float>(env * filter.run(noise.next()));
    }
    return w;
}

Wave thud(Noise& noise, double startHz, double endHz, double length)
{
    Wave w = drop(startHz, endHz, 0.03, length, length / 3.5);
    mix(w, drop(startHz * 2.2, startHz * 1.6, 0.02, 0.12, 0.03), 0, 0.35);
    mix(w, noiseBurst(noise, Biquad::lowPass, 1100, 0.8, 0.12, 0.025), 0, 0.9);
    return w;
}

// ---- The game's sounds ----

Wave makeClick()
{
    // Rings a little longer than a bare tick, so it carries over the music.
    Wave w(samples(0.12));
    Sine a, b;
    Noise noise(11);
    for (size_t i = 0; i < w.size(); i++) {
        double t = static_cast<double>(i) / rate;
        w[i] = static_cast<float>(
            decay(t, 0.03) * (a.next(1900) + 0.5 * b.next(3150)) + decay(t, 0.0015) * 0.6 * noise.next());
    }
    master(w, 0.01);
    return w;
}

Wave makeClose()
{
    Noise noise(23);
    Wave w = drop(95, 38, 0.06, 0.9, 0.22);
    mix(w, drop(190, 120, 0.03, 0.3, 0.06), 0, 0.45);
    mix(w, noiseBurst(noise, Biquad::lowPass, 600, 0.9, 0.4, 0.07), 0, 1.4);
    // The latch catching just after the slam.
    mix(w, noiseBurst(noise, Biquad::bandPass, 1200, 1.0, 0.1, 0.02), 0, 0.8);
    mix(w, clang(noise, 1480, 0.15, 0.4), 0.11, 0.08);
    mix(w, noiseBurst(noise, Biquad::bandPass, 3500, 2.0, 0.03, 0.004), 0.105, 0.5);
    w.resize(samples(0.9));
    w = withReverb(w, 1.3, 0.82, 0.35, 0.45);
    master(w, 0.15);
    return w;
}

Wave makeSelectCharacter()
{
    Noise noise(31);
    Wave w(samples(0.95));
    Biquad filter;
    for (size_t i = 0; i < samples(0.35); i++) {
        double x = static_cast<double>(i) / samples(0.35);
        filter.tune(Biquad::bandPass, 500 * std::pow(10.0, x), 3);
        w[i] = static_cast<float>(std::sin(pi * x) * filter.run(noise.next()) * 0.9);
    }
    mix(w, bell(midiHz(81), 0.6), 0.24, 0.35);
    mix(w, bell(midiHz(88), 0.55), 0.36, 0.3);
    mix(w, brass(midiHz(69), 0.2, 0.7), 0.24, 0.25);
    w.resize(samples(0.95));
    w = withReverb(w, 1.0, 0.78, 0.3, 0.35);
    master(w, 0.15);
    return w;
}

Wave makeStartup()
{
    Noise noise(41);
    Wave w(samples(2.2));
    const double run[] = {57, 62, 65, 69};  // A3 D4 F4 A4, up into the chord
    for (int i = 0; i < 4; i++)
        mix(w, brass(midiHz(run[i]), 0.09, 0.9), 0.11 * i, 0.45);
    const double chord[] = {50, 57, 62, 66, 69};  // D major, bright at the end
    for (double note : chord)
        mix(w, brass(midiHz(note), 1.15, 1.0), 0.46, 0.3);
    mix(w, timpani(noise, midiHz(38), 1.2), 0.46, 0.7);
    mix(w, timpani(noise, midiHz(33), 0.5), 0.33, 0.35);
    mix(w, cymbal(noise, 1.5), 0.46, 0.3);
    mix(w, bell(midiHz(86), 0.9), 0.5, 0.12);
    mix(w, bell(midiHz(90), 0.8), 0.62, 0.1);
    mix(w, bell(midiHz(93), 0.7), 0.74, 0.08);
    w.resize(samples(2.2));
    w = withReverb(w, 1.4, 0.8, 0.3, 0.4);
    master(w, 0.3);
    return w;
}

Wave makeJackAttack()
{
    Noise noise(53);
    Wave w = whoosh(noise, 0.32, 700, 4200, 2.2);
    mix(w, whoosh(noise, 0.26, 1200, 6000, 3.0), 0.03, 0.6);
    w = withReverb(w, 0.6, 0.6, 0.4, 0.15);
    master(w, 0.03);
    return w;
}

Wave makeDarthAttack()
{
    Noise noise(59);
    double length = 0.7;
    Wave w(samples(length));
    Saw hum;
    Sine body, beat, crackle;
    Biquad tone;
    for (size_t i = 0; i < w.size(); i++) {
        double t = static_cast<double>(i) / rate;
        double x = t / length;
        double arc = std::sin(pi * x);
        // The blade passing by: pitch and brightness rise and fall with the swing.
        double pitch = 1 + 0.35 * arc * arc;
        double f = 92 * pitch;
        tone.tune(Biquad::lowPass, 400 + 2600 * arc * arc, 1.8);
        double buzz = tone.run(hum.next(f) + 0.6 * hum.next(f * 1.02));
        double core = body.next(f * 2, 0.8 * crackle.next(f * 0.5)) + 0.5 * beat.next(f * 2.03);
        double env = 0.35 + 0.65 * std::pow(arc, 1.2);
        w[i] = static_cast<float>(env * (0.7 * buzz + 0.45 * core));
    }
    mix(w, whoosh(noise, length, 500, 2500, 2.0), 0, 0.7);
    master(w, 0.05);
    return w;
}

Wave makeBlock(std::uint32_t seed, double hz, double length, double crackleLevel)
{
    Noise noise(seed);
    Wave w = clang(noise, hz, length, 1.0);
    mix(w, clang(noise, hz * 1.013, length * 0.8, 0.3), 0.004, 0.6);
    if (crackleLevel > 0) {
        // Blade against blade: a burst of electric sputter.
        Wave sputter(samples(0.35));
        Biquad filter;
        filter.tune(Biquad::bandPass, 1800, 0.9);
        double gate = 0;
        for (size_t i = 0; i < sputter.size(); i++) {
            double t = static_cast<double>(i) / rate;
            if (i % 90 == 0)
                gate = noise.next() > 0.1 ? 1.0 : 0.15;
            sputter[i] = static_cast<float>(gate * decay(t, 0.09) * filter.run(noise.next()));
        }
        mix(w, sputter, 0, crackleLevel);
    }
    w.resize(samples(length));
    w = withReverb(w, 0.9, 0.72, 0.3, 0.3);
    master(w, 0.1);
    return w;
}

Wave makeHit(std::uint32_t seed, double startHz, double endHz, double length, double armour)
{
    Noise noise(seed);
    Wave w = thud(noise, startHz, endHz, length);
    if (armour > 0)
        mix(w, clang(noise, 410, 0.3, 0.2), 0.005, armour);
    w.resize(samples(length));
    w = withReverb(w, 0.7, 0.6, 0.5, 0.12);
    master(w, 0.06);
    return w;
}

Wave makeJackWin()
{
    Noise noise(71);
    Wave w(samples(3.0));
    // A quick triple call, a leap, and a held major chord.
    const double call[] = {67, 67, 67};
    for (int i = 0; i < 3; i++)
        mix(w, brass(midiHz(call[i]), 0.07, 0.9), 0.12 * i, 0.5);
    mix(w, brass(midiHz(72), 0.3, 1.0), 0.36, 0.5);
    mix(w, brass(midiHz(76), 0.12, 1.0), 0.72, 0.45);
    mix(w, brass(midiHz(79), 0.12, 1.0), 0.86, 0.45);
    const double chord[] = {60, 64, 67, 72, 76};
    for (double note : chord)
        mix(w, brass(midiHz(note), 1.2, 1.0), 1.02, 0.28);
    mix(w, pad({48, 55, 60}, 1.4), 1.02, 0.3);
    for (int i = 0; i < 6; i++)
        mix(w, snare(noise), 0.72 + 0.05 * i, 0.08 + 0.03 * i);
    mix(w, cymbal(noise, 1.8), 1.02, 0.35);
    mix(w, timpani(noise, midiHz(36), 1.3), 1.02, 0.6);
    mix(w, bell(midiHz(84), 0.9), 1.05, 0.1);
    mix(w, bell(midiHz(91), 0.8), 1.2, 0.08);
    w.resize(samples(3.0));
    w = withReverb(w, 1.4, 0.8, 0.3, 0.38);
    master(w, 0.35);
    return w;
}

Wave makeDarthWin()
{
    Noise noise(73);
    Wave w(samples(3.4));
    // Heavy fifths walking down, then a wide minor chord over a low drone.
    for (int i = 0; i < 8; i++)
        mix(w, timpani(noise, midiHz(38), 0.3), 0.04 * i, 0.15 + 0.04 * i);
    const double roots[] = {50, 48, 46};
    const double starts[] = {0.35, 0.85, 1.1};
    const double holds[] = {0.42, 0.2, 0.2};
    for (int i = 0; i < 3; i++) {
        mix(w, brass(midiHz(roots[i] - 12), holds[i], 0.8), starts[i], 0.45);
        mix(w, brass(midiHz(roots[i] - 5), holds[i], 0.8), starts[i], 0.35);
        mix(w, brass(midiHz(roots[i]), holds[i], 0.8), starts[i], 0.3);
    }
    const double chord[] = {38, 45, 50, 53, 57, 62};
    for (double note : chord)
        mix(w, brass(midiHz(note), 1.5, 0.75), 1.4, 0.22);
    mix(w, pad({50, 53, 57, 62}, 1.6), 1.3, 0.45);
    mix(w, timpani(noise, midiHz(26), 1.8), 1.4, 0.9);
    mix(w, cymbal(noise, 2.0), 1.4, 0.22);
    // The blade's hum swelling under the chord.
    Wave hum(samples(1.9));
    Saw saw;
    OnePole tone;
    for (size_t i = 0; i < hum.size(); i++) {
        double t = static_cast<double>(i) / rate;
        double env = std::min(1.0, t / 0.4) * decay(t, 0.9);
        hum[i] = static_cast<float>(env * tone.lowPass(saw.next(73.4 * (1 + 0.004 * std::sin(twoPi * 4 * t))), 600));
    }
    mix(w, hum, 1.4, 0.5);
    w.resize(samples(3.4));
    w = withReverb(w, 1.5, 0.82, 0.3, 0.4);
    master(w, 0.4);
    return w;
}

// Falling off the arena: a long fall that recedes, then a distant landing.
Wave makeJackRingout()
{
    Noise noise(83);
    double fall = 1.9;
    Wave w(samples(2.6));
    Sine whistle, overtone;
    Biquad wind;
    for (size_t i = 0; i < samples(fall); i++) {
        double t = static_cast<double>(i) / rate;
        double x = t / fall;
        double hz = 1500 * std::pow(220.0 / 1500, x) * (1 + 0.012 * std::sin(twoPi * 6 * t));
        double env = std::min(1.0, t / 0.05) * (1 - 0.7 * x) * std::min(1.0, (fall - t) / 0.05);
        wind.tune(Biquad::bandPass, 2500 * std::pow(0.25, x), 1.5);
        w[i] = static_cast<float>(
            env * (0.7 * whistle.next(hz) + 0.15 * overtone.next(hz * 2) + 0.5 * wind.run(noise.next())));
    }
    mix(w, thud(noise, 110, 42, 0.6), fall, 0.45);
    mix(w, noiseBurst(noise, Biquad::lowPass, 1500, 0.7, 0.4, 0.1), fall, 0.2);
    w.resize(samples(2.6));
    w = withReverb(w, 1.6, 0.84, 0.45, 0.45);
    master(w, 0.2);
    return w;
}

Wave makeDarthRingout()
{
    Noise noise(89);
    double fall = 2.0;
    Wave w(samples(2.7));
    Saw hum;
    Sine core;
    OnePole tone;
    Biquad wind;
    for (size_t i = 0; i < samples(fall); i++) {
        double t = static_cast<double>(i) / rate;
        double x = t / fall;
        double hz = 180 * std::pow(45.0 / 180, x);
        double env = std::min(1.0, t / 0.05) * (1 - 0.75 * x) * std::min(1.0, (fall - t) / 0.05);
        wind.tune(Biquad::bandPass, 1600 * std::pow(0.3, x), 1.2);
        double blade = tone.lowPass(hum.next(hz) + 0.5 * hum.next(hz * 1.5), 300 + 1500 * (1 - x));
        w[i] = static_cast<float>(env * (0.6 * blade + 0.3 * core.next(hz * 2) + 0.6 * wind.run(noise.next())));
    }
    mix(w, thud(noise, 85, 34, 0.7), fall, 0.55);
    mix(w, clang(noise, 380, 0.5, 0.3), fall + 0.02, 0.08);
    w.resize(samples(2.7));
    w = withReverb(w, 1.6, 0.84, 0.45, 0.45);
    master(w, 0.2);
    return w;
}

// Bout music: 16 bars in D minor at 120 beats a minute. Every note that rings
// past the end wraps into the start, so the loop has no seam.
Wave makeBackground()
{
    constexpr double beat = 0.5;
    constexpr int bars = 16;
    const size_t beatSamples = samples(beat);
    const size_t length = beatSamples * 4 * bars;
    Noise noise(97);
    Wave drums(length), music(length), echoes(length);

    struct Chord {
        double root;
        std::vector<double> voicing;
        std::vector<double> arpeggio;
    };
    const Chord progression[4] = {
        {38, {50, 53, 57, 62}, {62, 65, 69, 74}},  // D minor
        {34, {50, 53, 58, 62}, {62, 65, 70, 74}},  // B flat
        {36, {52, 55, 60, 64}, {60, 64, 67, 72}},  // C
        {33, {49, 52, 57, 61}, {61, 64, 69, 73}},  // A
    };
    const int bassPattern[8] = {0, 0, 12, 0, 7, 0, 12, 10};
    const int arpPattern[8] = {0, 1, 2, 3, 2, 1, 3, 2};

    for (int bar = 0; bar < bars; bar++) {
        const Chord& chord = progression[bar % 4];
        size_t barStart = beatSamples * 4 * bar;
        bool fill = bar == bars - 1;

        mixLooped(music, pad(chord.voicing, 4 * beat - 0.1), barStart, 0.55);
        for (int step = 0; step < 8; step++) {
            size_t at = barStart + step * beatSamples / 2;
            mixLooped(music, bass(midiHz(chord.root + bassPattern[step]), beat / 2 - 0.04), at, 0.5);
        }

        // Drums: kick on 1, the and of 2 and 3; snare from the fifth bar.
        const int kicks[] = {0, 3, 4};
        for (int k : kicks)
            mixLooped(drums, kick(noise), barStart + k * beatSamples / 2, 1.0);
        for (int step = 0; step < 8; step++)
            mixLooped(
                drums, hat(noise, step % 2 ? 0.05 : 0.025), barStart + step * beatSamples / 2, step % 2 ? 0.22 : 0.14);
        if (bar >= 4) {
            mixLooped(drums, snare(noise), barStart + beatSamples, 0.5);
            mixLooped(drums, snare(noise), barStart + 3 * beatSamples, 0.5);
        }
        if (fill) {
            for (int step = 0; step < 8; step++)
                mixLooped(drums, snare(noise), barStart + 3 * beatSamples + step * beatSamples / 8, 0.15 + 0.04 * step);
        }
        if (bar % 8 == 0)
            mixLooped(drums, cymbal(noise, 1.6), barStart, 0.35);

        // A plucked arpeggio in the second half, with a dotted-eighth echo.
        if (bar >= 8) {
            for (int step = 0; step < 16; step++) {
                double note = chord.arpeggio[arpPattern[step % 8]] + (step >= 8 && bar % 2 ? 12 : 0);
                Wave p = pluck(midiHz(note), 0.45, 2500 + 300 * (bar - 8));
                size_t at = barStart + step * beatSamples / 4;
                mixLooped(music, p, at, 0.22);
                mixLooped(echoes, p, at + 3 * beatSamples / 4, 0.09);
                mixLooped(echoes, p, at + 6 * beatSamples / 4, 0.04);
            }
        }
        // A low brass call on the first beat of every fourth bar.
        if (bar % 4 == 0 && bar > 0)
            mixLooped(music, brass(midiHz(chord.root + 12), 1.2, 0.6), barStart, 0.2);
    }

    for (size_t i = 0; i < length; i++)
        music[i] += echoes[i];
    Wave wet = withLoopedReverb(music, 1.3, 0.8, 0.4, 0.35);
    Wave mixDown(length);
    for (size_t i = 0; i < length; i++) {
        double x = wet[i] + 0.9 * drums[i];
        mixDown[i] = static_cast<float>(std::tanh(1.2 * x));
    }
    levelTo(mixDown, musicLoudness);
    return mixDown;
}

void put16(std::string& out, int value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void put32(std::string& out, std::uint32_t value)
{
    put16(out, static_cast<int>(value & 0xFFFF));
    put16(out, static_cast<int>(value >> 16));
}

bool writeWav(const std::string& path, const Wave& wave)
{
    std::string bytes = "RIFF";
    std::uint32_t dataBytes = static_cast<std::uint32_t>(wave.size() * 2);
    put32(bytes, 36 + dataBytes);
    bytes += "WAVEfmt ";
    put32(bytes, 16);
    put16(bytes, 1);
    put16(bytes, 1);
    put32(bytes, rate);
    put32(bytes, rate * 2);
    put16(bytes, 2);
    put16(bytes, 16);
    bytes += "data";
    put32(bytes, dataBytes);
    for (float s : wave) {
        long v = std::lround(std::clamp(static_cast<double>(s), -1.0, 1.0) * 32767);
        put16(bytes, static_cast<int>(v));
    }
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string folder = argc > 1 ? argv[1] : "sounds";
    struct Made {
        const char* name;
        Wave (*make)();
    };
    const Made sounds[] = {
        {"selectcharacter", makeSelectCharacter},
        {"startup", makeStartup},
        {"close", makeClose},
        {"click", makeClick},
        {"background", makeBackground},
        {"jack-attack", makeJackAttack},
        {"jack-block", [] { return makeBlock(61, 1180, 0.6, 0); }},
        {"jack-win", makeJackWin},
        {"jack-hit", [] { return makeHit(67, 150, 55, 0.4, 0); }},
        {"jack-ringout", makeJackRingout},
        {"darth-attack", makeDarthAttack},
        {"darth-block", [] { return makeBlock(63, 640, 0.75, 0.5); }},
        {"darth-win", makeDarthWin},
        {"darth-hit", [] { return makeHit(69, 115, 40, 0.45, 0.12); }},
        {"darth-ringout", makeDarthRingout},
    };
    bool ok = true;
    for (const Made& sound : sounds)
        ok = writeWav(folder + "/" + sound.name + ".wav", sound.make()) && ok;
    return ok ? 0 : 1;
}
