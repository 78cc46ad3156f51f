// nubotest-mmstandin: stands in for ModemManager on a (private) D-Bus, so that
// the registration check can find an installed modem without the real service.
// Claims the service name, exports one modem object per --model, says "ready"
// on standard output once it answers, and ends on SIGTERM, SIGINT or bus loss.
#include <systemd/sd-bus.h>
#include <systemd/sd-event.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <string>

namespace {

constexpr const char* kService = "org.freedesktop.ModemManager1";
constexpr const char* kManagerPath = "/org/freedesktop/ModemManager1";
constexpr const char* kModemInterface = "org.freedesktop.ModemManager1.Modem";

struct Modem {
    unsigned long index = 0;
    std::string model;
};

int GetModel(sd_bus* /*bus*/, const char* /*path*/, const char* /*interface*/,
             const char* /*property*/, sd_bus_message* reply, void* userdata,
             sd_bus_error* /*error*/) {
    return sd_bus_message_append(reply, "s", static_cast<Modem*>(userdata)->model.c_str());
}

const sd_bus_vtable kModemVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("Model", "s", GetModel, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_VTABLE_END,
};

int OnSignal(sd_event_source* source, const signalfd_siginfo* /*info*/, void* /*userdata*/) {
    return sd_event_exit(sd_event_source_get_event(source), 0);
}

void Usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: nubotest-mmstandin [--address BUS] [[--index N] --model TEXT]...\n"
                 "Claims %s on the bus (default: the session bus) and exports one modem\n"
                 "object %s/Modem/N per --model; N counts from 0, or from --index.\n"
                 "Prints \"ready\" when it answers; ends on SIGTERM or SIGINT.\n",
                 kService, kManagerPath);
}

bool ParseIndex(const char* text, unsigned long& index) {
    if (text[0] < '0' || text[0] > '9') return false;
    char* end = nullptr;
    index = std::strtoul(text, &end, 10);
    return *end == '\0';
}

int Fail(const char* what, int r) {
    std::fprintf(stderr, "nubotest-mmstandin: %s: %s\n", what, std::strerror(-r));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string address;
    // A list, because the vtables keep pointers to the entries.
    std::list<Modem> modems;
    unsigned long next = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            Usage(stdout);
            return 0;
        }
        if (i + 1 >= argc) {
            Usage(stderr);
            return 2;
        }
        const char* value = argv[++i];
        if (option == "--address") {
            address = value;
        } else if (option == "--model") {
            modems.push_back({next++, value});
        } else if (option == "--index") {
            if (!ParseIndex(value, next)) {
                Usage(stderr);
                return 2;
            }
        } else {
            Usage(stderr);
            return 2;
        }
    }

    // The signals are taken through the event loop only.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigprocmask(SIG_BLOCK, &signals, nullptr);

    sd_event* event = nullptr;
    int r = sd_event_new(&event);
    if (r < 0) return Fail("event loop", r);
    sd_bus* bus = nullptr;
    if (address.empty()) {
        r = sd_bus_open_user(&bus);
    } else if ((r = sd_bus_new(&bus)) >= 0) {
        if ((r = sd_bus_set_address(bus, address.c_str())) >= 0 &&
            (r = sd_bus_set_bus_client(bus, 1)) >= 0) {
            r = sd_bus_start(bus);
        }
    }
    int status = 1;
    if (r < 0) {
        Fail("cannot connect to the bus", r);
    } else if ((r = sd_event_add_signal(event, nullptr, SIGTERM, OnSignal, nullptr)) < 0 ||
               (r = sd_event_add_signal(event, nullptr, SIGINT, OnSignal, nullptr)) < 0) {
        Fail("signals", r);
    } else if ((r = sd_bus_attach_event(bus, event, SD_EVENT_PRIORITY_NORMAL)) < 0 ||
               (r = sd_bus_set_exit_on_disconnect(bus, 1)) < 0) {
        Fail("bus events", r);
    } else if ((r = sd_bus_add_object_manager(bus, nullptr, kManagerPath)) < 0) {
        Fail("object manager", r);
    } else {
        for (Modem& modem : modems) {
            const std::string path =
                std::string(kManagerPath) + "/Modem/" + std::to_string(modem.index);
            r = sd_bus_add_object_vtable(bus, nullptr, path.c_str(), kModemInterface, kModemVtable,
                                         &modem);
            if (r < 0) {
                Fail(path.c_str(), r);
                break;
            }
        }
        // The objects exist before the name is claimed, so whoever sees the
        // name also sees every modem.
        if (r >= 0 && (r = sd_bus_request_name(bus, kService, 0)) < 0) {
            Fail("cannot claim the service name", r);
        } else if (r >= 0) {
            std::printf("ready\n");
            std::fflush(stdout);
            // 0 after a signal; a lost bus ends the loop with a failure.
            r = sd_event_loop(event);
            if (r < 0) {
                Fail("event loop", r);
            } else {
                status = r;
            }
        }
    }
    sd_bus_flush_close_unref(bus);
    sd_event_unref(event);
    return status;
}
