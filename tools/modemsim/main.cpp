// nubotest-modemsim: serves one emulated modem on a pseudo-terminal in real
// time until SIGTERM or SIGINT. Prints the device path as its first line.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "ModemModel.h"

using nubo::modemsim::ModemModel;
using nubo::modemsim::ModemProfile;

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t r = write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

std::uint32_t NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                                      static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u);
}

void Usage(std::FILE* to) {
    std::fprintf(to,
                 "usage: nubotest-modemsim [--profile FILE] [--link PATH] [--verbose] "
                 "[--print-name] [--KEY[=VALUE]]...\n"
                 "Serves an emulated modem on a new pseudo-terminal and prints its path;\n"
                 "with --print-name prints the model name instead and ends.\n"
                 "Every profile key is also an option (--KEY=VALUE, --KEY for on):\n%s",
                 nubo::modemsim::ProfileKeysHelp());
}

void Show(const char* dir, const std::string& bytes) {
    std::string text;
    for (char c : bytes) {
        if (c == '\r')
            text += "\\r";
        else if (c == '\n')
            text += "\\n";
        else if (static_cast<unsigned char>(c) < 32)
            text += '?';
        else
            text += c;
    }
    std::fprintf(stderr, "%s %s\n", dir, text.c_str());
}

struct Options {
    ModemProfile profile;
    std::string link;
    bool verbose = false;
    bool printName = false;
};

// Fills options from the command line; the exit status when the program ends
// here (help, a bad option or profile), else -1.
int ParseOptions(int argc, char** argv, Options& options) {
    std::string error;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        }
        if (arg.rfind("--", 0) != 0) {
            Usage(stderr);
            return 2;
        }
        arg.erase(0, 2);
        const auto eq = arg.find('=');
        const std::string key = arg.substr(0, eq);
        std::string value = eq == std::string::npos ? "" : arg.substr(eq + 1);
        const bool takesNext = key == "profile" || key == "link";
        if (takesNext && eq == std::string::npos) {
            if (i + 1 >= argc) {
                Usage(stderr);
                return 2;
            }
            value = argv[++i];
        }
        if (key == "profile") {
            if (!nubo::modemsim::LoadProfile(options.profile, value, error)) {
                std::fprintf(stderr, "nubotest-modemsim: %s\n", error.c_str());
                return 2;
            }
        } else if (key == "link") {
            options.link = value;
        } else if (key == "verbose") {
            options.verbose = true;
        } else if (key == "print-name") {
            options.printName = true;
        } else if (!nubo::modemsim::ApplySetting(options.profile, key, value, error)) {
            std::fprintf(stderr, "nubotest-modemsim: %s\n", error.c_str());
            return 2;
        }
    }
    return -1;
}

struct Terminal {
    int master = -1;
    int holder = -1;  // the other side, held open
    std::string path;
};

// A new raw pseudo-terminal in packet mode; false (with the reason printed)
// when one cannot be had.
bool OpenTerminal(Terminal& terminal) {
    terminal.master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (terminal.master < 0 || grantpt(terminal.master) != 0 || unlockpt(terminal.master) != 0) {
        std::perror("nubotest-modemsim: pseudo-terminal");
        return false;
    }
    const char* slaveName = ptsname(terminal.master);
    if (slaveName == nullptr) {
        std::perror("nubotest-modemsim: ptsname");
        return false;
    }
    terminal.path = slaveName;
    // Holding the other side open keeps the terminal alive between the host's
    // conversations (no hang-up storm on the master while nobody has it open).
    terminal.holder = open(terminal.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal.holder < 0) {
        std::perror("nubotest-modemsim: open");
        return false;
    }
    termios raw{};
    tcgetattr(terminal.holder, &raw);
    cfmakeraw(&raw);
    tcsetattr(terminal.holder, TCSANOW, &raw);
    // Packet mode tells us when the host discards its input (purge, close):
    // the modem takes that as a fresh start of the line.
    int packet = 1;
    if (ioctl(terminal.master, TIOCPKT, &packet) != 0) {
        std::perror("nubotest-modemsim: TIOCPKT");
        return false;
    }
    return true;
}

// SIGTERM and SIGINT write to the signal pipe, which ends the serving loop.
bool CatchSignals() {
    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    return true;
}

// One packet from the host: bytes for the modem, or news that the host
// discarded its input.
void TakeFromHost(const char* buffer, ssize_t got, ModemModel& modem, std::string& pending,
                  bool verbose) {
    if (buffer[0] == TIOCPKT_DATA) {
        const std::string_view bytes(buffer + 1, static_cast<std::size_t>(got - 1));
        if (verbose) Show("<", std::string(bytes));
        modem.Receive(bytes, NowMs());
    } else if (buffer[0] & TIOCPKT_FLUSHREAD) {
        if (verbose) std::fprintf(stderr, "- line reset\n");
        modem.LineReset(NowMs());
        pending.clear();
    }
}

// Plays the modem on the terminal until a signal comes or poll fails.
void Serve(int master, ModemModel& modem, bool verbose) {
    std::string pending;  // modem output the terminal has not taken yet
    char buffer[4096];
    bool running = true;
    while (running) {
        const std::uint32_t now = NowMs();
        if (pending.empty()) pending = modem.TakeOutput(now);
        int timeout = -1;
        std::uint32_t due = 0;
        if (pending.empty() && modem.NextDue(now, due)) {
            const auto left = static_cast<std::int32_t>(due - now);
            timeout = left > 0 ? left : 0;
        }
        short events = POLLIN;
        if (!pending.empty()) events |= POLLOUT;
        pollfd fds[2] = {{master, events, 0}, {g_signalPipe[0], POLLIN, 0}};
        if (poll(fds, 2, timeout) < 0) {
            if (errno == EINTR) continue;
            std::perror("nubotest-modemsim: poll");
            break;
        }
        if (fds[1].revents & POLLIN) running = false;
        if (fds[0].revents & (POLLIN | POLLPRI)) {
            const ssize_t got = read(master, buffer, sizeof buffer);
            if (got > 0) TakeFromHost(buffer, got, modem, pending, verbose);
        }
        if (!pending.empty() && (fds[0].revents & POLLOUT)) {
            const ssize_t put = write(master, pending.data(), pending.size());
            if (put > 0) {
                if (verbose) Show(">", pending.substr(0, static_cast<std::size_t>(put)));
                pending.erase(0, static_cast<std::size_t>(put));
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int status = ParseOptions(argc, argv, options); status >= 0) return status;

    // For scripts that register the emulated model elsewhere (the ModemManager
    // stand-in): the name after every profile and option, without serving.
    if (options.printName) {
        std::printf("%s\n", options.profile.modelName.c_str());
        return 0;
    }

    Terminal terminal;
    if (!OpenTerminal(terminal)) return 1;
    if (!CatchSignals()) return 1;
    if (!options.link.empty()) {
        unlink(options.link.c_str());
        if (symlink(terminal.path.c_str(), options.link.c_str()) != 0) {
            std::perror("nubotest-modemsim: symlink");
            return 1;
        }
    }
    std::printf("%s\n", terminal.path.c_str());
    std::fflush(stdout);

    ModemModel modem(options.profile);
    Serve(terminal.master, modem, options.verbose);
    if (!options.link.empty()) unlink(options.link.c_str());
    close(terminal.holder);
    close(terminal.master);
    return 0;
}
