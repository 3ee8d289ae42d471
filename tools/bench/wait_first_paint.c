/* Starts a program and waits until a pixel of the X screen shows a given colour: the time
 * from the start to the first painted window. Prints the milliseconds, then ends the
 * program (its whole process group).
 *   wait_first_paint X Y RRGGBB TIMEOUT_MS PROGRAM [ARG...]
 * Exit status 0 when the colour appeared in time, 1 on a time-out, 2 on bad use. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

int main(int argc, char** argv) {
  if (argc < 6) {
    fprintf(stderr, "usage: %s X Y RRGGBB TIMEOUT_MS PROGRAM [ARG...]\n", argv[0]);
    return 2;
  }
  const int x = atoi(argv[1]), y = atoi(argv[2]);
  const unsigned long want = strtoul(argv[3], NULL, 16);
  const double timeout = atof(argv[4]);
  Display* display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "wait_first_paint: no X display\n");
    return 2;
  }
  Window root = DefaultRootWindow(display);

  const double start = now_ms();
  pid_t child = fork();
  if (child == 0) {
    setpgid(0, 0);
    execvp(argv[5], argv + 5);
    _exit(127);
  }
  int status = 1;
  while (now_ms() - start < timeout) {
    XImage* image = XGetImage(display, root, x, y, 1, 1, AllPlanes, ZPixmap);
    unsigned long pixel = image ? XGetPixel(image, 0, 0) & 0xFFFFFF : 0;
    if (image) XDestroyImage(image);
    if (pixel == want) {
      printf("%.1f\n", now_ms() - start);
      status = 0;
      break;
    }
    nanosleep(&(struct timespec){0, 1000000}, NULL);
  }
  if (status) fprintf(stderr, "wait_first_paint: no %06lx at (%d, %d) in time\n", want, x, y);
  kill(-child, SIGKILL);
  waitpid(child, NULL, 0);
  XCloseDisplay(display);
  return status;
}
