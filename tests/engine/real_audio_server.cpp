#include "real_audio_server.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kPoll{20};
// A pactl call against a live local daemon answers in milliseconds.
constexpr milliseconds kCommandTimeout{2000};
// How long a child gets to exit on SIGTERM before it is killed.
constexpr milliseconds kTermTimeout{2000};
constexpr const char* kSinkName = "vt";

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t begin = 0;
    while (begin <= dirs.size()) {
        const size_t end = std::min(dirs.find(':', begin), dirs.size());
        const std::string candidate = dirs.substr(begin, end - begin) + "/" + name;
        if (end > begin && access(candidate.c_str(), X_OK) == 0) return candidate;
        begin = end + 1;
    }
    return {};
}

// The test's environment without the display (a daemon with one would try to start a D-Bus
// session through X11) and with `overrides` ("NAME=value") replacing what they name.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& overrides) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = name == "DISPLAY";
        for (const std::string& o : overrides)
            replaced |= o.compare(0, name.size() + 1, name + "=") == 0;
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), overrides.begin(), overrides.end());
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> p;
    for (std::string& s : strings) p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

// Starts `argv` (argv[0] a full path) with its output in the named files. The child is killed
// when the test process dies, so a crashed or timed-out test leaves no daemon behind.
pid_t Spawn(std::vector<std::string> argv, std::vector<std::string> env, const std::string& out,
            const std::string& err) {
    std::vector<char*> args = Pointers(argv);
    std::vector<char*> envp = Pointers(env);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    // Only async-signal-safe calls from here on: the parent may have other threads.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    const int in = open("/dev/null", O_RDONLY);
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (in < 0 || o < 0 || e < 0) _exit(127);
    dup2(in, STDIN_FILENO);
    dup2(o, STDOUT_FILENO);
    dup2(e, STDERR_FILENO);
    execve(args[0], args.data(), envp.data());
    _exit(127);
}

// Waits at most `timeout` for the child to exit; its exit status, or -1 if it is still running.
int WaitExit(pid_t pid, milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        if (r < 0) return 128;
        if (Clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(kPoll / 4);
    }
}

void Terminate(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    if (WaitExit(pid, kTermTimeout) < 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

std::string Tail(const std::string& file, size_t bytes) {
    std::ifstream in(file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    return text.size() > bytes ? text.substr(text.size() - bytes) : text;
}

}  // namespace

bool PulseAudioInstalled() {
    return !FindProgram("pulseaudio").empty() && !FindProgram("pactl").empty() &&
           !FindProgram("parec").empty();
}

PrivatePulseServer::PrivatePulseServer() = default;

PrivatePulseServer::~PrivatePulseServer() {
    Stop();
    if (!m_dir.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
}

bool PrivatePulseServer::Fail(std::string message) {
    m_error = std::move(message);
    if (!m_dir.empty()) m_error += "\ndaemon log:\n" + Tail(m_dir + "/log", 2000);
    return false;
}

std::string PrivatePulseServer::ServerAddress() const {
    return "unix:" + m_dir + "/native";
}

bool PrivatePulseServer::Start(milliseconds timeout) {
    // A short path: a unix socket's name is limited to 107 bytes.
    std::string pattern = "/tmp/veltrane-pulse-XXXXXX";
    if (!mkdtemp(pattern.data())) return Fail("cannot create a private directory");
    m_dir = pattern;
    return StartDaemon(timeout);
}

bool PrivatePulseServer::Restart(milliseconds timeout) {
    Terminate(m_recorder);
    Terminate(m_daemon);
    return StartDaemon(timeout);
}

bool PrivatePulseServer::StartDaemon(milliseconds timeout) {
    // The daemon's own files (cookie, runtime state) go to the private directory, never to the
    // user's. The null sink must not rewind, or what was played is rewritten and the recording
    // is no longer bit-exact and in time.
    const std::vector<std::string> env = ChildEnvironment(
        {"HOME=" + m_dir, "XDG_RUNTIME_DIR=" + m_dir, "XDG_CONFIG_HOME=" + m_dir + "/config"});
    m_daemon =
        Spawn({FindProgram("pulseaudio"), "--daemonize=no", "-n", "--exit-idle-time=-1",
               "--disallow-exit", "--use-pid-file=no", "--log-target=file:" + m_dir + "/log",
               "--load=module-native-protocol-unix socket=" + m_dir + "/native auth-anonymous=1",
               std::string("--load=module-null-sink sink_name=") + kSinkName +
                   " rate=22050 channels=1 format=s16le norewinds=1"},
              env, "/dev/null", m_dir + "/daemon.err");
    if (m_daemon < 0) return Fail("cannot start pulseaudio");

    const std::vector<std::string> clientEnv =
        ChildEnvironment({"HOME=" + m_dir, "PULSE_SERVER=" + ServerAddress()});
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        if (WaitExit(m_daemon, milliseconds{0}) >= 0) {
            m_daemon = -1;
            return Fail("pulseaudio exited at start: " + Tail(m_dir + "/daemon.err", 500));
        }
        // Succeeds once the daemon listens and has loaded the sink.
        pid_t pactl = Spawn({FindProgram("pactl"), "set-default-sink", kSinkName}, clientEnv,
                            "/dev/null", "/dev/null");
        const int status = WaitExit(pactl, kCommandTimeout);
        if (status < 0) Terminate(pactl);
        if (status == 0) return true;
        std::this_thread::sleep_for(kPoll * 5);
    }
    return Fail("pulseaudio did not answer within " + std::to_string(timeout.count()) + " ms");
}

int64_t PrivatePulseServer::CapturedSamples() const {
    struct stat st {};
    if (stat((m_dir + "/capture.raw").c_str(), &st) != 0) return 0;
    return st.st_size / 2;
}

bool PrivatePulseServer::StartRecording(milliseconds timeout) {
    m_recorder =
        Spawn({FindProgram("parec"), "-d", std::string(kSinkName) + ".monitor", "--rate=22050",
               "--channels=1", "--format=s16le", "--latency-msec=20", "--raw"},
              ChildEnvironment({"HOME=" + m_dir, "PULSE_SERVER=" + ServerAddress()}),
              m_dir + "/capture.raw", m_dir + "/parec.err");
    if (m_recorder < 0) return Fail("cannot start parec");
    // A tenth of a second of the idle sink's silence shows the recording runs.
    if (!RecordFurther(2205, timeout))
        return Fail("parec recorded nothing: " + Tail(m_dir + "/parec.err", 500));
    return true;
}

bool PrivatePulseServer::RecordFurther(int64_t samples, milliseconds timeout) {
    const int64_t target = CapturedSamples() + samples;
    const auto deadline = Clock::now() + timeout;
    while (CapturedSamples() < target) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPoll);
    }
    return true;
}

std::vector<int16_t> PrivatePulseServer::StopRecording() {
    Terminate(m_recorder);
    std::ifstream in(m_dir + "/capture.raw", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

void PrivatePulseServer::Stop() {
    Terminate(m_recorder);
    Terminate(m_daemon);
}
