// Starts a program and prints the seconds until its first top-level window
// is mapped on the X display, then ends the program. The start-up benchmark
// (bench/startup_bench.py) times each program with it.
//
// Usage: codexel_bench_map_wait TIMEOUT_SECONDS PROGRAM [ARGUMENT...]

#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s TIMEOUT_SECONDS PROGRAM [ARGUMENT...]\n", argv[0]);
    return 2;
  }
  const double timeout = std::atof(argv[1]);
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "%s: cannot open the display\n", argv[0]);
    return 1;
  }
  // Every window mapped on the root is reported, whoever creates it.
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);

  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execv(argv[2], argv + 2);
    _exit(127);
  }
  const auto seconds = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  int status = 1;
  while (seconds() < timeout) {
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify && !event.xmap.override_redirect) {
        std::printf("%.6f\n", seconds());
        status = 0;
        break;
      }
    }
    if (status == 0) break;
    int child_status = 0;
    if (waitpid(child, &child_status, WNOHANG) == child) {
      std::fprintf(stderr, "%s: %s ended before it showed a window\n", argv[0], argv[2]);
      XCloseDisplay(display);
      return 1;
    }
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    poll(&fd, 1, 5);
  }
  if (status != 0) std::fprintf(stderr, "%s: no window within %g s\n", argv[0], timeout);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  XCloseDisplay(display);
  return status;
}
