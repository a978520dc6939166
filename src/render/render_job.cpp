#include "render/render_job.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "content/codepage.h"
#include "content/text_prep.h"
#include "content/text_sources.h"
#include "engine/audio_flags.h"
#include "engine/recording_names.h"
#include "engine/wav_file.h"
#include "render/render_view.h"
#include "session/session_thread.h"
#include "settings/settings.h"
#include "writers/create_recording_file.h"

volatile std::sig_atomic_t g_nRenderInterrupt = 0;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A short render shows no progress line; a long one refreshes it this often.
constexpr auto kProgressDelay = std::chrono::milliseconds(500);
constexpr auto kProgressInterval = std::chrono::milliseconds(250);

int Fail(const std::string& message) {
    std::fprintf(stderr, "veltrane-render: %s\n", message.c_str());
    return EXIT_FAILURE;
}

std::string ErrorText(int err) {
    return std::generic_category().message(err);
}

// A new, empty file beside `target` (same folder, so the rename cannot cross file systems),
// with the permissions a newly created file of the target would get. Empty on failure, err set.
std::string CreateTemporaryBeside(const std::string& target, int& err) {
    const fs::path path = MakeUtf8Path(target);
    std::string pattern = Utf8PathString(
        path.parent_path() / ("." + Utf8PathString(path.filename()) + ".veltrane-XXXXXX"));
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        err = errno;
        return {};
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    return pattern;
}

void RemoveQuietly(const std::string& pathUtf8) {
    std::error_code ignored;
    fs::remove(MakeUtf8Path(pathUtf8), ignored);
}

// The practice text of the text-file source, or the lines of the line-file source into
// g_textLines. Returns an empty string or the reason the file cannot be used.
std::string ReadPractice(const RenderJob& job, std::string& sessionText) {
    const int source = g_settings.m_nSource;
    if ((source & (SOURCE_TEXT_FILE | SOURCE_LINE_FILE)) == 0) return {};
    std::string text;
    const std::string name = "'" + job.textFile + "'";
    switch (ReadTextFile(job.textFile, text)) {
        case ReadResult::Ok:
            break;
        case ReadResult::Unreadable: {
            std::error_code error;
            const bool exists = fs::exists(MakeUtf8Path(job.textFile), error);
            return "cannot read " + name + (exists ? ": not a readable file" : ": no such file");
        }
        case ReadResult::TooLarge:
            return name + " is larger than " + std::to_string(kMaxTextFileBytes >> 20) + " MiB";
        case ReadResult::NotText:
            return name + " is not a text file";
        case ReadResult::Empty:
            return name + " is empty";
    }
    if (source & SOURCE_LINE_FILE) {
        if (SplitLines(text) == 0) return name + " has no line with anything that can be keyed";
        return {};
    }
    PrepareText(text);
    if (text.empty()) return name + " holds nothing that can be keyed";
    sessionText = std::move(text);
    return {};
}

// Writes the whole text; returns 0 or the errno value.
int WriteText(FILE* file, const std::string& text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fflush(file) != 0)
        return errno != 0 ? errno : EIO;
    return 0;
}

// Shows how far the render is on one line of the terminal, now and then.
class ProgressLine {
public:
    explicit ProgressLine(bool wanted) : m_bOn(wanted && ::isatty(STDERR_FILENO) == 1) {}
    ~ProgressLine() {
        if (m_bShown) std::fprintf(stderr, "\r%*s\r", 40, "");
    }
    void Update(const SessionView& view) {
        if (!m_bOn) return;
        const auto now = Clock::now();
        if (now < m_next) return;
        m_next = now + kProgressInterval;
        const int32_t budget = view.m_nBudget;
        const double share = budget > 1 ? 100.0 * view.m_nBudgetUsed / budget : 0.0;
        std::fprintf(stderr, "\rveltrane-render: %3.0f %%", std::min(share, 100.0));
        std::fflush(stderr);
        m_bShown = true;
    }

private:
    bool m_bOn;
    bool m_bShown = false;
    Clock::time_point m_next = Clock::now() + kProgressDelay;
};

}  // namespace

int RunRenderJob(const RenderJob& job) {
    std::string sessionText;
    if (const std::string problem = ReadPractice(job, sessionText); !problem.empty())
        return Fail(problem);

    int err = 0;
    const std::string soundTemp = CreateTemporaryBeside(job.outputPath, err);
    if (soundTemp.empty()) return Fail("cannot create '" + job.outputPath + "': " + ErrorText(err));
    std::unique_ptr<RecordingFile> file =
        CreateRecordingFile(soundTemp, job.format, job.quality, err);
    if (!file) {
        RemoveQuietly(soundTemp);
        return Fail("cannot create '" + job.outputPath + "': " + ErrorText(err));
    }

    ProgressLine progress(job.progress);
    RenderView view([&] {
        progress.Update(view);
        if (g_nRenderInterrupt != 0) g_bAbort = true;
    });
    view.m_sessionSeed = job.seed;
    view.m_strSessionText = std::move(sessionText);
    view.Audio().AttachFileSink(file.get());
    SessionThread(&view);
    view.Audio().DetachFileSink();

    if (g_nRenderInterrupt != 0) {
        file->Discard();
        return 128 + g_nRenderInterrupt;
    }
    if (view.m_bSinkFailed) {
        file->Discard();
        return Fail("writing '" + job.outputPath +
                    "' failed: " + ErrorText(file->WriteError() != 0 ? file->WriteError() : EIO));
    }
    if (view.m_nBudgetUsed < view.m_nBudget) {
        file->Discard();
        return Fail("the render ended early; nothing was written");
    }
    if (const int finishError = file->Finish(); finishError != 0) {
        file->Discard();
        return Fail("writing '" + job.outputPath + "' failed: " + ErrorText(finishError));
    }

    std::string text = view.SentText();
    if (g_settings.m_bInsertLF) text = BreakIntoLines(text);
    text = codepage::ToUtf8(text);
    std::string textTemp;
    if (!job.textPath.empty() && job.textPath != "-") {
        textTemp = CreateTemporaryBeside(job.textPath, err);
        FILE* out = textTemp.empty() ? nullptr : OpenFileUtf8(textTemp, "wb");
        if (!out) err = err != 0 ? err : (errno != 0 ? errno : EIO);
        if (out) {
            err = WriteText(out, text);
            if (std::fclose(out) != 0 && err == 0) err = errno != 0 ? errno : EIO;
        }
        if (err != 0) {
            if (!textTemp.empty()) RemoveQuietly(textTemp);
            RemoveQuietly(soundTemp);
            return Fail("writing '" + job.textPath + "' failed: " + ErrorText(err));
        }
    }

    std::error_code error;
    fs::rename(MakeUtf8Path(soundTemp), MakeUtf8Path(job.outputPath), error);
    if (error) {
        RemoveQuietly(soundTemp);
        if (!textTemp.empty()) RemoveQuietly(textTemp);
        return Fail("cannot write '" + job.outputPath + "': " + error.message());
    }
    if (!textTemp.empty()) {
        fs::rename(MakeUtf8Path(textTemp), MakeUtf8Path(job.textPath), error);
        if (error) {
            RemoveQuietly(textTemp);
            return Fail("cannot write '" + job.textPath + "': " + error.message());
        }
    }
    if (job.textPath == "-") {
        if (!text.empty()) text += '\n';
        if (const int writeError = WriteText(stdout, text); writeError != 0)
            return Fail("writing the sent text failed: " + ErrorText(writeError));
    }
    return EXIT_SUCCESS;
}
