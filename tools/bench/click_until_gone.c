/* Clicks at a point of the X screen and times, from the button press, until windows are
 * gone from the screen (unmapped or destroyed) and a process has ended. Polls every
 * millisecond; the press is sent through the XTEST extension right after the clock is
 * read, so the figures start at the click itself, not at a helper program's start.
 *   click_until_gone X Y PID TIMEOUT_MS WID [WID...]
 * Prints three figures in milliseconds: the first window given gone, all of them gone, the
 * process ended ("-" for what did not happen in time).
 * Exit status 0 when all happened in time, 1 on a time-out, 2 on bad use.
 * Built with -l:libXtst.so.6 (the runtime library xdotool uses; its headers may be
 * missing, hence the one declaration below). */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

extern int XTestFakeMotionEvent(Display* display, int screen, int x, int y, unsigned long delay);
extern int XTestFakeButtonEvent(Display* display, unsigned int button, Bool is_press,
                                unsigned long delay);

#define MAX_WINDOWS 16

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static void sleep_ms(long ms) {
  struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&t, NULL);
}

/* A destroyed window answers BadWindow: that is "gone", not a fault. */
static int ignore_x_error(Display* display, XErrorEvent* event) {
  (void)display;
  (void)event;
  return 0;
}

static int window_shown(Display* display, Window window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return 0;
  return attributes.map_state == IsViewable;
}

/* Ended, or a zombie nobody has collected yet. */
static int process_ended(long pid) {
  char path[64], state = 0;
  snprintf(path, sizeof path, "/proc/%ld/stat", pid);
  FILE* stat = fopen(path, "r");
  if (!stat) return 1;
  /* pid (comm) state ...: the state follows the last ')'. */
  int c, last = 0;
  while ((c = fgetc(stat)) != EOF) {
    if (c == ')') last = 1;
    else if (last && c != ' ') {
      state = (char)c;
      last = 0;
    }
  }
  fclose(stat);
  return state == 'Z' || state == 'X';
}

static void print_figure(double ms, const char* after) {
  if (ms < 0) printf("-%s", after);
  else printf("%.1f%s", ms, after);
}

int main(int argc, char** argv) {
  if (argc < 6 || argc - 5 > MAX_WINDOWS) {
    fprintf(stderr, "usage: %s X Y PID TIMEOUT_MS WID [WID...]\n", argv[0]);
    return 2;
  }
  const int x = atoi(argv[1]), y = atoi(argv[2]);
  const long pid = atol(argv[3]);
  const double timeout = atof(argv[4]);
  const int count = argc - 5;
  Window windows[MAX_WINDOWS];
  double gone[MAX_WINDOWS];
  for (int i = 0; i < count; ++i) {
    windows[i] = strtoul(argv[5 + i], NULL, 0);
    gone[i] = -1;
  }
  Display* display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "click_until_gone: no X display\n");
    return 2;
  }
  XSetErrorHandler(ignore_x_error);

  /* The pointer rests on the point a moment first, as a person's would. */
  XTestFakeMotionEvent(display, DefaultScreen(display), x, y, 0);
  XSync(display, False);
  sleep_ms(300);

  const double start = now_ms();
  XTestFakeButtonEvent(display, 1, True, 0);
  XTestFakeButtonEvent(display, 1, False, 0);
  XSync(display, False);

  double first = -1, all = -1, ended = -1;
  while (now_ms() - start < timeout && (all < 0 || ended < 0)) {
    const double t = now_ms() - start;
    int left = 0;
    for (int i = 0; i < count; ++i) {
      if (gone[i] < 0 && !window_shown(display, windows[i])) gone[i] = t;
      if (gone[i] < 0) ++left;
    }
    if (first < 0 && gone[0] >= 0) first = gone[0];
    if (all < 0 && left == 0) all = t;
    if (ended < 0 && process_ended(pid)) ended = t;
    sleep_ms(1);
  }
  print_figure(first, " ");
  print_figure(all, " ");
  print_figure(ended, "\n");
  XCloseDisplay(display);
  return all >= 0 && ended >= 0 ? 0 : 1;
}
