#include "engine/band_conditions.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/audio_format.h"

namespace {

constexpr double kSampleRate = audio::kSampleRate;
// The bandwidth the signal-to-noise ratio is given in.
constexpr double kSnrBandwidthHz = 500.0;
// The AGC keeps this many standard deviations of noise and static within range.
constexpr double kNoisePeakDeviations = 3.0;
// A fall or rise of the fading lasts its mean length within +-25 %.
constexpr double kFadingHalfSpread = 0.25;
// A crash rises within 0.5 to 2 ms and dies away with a time constant of 3 to 20 ms, its peak
// between 30 % and all of the set level.
constexpr double kCrashMinAttackSeconds = 0.0005, kCrashMaxAttackSeconds = 0.002;
constexpr double kCrashMinDecaySeconds = 0.003, kCrashMaxDecaySeconds = 0.020;
constexpr double kCrashMinPeak = 0.3;
// Below this the crash has died away (-80 dB).
constexpr double kCrashSilent = 1e-4;
// The other stations' tones stay well inside the audio band.
constexpr double kLowestStationHz = 100.0;
constexpr double kHighestStationHz = 0.45 * kSampleRate;

double FromDb(double db) {
    return std::pow(10.0, db / 20.0);
}

double CrashMeanGap(int32_t perMinute) {
    const int32_t rate = std::clamp(perMinute, SignalConditions::kMinCrashesPerMinute,
                                    SignalConditions::kMaxCrashesPerMinute);
    return 60.0 * kSampleRate / rate;
}

}  // namespace

void BandConditions::Restart(const ConditionsRandom& random) {
    m_noiseRandom = random.Fork(1);
    m_crashRandom = random.Fork(2);
    m_fadingRandom = random.Fork(3);
    for (int i = 0; i < SignalConditions::kMaxStations; ++i)
        m_stations[i].Restart(random.Fork(4 + static_cast<uint64_t>(i)),
                              m_conditions.interferenceText);
    m_filter.Reset();
    m_untilCrash = m_crashRandom.Exponential(CrashMeanGap(m_conditions.crashesPerMinute));
    m_crashAttackLeft = 0;
    m_crashEnvelope = 0;
    m_fadingPhase = 0;
    m_fadingStep = 0;
    m_fadingGain = 1;
}

BandConditions::Levels BandConditions::ReadLevels(double toneHz) const {
    const SignalConditions& c = m_conditions;
    Levels l{};
    l.noise = c.noiseOn;
    l.crashes = c.staticOn;
    l.fading = c.fadingOn;
    l.interference = c.interferenceOn;

    // Noise and crashes are white at the filter's input; the filter has gain 1 at the tone.
    // One-sided density N0 of the noise, the wanted tone of amplitude 1 having power 1/2.
    const double width = std::clamp<int32_t>(c.passbandHz, SignalConditions::kMinPassbandHz,
                                             SignalConditions::kMaxPassbandHz);
    const double noiseBandwidth = width * BandPassFilter::kNoiseBandwidthRatio;
    double variance = 0;  // of noise and static after the filter
    if (l.noise) {
        const double snr =
            std::pow(10.0, std::clamp<int32_t>(c.noiseSnrDb, SignalConditions::kMinSnrDb,
                                               SignalConditions::kMaxSnrDb) /
                               10.0);
        const double density = 0.5 / (snr * kSnrBandwidthHz);
        // White noise of variance v has the density 2 v / fs; uniform noise in [-1, 1) has
        // variance 1/3.
        l.noiseScale = std::sqrt(3.0 * density * kSampleRate / 2.0);
        variance += density * noiseBandwidth;
    }
    if (l.crashes) {
        // At its loudest a crash is as strong in the passband as a tone of that amplitude.
        const double peak =
            FromDb(std::clamp<int32_t>(c.crashLevelDb, SignalConditions::kMinCrashLevelDb,
                                       SignalConditions::kMaxCrashLevelDb));
        const double power = peak * peak / 2.0;
        l.crashScale = std::sqrt(3.0 * power / noiseBandwidth * kSampleRate / 2.0);
        l.crashMeanGap = CrashMeanGap(c.crashesPerMinute);
        variance += power;
    }
    if (l.fading) {
        l.fadingDepthDb = std::clamp<int32_t>(c.fadingDepthDb, SignalConditions::kMinFadingDepthDb,
                                              SignalConditions::kMaxFadingDepthDb);
        l.fadingHalfSamples =
            std::clamp<int32_t>(c.fadingPeriodSeconds, SignalConditions::kMinFadingPeriodSeconds,
                                SignalConditions::kMaxFadingPeriodSeconds) *
            kSampleRate / 2.0;
    }
    double peak = 1.0 + kNoisePeakDeviations * std::sqrt(variance);
    if (l.interference) {
        l.stations = std::clamp<int32_t>(c.interferenceStations, 1, SignalConditions::kMaxStations);
        l.textKind = c.interferenceText;
        for (int i = 0; i < l.stations; ++i) {
            const InterferingStationParameters& s = c.stations[i];
            const double offset =
                std::clamp<int32_t>(s.offsetHz, InterferingStationParameters::kMinOffsetHz,
                                    InterferingStationParameters::kMaxOffsetHz);
            l.stationHz[i] = std::clamp(i == 0 ? toneHz + offset : toneHz - offset,
                                        kLowestStationHz, kHighestStationHz);
            l.stationAmplitude[i] =
                FromDb(std::clamp<int32_t>(s.levelDb, InterferingStationParameters::kMinLevelDb,
                                           InterferingStationParameters::kMaxLevelDb));
            l.stationSpeedCpm[i] = s.speedCpm;
            peak += l.stationAmplitude[i];
        }
    }
    l.mixGain = 1.0 / peak;
    return l;
}

void BandConditions::Process(int16_t* samples, int32_t n, double toneHz, double amplitude) {
    const Levels levels = ReadLevels(toneHz);
    const bool filtered = levels.noise || levels.crashes;
    const bool mixed = filtered || levels.interference;
    if (filtered) m_filter.Design(toneHz, m_conditions.passbandHz);
    if (!levels.fading) m_fadingGain = 1;

    const double mixScale = amplitude * levels.mixGain;
    for (int32_t start = 0; start < n; start += kBlock) {
        const int32_t len = std::min(kBlock, n - start);
        int16_t* s = samples + start;
        if (filtered)
            MakeNoise(levels, len);
        else if (mixed)
            std::fill_n(m_mix, len, 0.0);
        if (levels.interference) {
            for (int i = 0; i < levels.stations; ++i)
                m_stations[i].AddTo(m_mix, len, levels.stationHz[i], levels.stationAmplitude[i],
                                    levels.stationSpeedCpm[i], levels.textKind);
        }

        // The fading's gain moves linearly from sample to sample within the block.
        const double from = m_fadingGain;
        const double to = levels.fading ? AdvanceFading(levels, len) : 1.0;
        const double step = (to - from) / len;
        for (int32_t k = 0; k < len; ++k) {
            double v = s[k] * levels.mixGain * (from + step * k);
            if (mixed) v += mixScale * m_mix[k];
            v = std::clamp(v, -32768.0, 32767.0);
            s[k] = static_cast<int16_t>(v + (v >= 0 ? 0.5 : -0.5));
        }
    }
}

void BandConditions::MakeNoise(const Levels& levels, int32_t n) {
    if (levels.noise) {
        // A local generator, so that the writes to m_mix need not be taken as changing it.
        ConditionsRandom random = m_noiseRandom;
        for (int32_t k = 0; k < n; ++k) m_mix[k] = levels.noiseScale * random.Signed();
        m_noiseRandom = random;
    } else {
        std::fill_n(m_mix, n, 0.0);
    }
    if (levels.crashes) AddCrashes(levels, n);
    m_filter.Process(m_mix, static_cast<size_t>(n));
}

void BandConditions::AddCrashes(const Levels& levels, int32_t n) {
    for (int32_t k = 0; k < n; ++k) {
        if (m_crashAttackLeft == 0 && m_crashEnvelope <= kCrashSilent) {
            // Nothing to hear until the next crash: skip to the sample it starts on.
            const double quiet =
                std::min<double>(n - k, std::max(0.0, std::ceil(m_untilCrash) - 1));
            m_untilCrash -= quiet;
            k += static_cast<int32_t>(quiet);
            if (k == n) break;
        }
        if (--m_untilCrash <= 0) StartCrash(levels);
        if (m_crashAttackLeft > 0) {
            m_crashEnvelope += m_crashAttackStep;
            --m_crashAttackLeft;
        } else {
            m_crashEnvelope *= m_crashDecay;
        }
        if (m_crashEnvelope > kCrashSilent)
            m_mix[k] += levels.crashScale * m_crashEnvelope * m_crashRandom.Signed();
    }
}

void BandConditions::StartCrash(const Levels& levels) {
    m_untilCrash += m_crashRandom.Exponential(levels.crashMeanGap);
    // A crash arriving during another takes over from where the other has got to.
    const double peak = m_crashRandom.Uniform(kCrashMinPeak, 1.0);
    const double attack =
        m_crashRandom.Uniform(kCrashMinAttackSeconds, kCrashMaxAttackSeconds) * kSampleRate;
    const double decay =
        m_crashRandom.Uniform(kCrashMinDecaySeconds, kCrashMaxDecaySeconds) * kSampleRate;
    m_crashAttackLeft = std::max(1, static_cast<int32_t>(attack));
    m_crashAttackStep = std::max(0.0, peak - m_crashEnvelope) / m_crashAttackLeft;
    m_crashDecay = std::exp(-1.0 / decay);
}

double BandConditions::AdvanceFading(const Levels& levels, int32_t n) {
    const double half = std::numbers::pi;
    auto drawHalf = [&] {
        const double samples =
            levels.fadingHalfSamples *
            m_fadingRandom.Uniform(1.0 - kFadingHalfSpread, 1.0 + kFadingHalfSpread);
        m_fadingStep = half / samples;
    };
    if (m_fadingStep == 0) drawHalf();
    const double before = m_fadingPhase;
    m_fadingPhase += m_fadingStep * n;
    // The deepest point and the full level start a half-cycle of a new length.
    if (std::floor(m_fadingPhase / half) != std::floor(before / half)) drawHalf();
    if (m_fadingPhase >= 2.0 * half) m_fadingPhase -= 2.0 * half;
    m_fadingGain = FromDb(-levels.fadingDepthDb * (1.0 - std::cos(m_fadingPhase)) / 2.0);
    return m_fadingGain;
}
