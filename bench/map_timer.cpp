// Starts a program on the X display and reports how long it took for its
// first window to be mapped, the processor time its main thread had used by
// then, and its resident memory a moment later:
//   map_timer SETTLE_MS PROGRAM [ARGS...]  prints  "MILLISECONDS RSS_KB CPU_MS"
// Watching the root window for the map itself, rather than polling for the
// window from outside, keeps the figure to the millisecond. The processor time
// shows what the main thread itself costs when other work shares the machine.
#include <xcb/xcb.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

extern char** environ;

namespace {

long RssKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

// Time on a processor of the main thread, from the scheduler's own count in
// nanoseconds.
double MainThreadCpuMs(pid_t pid) {
    std::ifstream schedstat("/proc/" + std::to_string(pid) + "/schedstat");
    double ns = -1;
    schedstat >> ns;
    return ns / 1e6;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SETTLE_MS PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const int settleMs = std::atoi(argv[1]);
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "map_timer: cannot open the display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[2], nullptr, nullptr, argv + 2, environ) != 0) {
        std::perror("map_timer: posix_spawn");
        return 1;
    }
    double ms = -1;
    double cpu = -1;
    while (xcb_generic_event_t* event = xcb_wait_for_event(x)) {
        const std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(event, &std::free);
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count();
            cpu = MainThreadCpuMs(pid);
            break;
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
    const long rss = RssKb(pid);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    xcb_disconnect(x);
    if (ms < 0) {
        std::fprintf(stderr, "map_timer: the display closed before a window was mapped\n");
        return 1;
    }
    std::printf("%.1f %ld %.1f\n", ms, rss, cpu);
    return 0;
}
