/* Records the stages a window goes through, for tests that must see a stage that lasts
 * only a moment (the installer shows "Installation complete" for a fraction of a second
 * before it closes). Grabs the whole window every few milliseconds and writes it as a
 * PPM file whenever one of the probed regions changes; ends when the window is gone, on
 * SIGTERM, or after the time-out.
 *   stage_frames WINDOW_ID OUT_DIR TIMEOUT_MS X,Y[,W,H] [X,Y[,W,H]...]
 * A region is a window rectangle, a point when W and H are left out.
 * Files: OUT_DIR/frame-NNN.ppm, numbered in order. Prints the number of frames written;
 * the time of each frame and of the end go to standard error. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#define MAX_PROBES 16

static volatile sig_atomic_t g_stop = 0;
static void on_term(int signal_number) { (void)signal_number; g_stop = 1; }
static int ignore_x_error(Display* display, XErrorEvent* event) {
  (void)display;
  (void)event;
  return 0;
}

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static int write_ppm(const char* path, XImage* image) {
  FILE* out = fopen(path, "wb");
  if (!out) return 0;
  fprintf(out, "P6\n%d %d\n255\n", image->width, image->height);
  // One row at a time: a frame must be written in a few milliseconds, or the next stage
  // may come and go while this one is still being saved.
  unsigned char* row = malloc((size_t)image->width * 3);
  if (!row) {
    fclose(out);
    return 0;
  }
  const int direct = image->bits_per_pixel == 32 && image->byte_order == LSBFirst;
  for (int y = 0; y < image->height; ++y) {
    const unsigned char* line = (const unsigned char*)image->data + (size_t)y * image->bytes_per_line;
    for (int x = 0; x < image->width; ++x) {
      const unsigned long pixel =
          direct ? (unsigned long)line[4 * x] | (unsigned long)line[4 * x + 1] << 8 |
                       (unsigned long)line[4 * x + 2] << 16
                 : XGetPixel(image, x, y);
      row[3 * x] = (pixel >> 16) & 0xFF;
      row[3 * x + 1] = (pixel >> 8) & 0xFF;
      row[3 * x + 2] = pixel & 0xFF;
    }
    fwrite(row, 1, (size_t)image->width * 3, out);
  }
  free(row);
  return fclose(out) == 0;
}

int main(int argc, char** argv) {
  if (argc < 5 || argc - 4 > MAX_PROBES) {
    fprintf(stderr, "usage: %s WINDOW_ID OUT_DIR TIMEOUT_MS X,Y[,W,H]...\n", argv[0]);
    return 2;
  }
  const Window window = (Window)strtoul(argv[1], NULL, 0);
  const char* out_dir = argv[2];
  const double timeout = atof(argv[3]);
  int probe_x[MAX_PROBES], probe_y[MAX_PROBES], probe_w[MAX_PROBES], probe_h[MAX_PROBES];
  const int probes = argc - 4;
  for (int i = 0; i < probes; ++i) {
    probe_w[i] = probe_h[i] = 1;
    const int fields =
        sscanf(argv[4 + i], "%d,%d,%d,%d", &probe_x[i], &probe_y[i], &probe_w[i], &probe_h[i]);
    if (fields != 2 && fields != 4) return 2;
  }
  Display* display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "stage_frames: no X display\n");
    return 2;
  }
  XSetErrorHandler(ignore_x_error);
  signal(SIGTERM, on_term);

  unsigned long last[MAX_PROBES] = {0};
  int frames = 0;
  const double start = now_ms();
  while (!g_stop && now_ms() - start < timeout) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) ||
        attributes.map_state != IsViewable)
      break;
    XImage* image = XGetImage(display, window, 0, 0, (unsigned)attributes.width,
                              (unsigned)attributes.height, AllPlanes, ZPixmap);
    if (!image) break;
    int changed = frames == 0;
    for (int i = 0; i < probes; ++i) {
      unsigned long hash = 14695981039346656037UL;  // FNV-1a over the region's pixels
      for (int y = probe_y[i]; y < probe_y[i] + probe_h[i]; ++y)
        for (int x = probe_x[i]; x < probe_x[i] + probe_w[i]; ++x)
          if (x >= 0 && x < image->width && y >= 0 && y < image->height)
            hash = (hash ^ (XGetPixel(image, x, y) & 0xFFFFFF)) * 1099511628211UL;
      if (hash != last[i]) changed = 1;
      last[i] = hash;
    }
    if (changed) {
      char path[4096];
      snprintf(path, sizeof(path), "%s/frame-%03d.ppm", out_dir, frames);
      if (write_ppm(path, image)) {
        fprintf(stderr, "frame-%03d.ppm at %.0f ms\n", frames, now_ms() - start);
        ++frames;
      }
    }
    XDestroyImage(image);
    const struct timespec pause = {0, 3000000};
    nanosleep(&pause, NULL);
  }
  fprintf(stderr, "end at %.0f ms\n", now_ms() - start);
  printf("%d\n", frames);
  XCloseDisplay(display);
  return 0;
}
