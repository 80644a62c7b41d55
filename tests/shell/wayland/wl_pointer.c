/* Moves and clicks the pointer of a wlroots compositor, as a person with a mouse would.
 *   wl_pointer click X Y         press and release the left button at (X, Y)
 *   wl_pointer rightclick X Y    the same with the right button
 *   wl_pointer drag X Y X2 Y2    press at (X, Y), move to (X2, Y2) in steps, release
 *   wl_pointer move X Y          only move there
 * Coordinates are in the layout of a single output of WIDTHxHEIGHT (WL_POINTER_EXTENT,
 * default 1280x1024). */
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "virtual-pointer-client-protocol.h"

static struct zwlr_virtual_pointer_manager_v1* manager;
static unsigned width = 1280, height = 1024;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  (void)data;
  (void)version;
  if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
    manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
}

static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
  (void)data;
  (void)registry;
  (void)name;
}

static const struct wl_registry_listener listener = {global, global_remove};

static uint32_t now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

static void pause_ms(long ms) {
  struct timespec t = {ms / 1000, (ms % 1000) * 1000000};
  nanosleep(&t, NULL);
}

static void move_to(struct wl_display* display, struct zwlr_virtual_pointer_v1* pointer, unsigned x, unsigned y) {
  zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), x, y, width, height);
  zwlr_virtual_pointer_v1_frame(pointer);
  wl_display_roundtrip(display);
  pause_ms(60);
}

static void button(struct wl_display* display, struct zwlr_virtual_pointer_v1* pointer, int pressed, unsigned code) {
  zwlr_virtual_pointer_v1_button(pointer, now_ms(), code,
                                 pressed ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
  zwlr_virtual_pointer_v1_frame(pointer);
  wl_display_roundtrip(display);
  pause_ms(60);
}

int main(int argc, char** argv) {
  const char* extent = getenv("WL_POINTER_EXTENT");
  if (extent && sscanf(extent, "%ux%u", &width, &height) != 2) return 2;
  if (argc < 4) {
    fprintf(stderr, "usage: wl_pointer click|rightclick|move X Y | drag X Y X2 Y2\n");
    return 2;
  }
  struct wl_display* display = wl_display_connect(NULL);
  if (!display) {
    fprintf(stderr, "wl_pointer: no Wayland display\n");
    return 1;
  }
  struct wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &listener, NULL);
  wl_display_roundtrip(display);
  if (!manager) {
    fprintf(stderr, "wl_pointer: the compositor offers no virtual pointer\n");
    return 1;
  }
  struct zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, NULL);
  const unsigned x = (unsigned)atoi(argv[2]), y = (unsigned)atoi(argv[3]);
  move_to(display, pointer, x, y);
  if (strcmp(argv[1], "click") == 0 || strcmp(argv[1], "rightclick") == 0) {
    const unsigned code = argv[1][0] == 'r' ? BTN_RIGHT : BTN_LEFT;
    button(display, pointer, 1, code);
    button(display, pointer, 0, code);
  } else if (strcmp(argv[1], "drag") == 0 && argc >= 6) {
    const int x2 = atoi(argv[4]), y2 = atoi(argv[5]);
    button(display, pointer, 1, BTN_LEFT);
    for (int step = 1; step <= 10; ++step)
      move_to(display, pointer, (unsigned)((int)x + ((x2 - (int)x) * step) / 10),
              (unsigned)((int)y + ((y2 - (int)y) * step) / 10));
    button(display, pointer, 0, BTN_LEFT);
  } else if (strcmp(argv[1], "move") != 0) {
    return 2;
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
