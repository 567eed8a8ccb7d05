// Start-up time as a user sees it: from starting a program to its first window being mapped on
// the X server (with a window manager, the frame it puts around the window). Watches the root
// window's children, starts the program, prints the milliseconds until the first map, and ends the
// program.
//   quillon-map-watch PROGRAM [ARGUMENTS...]

#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 2;
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    const auto begin = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int mapped = -1;
    const int connection = ConnectionNumber(display);
    while (mapped < 0) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify) {
                mapped = static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(
                                              std::chrono::steady_clock::now() - begin)
                                              .count());
                break;
            }
        }
        if (mapped >= 0) break;
        if (std::chrono::steady_clock::now() - begin > std::chrono::seconds(10)) break;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(connection, &readable);
        timeval wait{0, 100000};
        select(connection + 1, &readable, nullptr, nullptr, &wait);
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    if (mapped < 0) return 1;
    std::printf("%.2f\n", mapped / 1000.0);
    return 0;
}
