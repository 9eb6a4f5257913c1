// Start-up probe: starts each program in turn on the current X display and measures the time
// from its start to the mapping of its first top-level window, the time to the first drawing
// into that window, and the peak resident memory of the process up to shortly after.
//
// The probe listens for CreateNotify and MapNotify on the root window
// (SubstructureNotifyMask), so the end of each run is an X event, not a poll. It starts the
// program itself with posix_spawn, so the start and the end are read from the same monotonic
// clock. A mapped window counts only if its _NET_WM_PID is the child's pid. Every new
// top-level gets a DAMAGE object (report level NonEmpty) when it is created, long before the
// client can draw, so the first DamageNotify of the mapped window marks its first paint
// reaching the server. The probe then waits a short settle time and sends SIGTERM: Qt installs
// no handler for it, so the process dies at once and its peak RSS (wait4's ru_maxrss) is that
// of start-up, not of a teardown.
//
//   startup_probe [--runs N] [--warmup N] [--pause-ms MS] [--settle-ms MS] [--timeout-ms MS]
//                 [--reference NAME] [--log FILE] [--csv FILE] NAME=PROGRAM ...
//
// Programs run in round-robin (A B C A B C ...), one at a time, on one display.

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <set>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char **environ;

namespace {

struct Program {
    std::string name;
    std::string path;
    std::vector<double> millis;
    std::vector<double> paintMillis;
    std::vector<long> rssKiB;
    int failures = 0;
    std::set<std::string> sizes; // of the mapped windows, as WxH
};

struct Options {
    int runs = 30;
    int warmup = 1;
    int pauseMs = 150;
    int settleMs = 250;
    int timeoutMs = 20000;
    std::string reference;
    std::string log;
    std::string csv;
    std::vector<Program> programs;
};

std::int64_t nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void sleepMs(int ms)
{
    timespec ts{ms / 1000, long(ms % 1000) * 1000000};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

[[noreturn]] void usage(const char *why)
{
    std::fprintf(stderr,
                 "startup_probe: %s\n"
                 "usage: startup_probe [--runs N] [--warmup N] [--pause-ms MS] [--settle-ms MS]\n"
                 "                     [--timeout-ms MS] [--reference NAME] [--log FILE]\n"
                 "                     [--csv FILE] NAME=PROGRAM ...\n",
                 why);
    std::exit(2);
}

Options parse(int argc, char **argv)
{
    Options options;
    for (int index = 1; index < argc; ++index) {
        const std::string arg = argv[index];
        auto value = [&]() -> std::string {
            if (index + 1 >= argc)
                usage(("missing value for " + arg).c_str());
            return argv[++index];
        };
        auto number = [&]() {
            const std::string text = value();
            char *end = nullptr;
            const long parsed = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || parsed < 0 || parsed > 1000000)
                usage(("bad number for " + arg).c_str());
            return int(parsed);
        };
        if (arg == "--runs")
            options.runs = number();
        else if (arg == "--warmup")
            options.warmup = number();
        else if (arg == "--pause-ms")
            options.pauseMs = number();
        else if (arg == "--settle-ms")
            options.settleMs = number();
        else if (arg == "--timeout-ms")
            options.timeoutMs = number();
        else if (arg == "--reference")
            options.reference = value();
        else if (arg == "--log")
            options.log = value();
        else if (arg == "--csv")
            options.csv = value();
        else if (arg.rfind("--", 0) == 0)
            usage(("unknown option " + arg).c_str());
        else {
            const auto equals = arg.find('=');
            if (equals == std::string::npos || equals == 0 || equals + 1 == arg.size())
                usage(("expected NAME=PROGRAM, got " + arg).c_str());
            Program program;
            program.name = arg.substr(0, equals);
            program.path = arg.substr(equals + 1);
            options.programs.push_back(std::move(program));
        }
    }
    if (options.programs.empty())
        usage("no programs");
    if (options.runs == 0)
        usage("--runs must be at least 1");
    return options;
}

class Display {
public:
    Display()
    {
        int screenIndex = 0;
        m_connection = xcb_connect(nullptr, &screenIndex);
        if (xcb_connection_has_error(m_connection)) {
            std::fprintf(stderr, "startup_probe: cannot open the X display (DISPLAY=%s)\n",
                         std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
            std::exit(1);
        }
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int index = 0; index < screenIndex; ++index)
            xcb_screen_next(&screens);
        m_root = screens.data->root;

        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_void_cookie_t cookie =
            xcb_change_window_attributes_checked(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        if (xcb_generic_error_t *error = xcb_request_check(m_connection, cookie)) {
            std::fprintf(stderr, "startup_probe: cannot watch the root window (error %d)\n",
                         error->error_code);
            std::exit(1);
        }
        m_pidAtom = atom("_NET_WM_PID");

        const xcb_query_extension_reply_t *damage =
            xcb_get_extension_data(m_connection, &xcb_damage_id);
        xcb_damage_query_version_reply_t *version = nullptr;
        if (damage && damage->present)
            version = xcb_damage_query_version_reply(
                m_connection, xcb_damage_query_version(m_connection, 1, 1), nullptr);
        if (!version) {
            std::fprintf(stderr, "startup_probe: the X server has no DAMAGE extension\n");
            std::exit(1);
        }
        std::free(version);
        m_damageNotify = std::uint8_t(damage->first_event + XCB_DAMAGE_NOTIFY);
    }
    ~Display() { xcb_disconnect(m_connection); }
    Display(const Display &) = delete;
    Display &operator=(const Display &) = delete;

    int fd() const { return xcb_get_file_descriptor(m_connection); }
    xcb_window_t root() const { return m_root; }
    bool broken() const { return xcb_connection_has_error(m_connection) != 0; }

    std::uint8_t damageNotify() const { return m_damageNotify; }

    // Reports the first drawing into window as a DamageNotify; the object goes with the window.
    void watchDrawing(xcb_window_t window)
    {
        xcb_damage_create(m_connection, xcb_generate_id(m_connection), window,
                          XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        xcb_flush(m_connection);
    }

    // The next queued event, without blocking; the caller frees it.
    xcb_generic_event_t *next() { return xcb_poll_for_event(m_connection); }

    void drain()
    {
        while (xcb_generic_event_t *event = next())
            std::free(event);
    }

    std::string windowSize(xcb_window_t window)
    {
        xcb_get_geometry_reply_t *reply =
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
        std::string size = "?";
        if (reply)
            size = std::to_string(reply->width) + "x" + std::to_string(reply->height);
        std::free(reply);
        return size;
    }

    std::optional<std::uint32_t> windowPid(xcb_window_t window)
    {
        xcb_get_property_cookie_t cookie =
            xcb_get_property(m_connection, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1);
        xcb_get_property_reply_t *reply = xcb_get_property_reply(m_connection, cookie, nullptr);
        std::optional<std::uint32_t> pid;
        if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
            pid = *static_cast<const std::uint32_t *>(xcb_get_property_value(reply));
        std::free(reply);
        return pid;
    }

private:
    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, std::uint16_t(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    }

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_pidAtom = XCB_ATOM_NONE;
    std::uint8_t m_damageNotify = 0;
};

int pidfdOpen(pid_t pid)
{
#ifdef SYS_pidfd_open
    return int(syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

struct RunResult {
    bool ok = false;
    double millis = 0;
    double paintMillis = -1; // none seen
    long rssKiB = 0;
    std::string why;
    std::string size; // the mapped window's, as WxH
};

// Blocks until the display or the child has something to say, or the deadline passes.
// Returns false at the deadline.
bool waitFor(Display &display, int childFd, std::int64_t deadlineNs)
{
    const std::int64_t left = deadlineNs - nowNs();
    if (left <= 0)
        return false;
    pollfd fds[2] = {{display.fd(), POLLIN, 0}, {childFd, POLLIN, 0}};
    // Without a pidfd an early exit is only noticed every 100 ms; the map itself never waits.
    const int timeout = childFd >= 0 ? int((left + 999999) / 1000000)
                                     : int(std::min<std::int64_t>(100, (left + 999999) / 1000000));
    const int ready = poll(fds, childFd >= 0 ? 2 : 1, timeout);
    return ready >= 0 || errno == EINTR;
}

// Watches the drawing of each new top-level, and records the first drawing of each.
void note(Display &display, const xcb_generic_event_t *event, std::int64_t at,
          std::vector<std::pair<xcb_window_t, std::int64_t>> &drawn)
{
    const std::uint8_t type = event->response_type & 0x7f;
    if (type == XCB_CREATE_NOTIFY) {
        const auto *create = reinterpret_cast<const xcb_create_notify_event_t *>(event);
        if (create->parent == display.root() && !create->override_redirect)
            display.watchDrawing(create->window);
    } else if (type == display.damageNotify()) {
        const auto *damage = reinterpret_cast<const xcb_damage_notify_event_t *>(event);
        if (std::none_of(drawn.begin(), drawn.end(),
                         [&](const auto &entry) { return entry.first == damage->drawable; }))
            drawn.emplace_back(damage->drawable, at);
    }
}

RunResult runOnce(Display &display, const Options &options, const Program &program)
{
    RunResult result;
    display.drain();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!options.log.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, options.log.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    }
    // The child must not inherit the probe's X connection.
    posix_spawn_file_actions_addclose(&actions, display.fd());
    char *argv[] = {const_cast<char *>(program.path.c_str()), nullptr};

    pid_t pid = 0;
    const std::int64_t start = nowNs();
    const int spawned = posix_spawn(&pid, program.path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        result.why = std::string("cannot start: ") + std::strerror(spawned);
        return result;
    }
    const int childFd = pidfdOpen(pid);

    xcb_window_t mapped = XCB_WINDOW_NONE; // none yet
    std::int64_t mappedAt = 0;
    std::vector<std::pair<xcb_window_t, std::int64_t>> drawn; // first damage of each window
    bool exited = false;
    int status = 0;
    rusage usage{};
    const std::int64_t deadline = start + std::int64_t(options.timeoutMs) * 1000000;
    while (!mapped && !exited) {
        while (xcb_generic_event_t *event = display.next()) {
            const std::int64_t at = nowNs();
            note(display, event, at, drawn);
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                const auto *map = reinterpret_cast<const xcb_map_notify_event_t *>(event);
                if (!mapped && map->event == display.root() && !map->override_redirect &&
                    display.windowPid(map->window) == std::uint32_t(pid)) {
                    mapped = map->window;
                    mappedAt = at;
                    result.size = display.windowSize(mapped);
                }
            }
            std::free(event);
        }
        if (mapped)
            break;
        if (display.broken()) {
            result.why = "lost the X connection";
            break;
        }
        if (wait4(pid, &status, WNOHANG, &usage) == pid) {
            exited = true;
            result.why = "exited before mapping a window";
            break;
        }
        if (!waitFor(display, childFd, deadline)) {
            result.why = "no window within the time-out";
            break;
        }
    }

    // The first paint: the window's first damage, which may already have come.
    std::int64_t paintedAt = 0;
    if (mapped) {
        const std::int64_t paintDeadline =
            nowNs() + std::int64_t(std::min(options.timeoutMs, 5000)) * 1000000;
        while (!display.broken()) {
            const auto found = std::find_if(drawn.begin(), drawn.end(), [&](const auto &entry) {
                return entry.first == mapped;
            });
            if (found != drawn.end()) {
                paintedAt = found->second;
                break;
            }
            if (!waitFor(display, childFd, paintDeadline))
                break;
            while (xcb_generic_event_t *event = display.next()) {
                note(display, event, nowNs(), drawn);
                std::free(event);
            }
            if (wait4(pid, &status, WNOHANG, &usage) == pid) {
                exited = true;
                result.why = "exited after mapping its window";
                mapped = XCB_WINDOW_NONE;
                break;
            }
        }
    }

    if (mapped && options.settleMs > 0)
        sleepMs(options.settleMs);
    if (!exited) {
        kill(pid, SIGTERM);
        if (wait4(pid, &status, 0, &usage) != pid) {
            result.why = "lost the child";
            mapped = XCB_WINDOW_NONE;
        }
    }
    if (childFd >= 0)
        close(childFd);

    if (mapped) {
        // Killed by the signal, so no destructor or exit handler touched the peak.
        if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGTERM) {
            result.why = "ended other than by SIGTERM";
            return result;
        }
        result.ok = true;
        result.millis = double(mappedAt - start) / 1e6;
        if (paintedAt)
            result.paintMillis = double(paintedAt - start) / 1e6;
        result.rssKiB = usage.ru_maxrss;

        // The server destroys the window with the client's connection; wait for that event
        // so the next run starts on an idle server.
        const std::int64_t gone = nowNs() + 2000000000;
        bool destroyed = false;
        while (!destroyed && !display.broken()) {
            while (xcb_generic_event_t *event = display.next()) {
                if ((event->response_type & 0x7f) == XCB_DESTROY_NOTIFY &&
                    reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->window == mapped)
                    destroyed = true;
                std::free(event);
            }
            if (destroyed || !waitFor(display, -1, gone))
                break;
        }
    }
    return result;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<double> asDouble(const std::vector<long> &values)
{
    return {values.begin(), values.end()};
}

} // namespace

int main(int argc, char **argv)
{
    Options options = parse(argc, argv);
    Display display;

    std::FILE *csv = nullptr;
    if (!options.csv.empty()) {
        csv = std::fopen(options.csv.c_str(), "w");
        if (!csv) {
            std::perror(options.csv.c_str());
            return 1;
        }
        std::fprintf(csv, "round,program,map_ms,paint_ms,rss_kib\n");
    }

    const int rounds = options.warmup + options.runs;
    for (int round = 0; round < rounds; ++round) {
        const bool counted = round >= options.warmup;
        for (Program &program : options.programs) {
            const RunResult run = runOnce(display, options, program);
            if (!run.ok) {
                std::fprintf(stderr, "startup_probe: %s: %s\n", program.name.c_str(),
                             run.why.c_str());
                if (counted)
                    ++program.failures;
            } else if (counted) {
                program.millis.push_back(run.millis);
                program.rssKiB.push_back(run.rssKiB);
                program.sizes.insert(run.size);
                if (run.paintMillis >= 0)
                    program.paintMillis.push_back(run.paintMillis);
                if (csv)
                    std::fprintf(csv, "%d,%s,%.3f,%.3f,%ld\n", round - options.warmup + 1,
                                 program.name.c_str(), run.millis, run.paintMillis, run.rssKiB);
            }
            sleepMs(options.pauseMs);
        }
        if (isatty(STDERR_FILENO))
            std::fprintf(stderr, "\rround %d/%d%s", round + 1, rounds, counted ? "" : " (warm-up)");
    }
    if (isatty(STDERR_FILENO))
        std::fprintf(stderr, "\n");
    if (csv)
        std::fclose(csv);

    std::printf("%-15s %4s  %-26s  %-26s  %-17s\n", "", "", "time to map (ms)",
                "time to first paint (ms)", "peak RSS (MiB)");
    std::printf("%-15s %4s  %8s %8s %8s  %8s %8s %8s  %8s %8s  %s\n", "program", "runs", "median",
                "min", "max", "median", "min", "max", "median", "max", "window");
    const Program *reference = nullptr;
    bool complete = true;
    for (const Program &program : options.programs) {
        if (program.name == options.reference)
            reference = &program;
        if (program.millis.empty()) {
            std::printf("%-15s %4d  (no successful run)\n", program.name.c_str(), 0);
            complete = false;
            continue;
        }
        const auto [minMap, maxMap] =
            std::minmax_element(program.millis.begin(), program.millis.end());
        std::printf("%-15s %4zu  %8.1f %8.1f %8.1f  ", program.name.c_str(), program.millis.size(),
                    median(program.millis), *minMap, *maxMap);
        if (program.paintMillis.empty()) {
            std::printf("%8s %8s %8s  ", "-", "-", "-");
        } else {
            const auto [minPaint, maxPaint] =
                std::minmax_element(program.paintMillis.begin(), program.paintMillis.end());
            std::printf("%8.1f %8.1f %8.1f  ", median(program.paintMillis), *minPaint, *maxPaint);
        }
        std::printf("%8.1f %8.1f ", median(asDouble(program.rssKiB)) / 1024,
                    double(*std::max_element(program.rssKiB.begin(), program.rssKiB.end())) / 1024);
        for (const std::string &size : program.sizes)
            std::printf(" %s", size.c_str());
        std::printf("\n");
        if (program.failures)
            complete = false;
    }
    if (reference && !reference->millis.empty()) {
        std::printf("\nratios of medians to %s:\n", reference->name.c_str());
        for (const Program &program : options.programs) {
            if (&program == reference || program.millis.empty())
                continue;
            std::printf("  %-14s time to map %.3f", program.name.c_str(),
                        median(program.millis) / median(reference->millis));
            if (!program.paintMillis.empty() && !reference->paintMillis.empty())
                std::printf("   time to first paint %.3f",
                            median(program.paintMillis) / median(reference->paintMillis));
            std::printf("   peak RSS %.3f\n",
                        median(asDouble(program.rssKiB)) / median(asDouble(reference->rssKiB)));
        }
    }
    for (const Program &program : options.programs) {
        if (program.failures)
            std::printf("%s: %d failed run(s)\n", program.name.c_str(), program.failures);
        if (program.paintMillis.size() < program.millis.size())
            std::printf("%s: %zu run(s) without a first paint\n", program.name.c_str(),
                        program.millis.size() - program.paintMillis.size());
    }
    return complete ? 0 : 1;
}
