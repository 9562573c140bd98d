// map_time PROGRAM [ARGS...]: starts PROGRAM and prints, in microseconds,
// the time from its start to the X server mapping its first top-level
// window, and that window's size: "MICROSECONDS WIDTHxHEIGHT". The program
// is then ended. For start-up figures taken from outside the program, as a
// user sees them.

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: map_time PROGRAM [ARGS...]\n");
        return 2;
    }
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "map_time: no X display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int code = 1;
    pollfd fd{xcb_get_file_descriptor(x), POLLIN, 0};
    while (true) {
        std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event(xcb_poll_for_event(x),
                                                                         &std::free);
        if (!event) {
            if (xcb_connection_has_error(x) || poll(&fd, 1, 20'000) <= 0)
                break;
            continue;
        }
        if ((event->response_type & 0x7F) != XCB_MAP_NOTIFY)
            continue;
        const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event.get());
        if (map->override_redirect)
            continue;
        const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::steady_clock::now() - start)
                                .count();
        std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
            xcb_get_geometry_reply(x, xcb_get_geometry(x, map->window), nullptr), &std::free);
        std::printf("%lld %dx%d\n", static_cast<long long>(micros), geometry ? geometry->width : 0,
                    geometry ? geometry->height : 0);
        code = 0;
        break;
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    xcb_disconnect(x);
    if (code != 0)
        std::fprintf(stderr, "map_time: no window was mapped\n");
    return code;
}
