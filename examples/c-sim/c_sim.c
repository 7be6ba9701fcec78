/* A simulation in C: lights the lower lamp of every push button that is
 * pushed in, on every panel, by name; 20 times a second for SECONDS seconds
 * (default: until interrupted).  cc c_sim.c $(pkg-config --cflags --libs tarnel-client) */
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <tarnel_client.h>

static volatile sig_atomic_t stop = 0;
static void Stop(int signal) { stop = signal; }

int main(int argc, char** argv) {
  signal(SIGINT, Stop); /* detach on the way out: the user count stays right */
  signal(SIGTERM, Stop);
  const long passes = argc > 1 ? atol(argv[1]) * 20 : -1;
  tarnel_client* sim = NULL;
  if (tarnel_attach(NULL, &sim) != TARNEL_OK) {
    fprintf(stderr, "c-sim: %s\n", tarnel_last_error());
    return 1;
  }
  printf("c-sim: attached\n");
  fflush(stdout);
  for (long pass = 0; !stop && (passes < 0 || pass < passes); pass++) {
    for (size_t i = 0; i < tarnel_field_count(); i++) {
      tarnel_field_info info;
      tarnel_field_describe(tarnel_field_at(i), &info);
      const char* dot = strrchr(info.id, '.');
      if (!info.station_uses || !dot || strcmp(dot, ".position") != 0 || !strstr(info.id, ".button")) continue;
      char lamp[64]; /* fuel.button3.position -> fuel.button3.lower_lamp */
      snprintf(lamp, sizeof lamp, "%.*s.lower_lamp", (int)(dot - info.id), info.id);
      tarnel_field lower;
      double in = 0;
      if (tarnel_find(lamp, NULL, -1, &lower) != TARNEL_OK) continue; /* a single-lamp button */
      tarnel_get(sim, tarnel_field_at(i), &in);
      tarnel_set(sim, lower, in != 0 ? 1 : 0);
    }
    struct timespec pause = {0, 50 * 1000 * 1000};
    nanosleep(&pause, NULL);
  }
  tarnel_detach(sim);
  return 0;
}
