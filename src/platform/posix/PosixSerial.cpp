// termios serial devices: exclusive open, fixed line set-up applied through
// termios, and the Win32 read/write time-outs emulated with poll().
#include "platform/posix/PosixSerial.h"

#include "platform/posix/PortHolder.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>
#include <vector>

namespace nubo {

namespace {

constexpr std::uint32_t kMaxDword = 0xFFFFFFFFu;
constexpr std::uint64_t kNoDeadline = UINT64_MAX;

std::uint64_t NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
           static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

struct BaudEntry {
    std::uint32_t rate;
    speed_t code;
};

constexpr BaudEntry kBauds[] = {
    {110, B110},       {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},
    {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool BaudCode(std::uint32_t rate, speed_t& code) {
    for (const auto& e : kBauds) {
        if (e.rate == rate) {
            code = e.code;
            return true;
        }
    }
    return false;
}

std::uint32_t BaudRate(speed_t code) {
    for (const auto& e : kBauds) {
        if (e.code == code) return e.rate;
    }
    return 0;
}

// Modem-control requests a device cannot carry out (a pty has no DTR line)
// are not failures of the set-up.
bool ModemControlUnsupported(int err) {
    return err == ENOTTY || err == EINVAL || err == ENOTSUP;
}

std::string DevicePath(const std::string& name) {
    return name.find('/') == std::string::npos ? "/dev/" + name : name;
}

// The group whose members may read and write the device; empty when the
// group bits do not allow both or the group has no name.
std::string GroupThatMayOpen(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return {};
    if ((st.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) return {};
    group entry{};
    group* found = nullptr;
    std::vector<char> buf(16384);
    if (getgrgid_r(st.st_gid, &entry, buf.data(), buf.size(), &found) != 0 || !found) return {};
    return found->gr_name;
}

}  // namespace

PosixSerialDevice::PosixSerialDevice(int fd) : fd_(fd) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeRead_ = fds[0];
        wakeWrite_ = fds[1];
    }
}

PosixSerialDevice::~PosixSerialDevice() {
    Close();
    if (wakeRead_ >= 0) close(wakeRead_);
    if (wakeWrite_ >= 0) close(wakeWrite_);
}

bool PosixSerialDevice::Fail() {
    lastError_ = static_cast<std::uint32_t>(errno);
    return false;
}

bool PosixSerialDevice::GetLineSettings(LineSettings& settings) {
    termios t{};
    if (fd_ < 0 || tcgetattr(fd_, &t) != 0) return Fail();
    settings = shadow_;
    settings.baudRate = BaudRate(cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
        case CS5:
            settings.byteSize = 5;
            break;
        case CS6:
            settings.byteSize = 6;
            break;
        case CS7:
            settings.byteSize = 7;
            break;
        default:
            settings.byteSize = 8;
            break;
    }
    if (!(t.c_cflag & PARENB)) {
        settings.parity = Parity::None;
    } else if (t.c_cflag & CMSPAR) {
        settings.parity = (t.c_cflag & PARODD) ? Parity::Mark : Parity::Space;
    } else {
        settings.parity = (t.c_cflag & PARODD) ? Parity::Odd : Parity::Even;
    }
    settings.stopBits = (t.c_cflag & CSTOPB) ? StopBits::Two : StopBits::One;
    settings.binary = !(t.c_lflag & ICANON) && !(t.c_oflag & OPOST);
    const bool rtscts = (t.c_cflag & CRTSCTS) != 0;
    settings.outxCtsFlow = rtscts;
    if (rtscts) {
        settings.rtsControl = RtsControl::Handshake;
    } else if (settings.rtsControl == RtsControl::Handshake) {
        settings.rtsControl = RtsControl::Enable;
    }
    settings.outX = (t.c_iflag & IXON) != 0;
    settings.inX = (t.c_iflag & IXOFF) != 0;
    return true;
}

bool PosixSerialDevice::SetLineSettings(const LineSettings& settings) {
    termios t{};
    if (fd_ < 0 || tcgetattr(fd_, &t) != 0) return Fail();
    speed_t code{};
    if (!BaudCode(settings.baudRate, code)) {
        errno = EINVAL;
        return Fail();
    }
    if (settings.binary) cfmakeraw(&t);
    cfsetispeed(&t, code);
    cfsetospeed(&t, code);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    switch (settings.byteSize) {
        case 5:
            t.c_cflag |= CS5;
            break;
        case 6:
            t.c_cflag |= CS6;
            break;
        case 7:
            t.c_cflag |= CS7;
            break;
        case 8:
            t.c_cflag |= CS8;
            break;
        default:
            errno = EINVAL;
            return Fail();
    }
    switch (settings.parity) {
        case Parity::None:
            break;
        case Parity::Odd:
            t.c_cflag |= PARENB | PARODD;
            break;
        case Parity::Even:
            t.c_cflag |= PARENB;
            break;
        case Parity::Mark:
            t.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case Parity::Space:
            t.c_cflag |= PARENB | CMSPAR;
            break;
    }
    if (settings.stopBits != StopBits::One) t.c_cflag |= CSTOPB;
    // Linux ties CTS output flow and RTS input flow to one flag.
    if (settings.outxCtsFlow || settings.rtsControl == RtsControl::Handshake) {
        t.c_cflag |= CRTSCTS;
    }
    t.c_cflag |= CLOCAL | CREAD;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    if (settings.outX) t.c_iflag |= IXON;
    if (settings.inX) t.c_iflag |= IXOFF;
    // Waiting is done with poll(); the descriptor itself never blocks.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (tcsetattr(fd_, TCSANOW, &t) != 0) return Fail();

    int dtr = TIOCM_DTR;
    const int request = settings.dtrControl == DtrControl::Disable ? TIOCMBIC : TIOCMBIS;
    if (ioctl(fd_, request, &dtr) != 0 && !ModemControlUnsupported(errno)) return Fail();
    if (settings.rtsControl == RtsControl::Enable || settings.rtsControl == RtsControl::Disable) {
        int rts = TIOCM_RTS;
        const int rtsRequest = settings.rtsControl == RtsControl::Disable ? TIOCMBIC : TIOCMBIS;
        if (ioctl(fd_, rtsRequest, &rts) != 0 && !ModemControlUnsupported(errno)) return Fail();
    }
    shadow_ = settings;
    return true;
}

bool PosixSerialDevice::GetTimeouts(SerialTimeouts& timeouts) {
    if (fd_ < 0) {
        errno = EBADF;
        return Fail();
    }
    timeouts = timeouts_;
    return true;
}

bool PosixSerialDevice::SetTimeouts(const SerialTimeouts& timeouts) {
    if (fd_ < 0) {
        errno = EBADF;
        return Fail();
    }
    timeouts_ = timeouts;
    return true;
}

void PosixSerialDevice::DrainWakePipe() {
    char sink[64];
    while (wakeRead_ >= 0 && read(wakeRead_, sink, sizeof sink) > 0) {
    }
}

bool PosixSerialDevice::PollUntil(short events, std::uint64_t deadlineMs, bool& woken,
                                  bool wakeable) {
    woken = false;
    const int wakeFd = wakeable ? wakeRead_ : -1;
    for (;;) {
        int timeout = -1;
        if (deadlineMs != kNoDeadline) {
            const std::uint64_t now = NowMs();
            if (now >= deadlineMs) return false;
            const std::uint64_t left = deadlineMs - now;
            timeout = left > INT_MAX ? INT_MAX : static_cast<int>(left);
        }
        pollfd fds[2] = {{fd_, events, 0}, {wakeFd, POLLIN, 0}};
        const nfds_t n = wakeFd >= 0 ? 2 : 1;
        const int r = poll(fds, n, timeout);
        if (r < 0) {
            if (errno == EINTR) continue;
            return Fail();
        }
        if (r == 0) continue;  // the deadline check above ends the loop
        if (n == 2 && (fds[1].revents & POLLIN)) {
            DrainWakePipe();
            woken = true;
            return false;
        }
        // A hung-up terminal reads as empty yet stays "readable" for ever, so
        // the hang-up is looked at first: the deadline is waited out on the
        // wake pipe alone instead of spinning. Whatever was still queued has
        // been read by the caller before it came here.
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            if (fds[0].revents & POLLNVAL) {
                errno = EBADF;
                return Fail();
            }
            if (deadlineMs == kNoDeadline) {
                errno = EIO;  // nothing can come any more, and no deadline ends the wait
                return Fail();
            }
            const std::uint64_t now = NowMs();
            if (now < deadlineMs) {
                pollfd wake{wakeFd, POLLIN, 0};
                const std::uint64_t left = deadlineMs - now;
                const int ms = left > INT_MAX ? INT_MAX : static_cast<int>(left);
                if (poll(&wake, wakeFd >= 0 ? 1 : 0, ms) > 0) {
                    DrainWakePipe();
                    woken = true;
                }
            }
            return false;
        }
        if (fds[0].revents & events) return true;
    }
}

bool PosixSerialDevice::Read(char* buffer, std::uint32_t count, std::uint32_t& bytesRead) {
    bytesRead = 0;
    if (fd_ < 0) {
        errno = EBADF;
        return Fail();
    }
    if (count == 0) return true;
    const SerialTimeouts t = timeouts_;
    const bool returnAtOnce =
        t.readInterval == kMaxDword && t.readTotalPerByte == 0 && t.readTotalConstant == 0;
    std::uint64_t totalDeadline = kNoDeadline;
    const std::uint64_t start = NowMs();
    const std::uint64_t total =
        static_cast<std::uint64_t>(t.readTotalPerByte) * count + t.readTotalConstant;
    if (t.readTotalPerByte != 0 || t.readTotalConstant != 0) totalDeadline = start + total;
    const bool useInterval = t.readInterval != 0 && t.readInterval != kMaxDword;

    for (;;) {
        const ssize_t got = read(fd_, buffer + bytesRead, count - bytesRead);
        if (got > 0) {
            bytesRead += static_cast<std::uint32_t>(got);
            if (bytesRead == count) return true;
            continue;
        }
        // With VMIN and VTIME 0 an empty queue reads as 0 bytes, not EAGAIN.
        if (got < 0) {
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) return Fail();
        }
        if (returnAtOnce) return true;
        std::uint64_t deadline = totalDeadline;
        if (useInterval && bytesRead > 0) {
            const std::uint64_t interval = NowMs() + t.readInterval;
            if (interval < deadline) deadline = interval;
        }
        bool woken = false;
        errno = 0;
        if (!PollUntil(POLLIN, deadline, woken)) {
            if (errno != 0 && !woken) return Fail();
            return true;  // time-out: what arrived so far is the result
        }
    }
}

bool PosixSerialDevice::Write(const char* data, std::uint32_t count, std::uint32_t& bytesWritten) {
    bytesWritten = 0;
    if (fd_ < 0) {
        errno = EBADF;
        return Fail();
    }
    if (count == 0) return true;
    const SerialTimeouts t = timeouts_;
    std::uint64_t deadline = kNoDeadline;
    if (t.writeTotalPerByte != 0 || t.writeTotalConstant != 0) {
        deadline = NowMs() + static_cast<std::uint64_t>(t.writeTotalPerByte) * count +
                   t.writeTotalConstant;
    }
    std::uint32_t queued = 0;
    while (queued < count) {
        const ssize_t put = write(fd_, data + queued, count - queued);
        if (put > 0) {
            queued += static_cast<std::uint32_t>(put);
            continue;
        }
        if (put < 0 && errno == EINTR) continue;
        if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return Fail();
        // Not wakeable: a wake is for the next wait for input, which would
        // not see it if this wait took it.
        bool woken = false;
        errno = 0;
        if (!PollUntil(POLLOUT, deadline, woken, false)) {
            if (errno != 0) return Fail();
            tcflush(fd_, TCOFLUSH);
            return true;  // held by flow control past the time-out: nothing counts as sent
        }
    }
    // The bytes sit in the driver's queue; a line held by CTS keeps them there.
    // The kernel offers no drain with a deadline, so look at the queue in short
    // steps; on a free line the first look finds it empty.
    for (;;) {
        int pending = 0;
        if (ioctl(fd_, TIOCOUTQ, &pending) != 0 || pending <= 0) break;
        if (deadline != kNoDeadline && NowMs() >= deadline) {
            tcflush(fd_, TCOFLUSH);
            return true;
        }
        timespec step{0, 2 * 1000000L};
        nanosleep(&step, nullptr);
    }
    bytesWritten = count;
    return true;
}

bool PosixSerialDevice::ClearError(std::uint32_t& inputQueue) {
    inputQueue = 0;
    int waiting = 0;
    if (fd_ < 0 || ioctl(fd_, FIONREAD, &waiting) != 0) return Fail();
    inputQueue = waiting > 0 ? static_cast<std::uint32_t>(waiting) : 0;
    return true;
}

bool PosixSerialDevice::PurgeInput() {
    if (fd_ < 0 || tcflush(fd_, TCIFLUSH) != 0) return Fail();
    return true;
}

bool PosixSerialDevice::Close() {
    if (fd_ < 0) {
        errno = EBADF;
        return Fail();
    }
    // The exclusive flag lives in the tty, not in the descriptor: without
    // clearing it a device that someone else keeps open stays locked.
    ioctl(fd_, TIOCNXCL);
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0 && errno != EINTR) return Fail();
    return true;
}

bool PosixSerialDevice::WaitForInput(std::uint32_t timeoutMs) {
    if (fd_ < 0) return false;
    int waiting = 0;
    if (ioctl(fd_, FIONREAD, &waiting) == 0 && waiting > 0) return true;
    bool woken = false;
    return PollUntil(POLLIN, NowMs() + timeoutMs, woken);
}

void PosixSerialDevice::Wake() {
    if (wakeWrite_ >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t r = write(wakeWrite_, &byte, 1);
    }
}

std::unique_ptr<SerialDevice> PosixSerialDriver::Open(const std::string& name) {
    if (name.empty()) {
        lastError_ = ENOENT;
        return nullptr;
    }
    const std::string path = DevicePath(name);
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        lastError_ = static_cast<std::uint32_t>(errno);
        return nullptr;
    }
    auto fail = [&](int err) {
        lastError_ = static_cast<std::uint32_t>(err);
        close(fd);
        return nullptr;
    };
    if (!isatty(fd)) return fail(ENOTTY);
    // TIOCEXCL keeps later openers out (except privileged ones); the lock also
    // catches those and an opener that came first without TIOCEXCL.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno == EWOULDBLOCK ? EBUSY : errno);
    if (ioctl(fd, TIOCEXCL) != 0) return fail(errno);
    return std::make_unique<PosixSerialDevice>(fd);
}

PortFailure PosixSerialDriver::ExplainOpenFailure(const std::string& name, std::uint32_t error) {
    PortFailure failure;
    failure.error = error;
    const std::string path = DevicePath(name);
    switch (static_cast<int>(error)) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            failure.kind = PortFailureKind::Missing;
            break;
        case EACCES:
        case EPERM:
            failure.kind = PortFailureKind::NoPermission;
            failure.group = GroupThatMayOpen(path);
            break;
        case EBUSY:
            failure.kind = PortFailureKind::Busy;
            FindHolder(path, failure);
            break;
        default:
            failure.kind = PortFailureKind::Other;
            break;
    }
    return failure;
}
}  // namespace nubo
