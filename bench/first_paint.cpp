// Whole-process start-up as the user waits for it: from starting a program
// to its first frame on the screen. The programs run on a real X server
// (bench/run starts an Xvfb); the frame is seen through the server's DAMAGE
// extension, so nothing inside the programs is timed or changed.
//
//   kolvaro_first_paint --velmora=PROGRAM --minimal=PROGRAM --fixtures=DIR [--rounds=N]
//
// DIR holds empty/, 50/ and 9999/ with a velmora.ini each (kolvaro_bench
// --write-fixtures). Every round starts each of the four cases once, in a
// new random order, so that a busy moment of the machine hits all alike.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPaintLimit = std::chrono::seconds(20);

struct Case {
    std::string name;
    std::string program;
    std::string folder;
};

double Quantile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    const double at = q * static_cast<double>(values.size() - 1);
    const auto below = static_cast<std::size_t>(at);
    const std::size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (at - static_cast<double>(below));
}

pid_t Start(const Case& c) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(c.folder.c_str()) != 0) {
            _exit(127);
        }
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            dup2(null, 2);
        }
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        execl(c.program.c_str(), c.program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

void Stop(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 500; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            return;
        }
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

class Watcher {
  public:
    Watcher() {
        connection_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection_)) {
            std::fprintf(stderr, "first paint: no X server (DISPLAY)\n");
            std::exit(1);
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const xcb_query_extension_reply_t* damage =
            xcb_get_extension_data(connection_, &xcb_damage_id);
        if (damage == nullptr || !damage->present) {
            std::fprintf(stderr, "first paint: the X server has no DAMAGE extension\n");
            std::exit(1);
        }
        damageEvent_ = damage->first_event + XCB_DAMAGE_NOTIFY;
        free(xcb_damage_query_version_reply(connection_,
                                            xcb_damage_query_version(connection_, 1, 1), nullptr));
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        Drain();
    }
    ~Watcher() { xcb_disconnect(connection_); }

    // Milliseconds from the start of the program to its first frame; nothing
    // when it never painted (or painted before its window could be watched).
    std::optional<double> Measure(const Case& c) {
        Drain();
        const auto start = Clock::now();
        const pid_t pid = Start(c);
        std::optional<double> result;
        const auto deadline = start + kPaintLimit;
        while (!result && Clock::now() < deadline) {
            xcb_generic_event_t* event = xcb_poll_for_event(connection_);
            if (event == nullptr) {
                if (waitpid(pid, nullptr, WNOHANG) == pid) {
                    std::fprintf(stderr, "first paint: %s ended before it painted\n",
                                 c.name.c_str());
                    return std::nullopt;
                }
                pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
                poll(&fd, 1, 100);
                continue;
            }
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY) {
                const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
                if (created->parent == root_) {
                    const xcb_damage_damage_t damage = xcb_generate_id(connection_);
                    xcb_damage_create(connection_, damage, created->window,
                                      XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                    xcb_flush(connection_);
                }
            } else if (type == damageEvent_) {
                result = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            }
            free(event);
        }
        Stop(pid);
        if (!result) {
            std::fprintf(stderr, "first paint: %s painted nothing within %lld s\n", c.name.c_str(),
                         static_cast<long long>(kPaintLimit.count()));
        }
        return result;
    }

  private:
    // Events of the program before (its windows going away) are not this one's.
    void Drain() {
        free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            free(event);
        }
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    uint8_t damageEvent_ = 0;
};

std::string Option(int argc, char** argv, const char* name, const char* fallback) {
    const std::string prefix = std::string("--") + name + "=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) == 0) {
            return argv[i] + prefix.size();
        }
    }
    if (fallback == nullptr) {
        std::fprintf(stderr, "first paint: --%s= is missing\n", name);
        std::exit(2);
    }
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string velmora = Option(argc, argv, "velmora", nullptr);
    const std::string minimal = Option(argc, argv, "minimal", nullptr);
    const std::string fixtures = Option(argc, argv, "fixtures", nullptr);
    const int rounds = std::stoi(Option(argc, argv, "rounds", "15"));

    std::vector<Case> cases = {{"minimal Qt window", minimal, fixtures + "/empty"},
                               {"velmora, empty file", velmora, fixtures + "/empty"},
                               {"velmora, 50", velmora, fixtures + "/50"},
                               {"velmora, 9999", velmora, fixtures + "/9999"}};
    Watcher watcher;
    // One start of each first, not counted: the libraries and fonts come
    // into the page cache, as they are for a user who has started anything
    // Qt before.
    for (const Case& c : cases) {
        watcher.Measure(c);
    }
    std::map<std::string, std::vector<double>> times;
    std::mt19937 shuffle(std::random_device{}());
    int missed = 0;
    for (int round = 0; round < rounds; ++round) {
        std::vector<Case> order = cases;
        std::shuffle(order.begin(), order.end(), shuffle);
        for (const Case& c : order) {
            if (const auto ms = watcher.Measure(c)) {
                times[c.name].push_back(*ms);
            } else {
                ++missed;
            }
        }
    }

    std::printf("\nstart-up, exec to first painted frame on Xvfb (ms; %d rounds, interleaved)\n",
                rounds);
    std::printf("%-24s %5s %9s %9s %9s\n", "program", "runs", "median", "q1", "q3");
    for (const Case& c : cases) {
        const std::vector<double>& t = times[c.name];
        if (t.empty()) {
            std::printf("%-24s %5d         -\n", c.name.c_str(), 0);
            continue;
        }
        std::printf("%-24s %5zu %9.1f %9.1f %9.1f\n", c.name.c_str(), t.size(), Quantile(t, 0.5),
                    Quantile(t, 0.25), Quantile(t, 0.75));
    }
    struct Ratio {
        const char* label;
        const char* measured;
        const char* baseline;
        double limit;
    };
    const Ratio ratios[] = {
        {"cold start, empty file / minimal Qt window", "velmora, empty file", "minimal Qt window",
         1.3},
        {"cold start, 9999 employees / empty file", "velmora, 9999", "velmora, empty file", 1.15},
        {"cold start, 50 employees / empty file", "velmora, 50", "velmora, empty file", 0},
    };
    std::printf("\n%-70s %8s %15s %9s\n", "ratio (medians; range from the quartiles)", "ratio",
                "range", "target");
    for (const Ratio& r : ratios) {
        const std::vector<double>& m = times[r.measured];
        const std::vector<double>& b = times[r.baseline];
        if (m.empty() || b.empty()) {
            std::printf("%-70s %8s\n", r.label, "-");
            continue;
        }
        const double value = Quantile(m, 0.5) / Quantile(b, 0.5);
        char range[32];
        std::snprintf(range, sizeof range, "%.2f-%.2f", Quantile(m, 0.25) / Quantile(b, 0.75),
                      Quantile(m, 0.75) / Quantile(b, 0.25));
        char target[16] = "-";
        if (r.limit > 0) {
            std::snprintf(target, sizeof target, "<=%.2fx", r.limit);
        }
        std::printf("%-70s %7.2fx %15s %9s %s\n", r.label, value, range, target,
                    r.limit > 0 ? (value <= r.limit ? "met" : "MISSED") : "");
    }
    if (missed > 0) {
        std::printf("starts without a measured frame: %d\n", missed);
    }
    return 0;
}
