// Installed modems on Linux: one GetManagedObjects question to ModemManager over
// sd-bus, answered within a fixed time or not at all.
#include "platform/posix/ModemManagerModems.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <utility>

namespace nubo {
namespace {

constexpr const char* kService = "org.freedesktop.ModemManager1";
constexpr const char* kManagerPath = "/org/freedesktop/ModemManager1";
constexpr const char* kObjectManager = "org.freedesktop.DBus.ObjectManager";
constexpr const char* kModemInterface = "org.freedesktop.ModemManager1.Modem";

// Closing must not flush: a peer that never finished the handshake would hold
// the flush as long as sd-bus's own time-outs run.
struct BusCloser {
    void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
};
struct MessageUnref {
    void operator()(sd_bus_message* m) const { sd_bus_message_unref(m); }
};
struct SlotUnref {
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
using Bus = std::unique_ptr<sd_bus, BusCloser>;
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;
using Slot = std::unique_ptr<sd_bus_slot, SlotUnref>;

std::uint64_t NowUsec() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000000u +
           static_cast<std::uint64_t>(ts.tv_nsec) / 1000u;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

Bus Connect(const std::string& address) {
    sd_bus* bus = nullptr;
    if (address.empty()) {
        if (sd_bus_open_system(&bus) < 0) return {};
        return Bus(bus);
    }
    if (sd_bus_new(&bus) < 0) return {};
    Bus owned(bus);
    if (sd_bus_set_address(bus, address.c_str()) < 0 || sd_bus_set_bus_client(bus, 1) < 0 ||
        sd_bus_start(bus) < 0) {
        return {};
    }
    return owned;
}

struct Pending {
    bool done = false;
    Message reply;  // empty when the call failed
};

int OnReply(sd_bus_message* m, void* userdata, sd_bus_error* /*error*/) {
    auto* pending = static_cast<Pending*>(userdata);
    pending->done = true;
    if (!sd_bus_message_is_method_error(m, nullptr)) pending->reply.reset(sd_bus_message_ref(m));
    return 0;
}

// The variant's text when it holds one; anything else counts as no model name.
bool ReadTextVariant(sd_bus_message* m, std::string& text) {
    char type = 0;
    const char* contents = nullptr;
    if (sd_bus_message_peek_type(m, &type, &contents) <= 0 || type != 'v') return false;
    if (contents == nullptr || std::strcmp(contents, "s") != 0) {
        return sd_bus_message_skip(m, "v") >= 0;
    }
    const char* value = nullptr;
    if (sd_bus_message_enter_container(m, 'v', "s") <= 0 ||
        sd_bus_message_read_basic(m, 's', &value) <= 0 || sd_bus_message_exit_container(m) < 0) {
        return false;
    }
    text = value;
    return true;
}

// One interface's a{sv}: picks out "Model".
bool ReadModemProperties(sd_bus_message* m, std::string& model) {
    if (sd_bus_message_enter_container(m, 'a', "{sv}") <= 0) return false;
    int r = 0;
    while ((r = sd_bus_message_enter_container(m, 'e', "sv")) > 0) {
        const char* name = nullptr;
        if (sd_bus_message_read_basic(m, 's', &name) <= 0) return false;
        if (std::strcmp(name, "Model") == 0) {
            if (!ReadTextVariant(m, model)) return false;
        } else if (sd_bus_message_skip(m, "v") < 0) {
            return false;
        }
        if (sd_bus_message_exit_container(m) < 0) return false;
    }
    return r == 0 && sd_bus_message_exit_container(m) >= 0;
}

// a{oa{sa{sv}}} into (path, model) of every object that has the modem interface.
bool ReadManagedObjects(sd_bus_message* m,
                        std::vector<std::pair<std::string, std::string>>& modems) {
    if (sd_bus_message_enter_container(m, 'a', "{oa{sa{sv}}}") <= 0) return false;
    int r = 0;
    while ((r = sd_bus_message_enter_container(m, 'e', "oa{sa{sv}}")) > 0) {
        const char* path = nullptr;
        if (sd_bus_message_read_basic(m, 'o', &path) <= 0) return false;
        if (sd_bus_message_enter_container(m, 'a', "{sa{sv}}") <= 0) return false;
        bool isModem = false;
        std::string model;
        int ri = 0;
        while ((ri = sd_bus_message_enter_container(m, 'e', "sa{sv}")) > 0) {
            const char* interface = nullptr;
            if (sd_bus_message_read_basic(m, 's', &interface) <= 0) return false;
            if (std::strcmp(interface, kModemInterface) == 0) {
                isModem = true;
                if (!ReadModemProperties(m, model)) return false;
            } else if (sd_bus_message_skip(m, "a{sv}") < 0) {
                return false;
            }
            if (sd_bus_message_exit_container(m) < 0) return false;
        }
        if (ri < 0 || sd_bus_message_exit_container(m) < 0) return false;
        if (sd_bus_message_exit_container(m) < 0) return false;
        if (isModem) modems.emplace_back(path, std::move(model));
    }
    return r == 0 && sd_bus_message_exit_container(m) >= 0;
}

}  // namespace

bool ObjectPathLess(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            std::size_t ie = i;
            std::size_t je = j;
            while (ie < a.size() && IsDigit(a[ie])) ++ie;
            while (je < b.size() && IsDigit(b[je])) ++je;
            // Leading zeros do not change the number.
            std::size_t is = i;
            std::size_t js = j;
            while (is + 1 < ie && a[is] == '0') ++is;
            while (js + 1 < je && b[js] == '0') ++js;
            if (ie - is != je - js) return ie - is < je - js;
            const int c = a.compare(is, ie - is, b, js, je - js);
            if (c != 0) return c < 0;
            i = ie;
            j = je;
        } else {
            if (a[i] != b[j]) {
                return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
            }
            ++i;
            ++j;
        }
    }
    if (i < a.size() || j < b.size()) return j < b.size();
    // Equal as numbers ("/Modem/01" and "/Modem/1"): the text decides.
    return a < b;
}

ModemManagerModems::ModemManagerModems(std::string busAddress, std::uint32_t timeoutMs)
    : busAddress_(std::move(busAddress)), timeoutMs_(timeoutMs) {}

std::vector<std::string> ModemManagerModems::Models() {
    const std::uint64_t timeout = static_cast<std::uint64_t>(timeoutMs_) * 1000u;
    const std::uint64_t deadline = NowUsec() + timeout;

    Bus bus = Connect(busAddress_);
    if (!bus) return {};

    sd_bus_message* raw = nullptr;
    if (sd_bus_message_new_method_call(bus.get(), &raw, kService, kManagerPath, kObjectManager,
                                       "GetManagedObjects") < 0) {
        return {};
    }
    Message call(raw);
    // Only a ModemManager that already runs is asked: started on our behalf, it
    // would probe the serial ports while we test the modem on one of them.
    if (sd_bus_message_set_auto_start(call.get(), 0) < 0) return {};

    Pending pending;
    sd_bus_slot* rawSlot = nullptr;
    if (sd_bus_call_async(bus.get(), &rawSlot, call.get(), OnReply, &pending, timeout) < 0) {
        return {};
    }
    Slot slot(rawSlot);

    // Our own loop, because sd-bus waits for the connection's handshake without
    // the call's time-out.
    while (!pending.done) {
        const int r = sd_bus_process(bus.get(), nullptr);
        if (r < 0) return {};
        if (r > 0) continue;
        const std::uint64_t now = NowUsec();
        if (now >= deadline) return {};
        const int w = sd_bus_wait(bus.get(), deadline - now);
        if (w < 0 && w != -EINTR) return {};
    }
    if (!pending.reply) return {};

    std::vector<std::pair<std::string, std::string>> modems;
    if (!ReadManagedObjects(pending.reply.get(), modems)) return {};
    std::stable_sort(modems.begin(), modems.end(),
                     [](const auto& x, const auto& y) { return ObjectPathLess(x.first, y.first); });

    std::vector<std::string> models;
    for (auto& modem : modems) {
        if (models.size() == kMaxModems) break;
        models.push_back(std::move(modem.second));
    }
    return models;
}

}  // namespace nubo
