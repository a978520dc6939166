#include "render/render_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string>

#include "content/codepage.h"
#include "content/text_prep.h"

namespace {

constexpr int kCpmPerWpm = 5;  // one word is five characters

// Everything the speeds, pitches and conditions take on the command line, in the units the
// options name, with the settings' defaults.
struct Practice {
    int kochCharacters;
    std::string characters;
    int wordsToUse;
    int minGroup;
    int maxGroup;
    int wordWpm;
    int charWpm;
    int pitch;
    bool dualPitch;
    int volume;
    int masterVolume;
    int minutes;
    bool capitals;
    int snrDb;
    int passbandHz;
    int fadingDepthDb;
    int fadingPeriodSeconds;
    int stations;
    std::string stationText;
    int crashesPerMinute;
    int crashLevelDb;
    int fistSpread;
    int fistWeight;
    int fistDrift;

    explicit Practice(const CSettings& s)
        : kochCharacters(s.m_nCharactersUsed),
          wordsToUse(s.m_nWordsToUse),
          minGroup(s.m_nMinWordLength),
          maxGroup(s.m_nMaxWordLength),
          wordWpm(s.m_keying.wordSpeedCpm / kCpmPerWpm),
          charWpm(s.m_keying.charSpeedCpm / kCpmPerWpm),
          pitch(s.m_keying.pitch),
          dualPitch(s.m_bDualPitch),
          volume(s.m_keying.volume),
          masterVolume(s.m_keying.masterVolume),
          minutes(s.m_nSessionDuration),
          capitals(s.m_bUseCaps),
          snrDb(s.m_conditions.noiseSnrDb),
          passbandHz(s.m_conditions.passbandHz),
          fadingDepthDb(s.m_conditions.fadingDepthDb),
          fadingPeriodSeconds(s.m_conditions.fadingPeriodSeconds),
          stations(s.m_conditions.interferenceStations),
          stationText(s.m_conditions.interferenceText == kInterferenceWords ? "words" : "contacts"),
          crashesPerMinute(s.m_conditions.crashesPerMinute),
          crashLevelDb(s.m_conditions.crashLevelDb),
          fistSpread(s.m_conditions.fistSpreadPercent),
          fistWeight(s.m_conditions.fistWeightTenths),
          fistDrift(s.m_conditions.fistDriftPercent) {}
};

// The output's format from its extension; a message when there is none to go by.
std::string CheckOutputName(const std::string& path, RenderJob& job) {
    const auto format = RecordingFormatFromPath(path);
    if (!format) {
        std::string known;
        for (const RecordingFormatInfo& info : RecordingFormats())
            known += std::string(known.empty() ? "" : " ") + info.extension;
        return "cannot tell the format from the name '" + path + "': end it in one of " + known;
    }
    job.format = *format;
    return {};
}

}  // namespace

std::optional<int> ParseRenderCommandLine(int argc, const char* const* argv, RenderJob& job,
                                          CSettings& settings) {
    CLI::App app{
        "Renders Morse code practice to a sound file, as the Veltrane trainer's record command "
        "does: the same sources, speeds, pitches and signal conditions, and for the same "
        "settings and seed the same WAV file.",
        "veltrane-render"};
    app.set_version_flag("--version", std::string("veltrane-render ") + VELTRANE_VERSION);
    app.get_formatter()->column_width(34);

    Practice p(settings);
    app.add_option("output", job.outputPath,
                   "File to write: .wav, .mp3, .ogg (Ogg Vorbis), .opus or .flac")
        ->required()
        ->type_name("FILE");

    auto* sources = app.add_option_group("Source", "What to send (default: Koch lesson 2)");
    auto* koch = sources
                     ->add_option("-k,--koch", p.kochCharacters,
                                  "Koch lesson: groups of the first N characters of the Koch order")
                     ->type_name("N")
                     ->check(CLI::Range(2, 100));
    auto* chars = sources
                      ->add_option("-c,--characters", p.characters,
                                   "Groups of these characters (prosigns as \\AR, \\SK, ...)")
                      ->type_name("TEXT");
    auto* textFile =
        sources->add_option("-t,--text-file", job.textFile, "Send this text file from start to end")
            ->type_name("FILE");
    auto* lines =
        sources
            ->add_option("-l,--lines", job.textFile, "Random lines of this file, one after another")
            ->type_name("FILE");
    bool words = false, abbreviations = false, qCodes = false;
    sources->add_flag("-w,--words", words, "Common English words");
    sources->add_flag("-a,--abbreviations", abbreviations, "Radio abbreviations");
    sources->add_flag("-q,--q-codes", qCodes, "Q codes");
    sources->add_option("--words-to-use", p.wordsToUse, "Only the N most common words")
        ->type_name("N")
        ->check(CLI::Range(1, 1000))
        ->capture_default_str();
    sources
        ->add_option("--min-group", p.minGroup, "Shortest group of the Koch and character sources")
        ->type_name("N")
        ->check(CLI::Range(2, 10))
        ->capture_default_str();
    sources->add_option("--max-group", p.maxGroup, "Longest group")
        ->type_name("N")
        ->check(CLI::Range(4, 10))
        ->capture_default_str();

    auto* keying = app.add_option_group("Keying");
    keying->add_option("-s,--wpm", p.wordWpm, "Word speed in words per minute (PARIS)")
        ->type_name("WPM")
        ->check(CLI::Range(5, 100))
        ->capture_default_str();
    auto* charSpeed =
        keying
            ->add_option("-S,--char-wpm", p.charWpm,
                         "Character speed, at least the word speed (Farnsworth spacing); "
                         "default: " +
                             std::to_string(p.charWpm) + " or the word speed if higher")
            ->type_name("WPM")
            ->check(CLI::Range(5, 100));
    keying->add_option("-f,--pitch", p.pitch, "Tone pitch")
        ->type_name("HZ")
        ->check(CLI::Range(KeyingParameters::kMinPitch, KeyingParameters::kMaxPitch))
        ->capture_default_str();
    keying->add_flag("--dual-pitch", p.dualPitch,
                     "Dots a little higher than dashes in early Koch lessons");
    keying->add_option("-v,--volume", p.volume, "Code volume, 0 to 100")
        ->type_name("N")
        ->check(CLI::Range(0, 100))
        ->capture_default_str();
    keying->add_option("--master-volume", p.masterVolume, "Master volume, 0 to 100")
        ->type_name("N")
        ->check(CLI::Range(0, 100))
        ->capture_default_str();
    keying->add_option("-d,--duration", p.minutes, "Minutes of generated practice")
        ->type_name("MIN")
        ->check(CLI::Range(1, 60))
        ->capture_default_str();

    using SC = SignalConditions;
    auto* band = app.add_option_group("Signal conditions", "Each one is off unless given");
    auto* noise = band->add_option("--noise", p.snrDb, "Noise, the tone this far above it")
                      ->type_name("SNR_DB")
                      ->check(CLI::Range(SC::kMinSnrDb, SC::kMaxSnrDb));
    band->add_option("--passband", p.passbandHz, "Receiver filter width for noise and static")
        ->type_name("HZ")
        ->check(CLI::Range(SC::kMinPassbandHz, SC::kMaxPassbandHz))
        ->capture_default_str();
    auto* fading = band->add_option("--fading", p.fadingDepthDb, "Fading, this deep")
                       ->type_name("DB")
                       ->check(CLI::Range(SC::kMinFadingDepthDb, SC::kMaxFadingDepthDb));
    band->add_option("--fading-period", p.fadingPeriodSeconds, "Length of one fade")
        ->type_name("S")
        ->check(CLI::Range(SC::kMinFadingPeriodSeconds, SC::kMaxFadingPeriodSeconds))
        ->capture_default_str();
    auto* qrm = band->add_option("--interference", p.stations, "Other stations keying, 1 or 2")
                    ->type_name("N")
                    ->check(CLI::Range(1, SC::kMaxStations));
    band->add_option("--interference-text", p.stationText, "What they send")
        ->check(CLI::IsMember({"words", "contacts"}))
        ->capture_default_str();
    auto* crashes = band->add_option("--static", p.crashesPerMinute, "Static crashes per minute")
                        ->type_name("N")
                        ->check(CLI::Range(SC::kMinCrashesPerMinute, SC::kMaxCrashesPerMinute));
    band->add_option("--static-level", p.crashLevelDb, "Loudest crash over the tone")
        ->type_name("DB")
        ->check(CLI::Range(SC::kMinCrashLevelDb, SC::kMaxCrashLevelDb))
        ->capture_default_str();
    bool fist = false;
    band->add_flag("--fist", fist, "An uneven hand: element lengths, weight and speed vary");
    band->add_option("--fist-spread", p.fistSpread, "Spread of element lengths")
        ->type_name("PERCENT")
        ->check(CLI::Range(0, SC::kMaxFistSpreadPercent))
        ->capture_default_str();
    band->add_option("--fist-weight", p.fistWeight, "Dash length in tenths of a dot")
        ->type_name("TENTHS")
        ->check(CLI::Range(SC::kMinFistWeightTenths, SC::kMaxFistWeightTenths))
        ->capture_default_str();
    band->add_option("--fist-drift", p.fistDrift, "Slow speed drift")
        ->type_name("PERCENT")
        ->check(CLI::Range(0, SC::kMaxFistDriftPercent))
        ->capture_default_str();

    auto* output = app.add_option_group("Output");
    output
        ->add_option("-Q,--quality", job.quality,
                     "MP3, Ogg Vorbis and Opus quality, 0 (smallest) to 10 (best)")
        ->type_name("N")
        ->check(CLI::Range(kMinRecordingQuality, kMaxRecordingQuality))
        ->capture_default_str();
    output
        ->add_option("-o,--sent-text", job.textPath,
                     "Write the sent text (UTF-8) to FILE, or to standard output for -")
        ->type_name("FILE");
    bool oneLine = false;
    output->add_flag("--one-line", oneLine,
                     "The sent text without line breaks every 80 characters");
    output->add_flag("--capitals", p.capitals, "The sent text in capitals");
    output
        ->add_option("--seed", job.seed,
                     "Draw the practice and the conditions from this seed: the same seed, "
                     "the same file (default: from the clock)")
        ->type_name("N");
    bool quiet = false;
    output->add_flag("--quiet", quiet, "No progress line");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // --help and --version end here too, with 0; every real error with 2.
        return app.exit(error) == 0 ? 0 : 2;
    }
    auto fail = [&](const std::string& message) {
        std::fprintf(stderr, "veltrane-render: %s\nRun with --help for more information.\n",
                     message.c_str());
        return 2;
    };
    if (const std::string problem = CheckOutputName(job.outputPath, job); !problem.empty())
        return fail(problem);
    if (!job.textPath.empty() && job.textPath == job.outputPath)
        return fail("the sent text and the sound cannot go to the same file");
    if (charSpeed->count() == 0) p.charWpm = std::max(p.charWpm, p.wordWpm);
    if (p.wordWpm > p.charWpm)
        return fail("the word speed (" + std::to_string(p.wordWpm) +
                    " WPM) is above the character speed (" + std::to_string(p.charWpm) + " WPM)");
    if (p.minGroup > p.maxGroup) return fail("--min-group is longer than --max-group");

    // One source; only the vocabularies combine.
    const bool vocabulary = words || abbreviations || qCodes;
    if (koch->count() + chars->count() + textFile->count() + lines->count() + (vocabulary ? 1 : 0) >
        1)
        return fail(
            "give one source: --koch, --characters, --text-file, --lines, or "
            "vocabularies (--words, --abbreviations, --q-codes)");

    std::string characters;
    if (chars->count() > 0) {
        characters = NormaliseCharacterList(codepage::FromUtf8(p.characters));
        if (characters.empty())
            return fail("--characters holds no character that can be keyed: '" + p.characters +
                        "'");
    }
    int source = SOURCE_KOCH;
    if (chars->count() > 0) source = SOURCE_CHARSET;
    if (textFile->count() > 0) source = SOURCE_TEXT_FILE;
    if (lines->count() > 0) source = SOURCE_LINE_FILE;
    if (vocabulary)
        source = (words ? SOURCE_WORDS : 0) | (abbreviations ? SOURCE_ABBREVIATIONS : 0) |
                 (qCodes ? SOURCE_Q_CODES : 0);
    const int setSize = static_cast<int>(settings.m_charSet.BuildSetString(false).size());
    if (p.kochCharacters > setSize)
        return fail("--koch " + std::to_string(p.kochCharacters) + ": the lesson has at most " +
                    std::to_string(setSize) + " characters");

    settings.m_nSource = source;
    settings.m_nCharactersUsed = p.kochCharacters;
    {
        std::lock_guard lock(g_settingsLock);
        settings.m_strSelectedCharacters = characters;
    }
    settings.m_nWordsToUse = p.wordsToUse;
    settings.m_nMinWordLength = p.minGroup;
    settings.m_nMaxWordLength = p.maxGroup;
    settings.m_bWpmSpeedUnit = true;
    settings.m_keying.SetSpeeds(p.wordWpm, p.charWpm, true);
    settings.m_bDualPitch = p.dualPitch;
    settings.UpdateDualPitch(p.pitch);
    settings.m_keying.volume = p.volume;
    settings.m_keying.masterVolume = p.masterVolume;
    settings.m_nSessionDuration = p.minutes;
    settings.m_bUseCaps = p.capitals;
    settings.m_bInsertLF = !oneLine;
    job.progress = !quiet;

    SignalConditions& c = settings.m_conditions;
    c.noiseOn = noise->count() > 0;
    c.noiseSnrDb = p.snrDb;
    c.passbandHz = p.passbandHz;
    c.fadingOn = fading->count() > 0;
    c.fadingDepthDb = p.fadingDepthDb;
    c.fadingPeriodSeconds = p.fadingPeriodSeconds;
    c.interferenceOn = qrm->count() > 0;
    c.interferenceStations = p.stations;
    c.interferenceText = p.stationText == "words" ? kInterferenceWords : kInterferenceContacts;
    c.staticOn = crashes->count() > 0;
    c.crashesPerMinute = p.crashesPerMinute;
    c.crashLevelDb = p.crashLevelDb;
    c.fistOn = fist;
    c.fistSpreadPercent = p.fistSpread;
    c.fistWeightTenths = p.fistWeight;
    c.fistDriftPercent = p.fistDrift;
    return std::nullopt;
}
