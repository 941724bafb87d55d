/* The far end of the serial line, seen from outside a program: plays one base
 * with one terminal on a pseudo-terminal master, echoes every test packet and
 * times how long the program takes to send the next one (from the echo's
 * write returning to the first byte of the next packet read).
 *
 *   peer floor N                  the floor: a second small process on the
 *                                 slave answers each message at once
 *   peer run N -- PROGRAM ARGS    runs PROGRAM with TESSARO_COM1 set to the
 *                                 slave (an argument "{}" becomes its path),
 *                                 answers its discovery, times N echoes after
 *                                 a warm-up, then ends it
 *
 * Prints one line: "p50 <us> p99 <us> max <us> n <count>".
 */

#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

enum { kWarmUp = 300, kStartLimitMs = 60000, kReplyLimitMs = 5000 };

static double NowUs(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec * 1e6 + (double)t.tv_nsec / 1e3;
}

static int CompareDoubles(const void* a, const void* b) {
  const double x = *(const double*)a;
  const double y = *(const double*)b;
  return (x > y) - (x < y);
}

static void Report(double* us, int n) {
  if (n == 0) {
    printf("p50 0 p99 0 max 0 n 0\n");
    return;
  }
  qsort(us, (size_t)n, sizeof *us, CompareDoubles);
  printf("p50 %.1f p99 %.1f max %.1f n %d\n", us[n / 2], us[(n * 99) / 100], us[n - 1], n);
}

static int WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    const ssize_t w = write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return -1;
    p += w;
    n -= (size_t)w;
  }
  return 0;
}

static void MakeRaw(int fd) {
  struct termios t;
  if (tcgetattr(fd, &t) != 0) return;
  cfmakeraw(&t);
  tcsetattr(fd, TCSANOW, &t);
}

/* Bytes read so far, and the "\r"-ended messages taken off their front. */
struct Line {
  int fd;
  char buffer[8192];
  size_t length;
};

/* Waits up to limitMs for bytes; 1 when some came, 0 on time-out, -1 on end. */
static int ReadSome(struct Line* line, int limitMs) {
  struct pollfd p = {line->fd, POLLIN, 0};
  const int ready = poll(&p, 1, limitMs);
  if (ready == 0) return 0;
  if (ready < 0) return errno == EINTR ? 0 : -1;
  if (line->length == sizeof line->buffer) line->length = 0; /* no "\r" in 8 KiB: drop */
  const ssize_t n = read(line->fd, line->buffer + line->length, sizeof line->buffer - line->length);
  if (n <= 0) return -1;
  line->length += (size_t)n;
  return 1;
}

/* Copies the first whole message into `out` (with its "\r"); its length, or 0. */
static size_t NextMessage(struct Line* line, char* out, size_t size) {
  char* end = memchr(line->buffer, '\r', line->length);
  if (end == NULL) return 0;
  const size_t n = (size_t)(end - line->buffer) + 1;
  const size_t kept = n < size ? n : size;
  memcpy(out, line->buffer, kept);
  memmove(line->buffer, line->buffer + n, line->length - n);
  line->length -= n;
  return kept;
}

static int OpenMaster(char* slavePath, size_t size) {
  const int fd = posix_openpt(O_RDWR | O_NOCTTY);
  if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0) return -1;
  snprintf(slavePath, size, "%s", ptsname(fd));
  return fd;
}

/* A test packet of the size the program sends: "@DT" tt ssss payload "\r". */
static const char kPacket[] = "@DT010001ABCDEFGHIJ\r";

static int Floor(int count) {
  char slave[64];
  const int master = OpenMaster(slave, sizeof slave);
  if (master < 0) return 1;
  const pid_t child = fork();
  if (child == 0) {
    const int fd = open(slave, O_RDWR | O_NOCTTY);
    if (fd < 0) _exit(1);
    MakeRaw(fd);
    struct Line line = {fd, {0}, 0};
    char m[256];
    for (;;) {
      if (ReadSome(&line, -1) < 0) _exit(0);
      size_t n;
      while ((n = NextMessage(&line, m, sizeof m)) > 0) {
        if (WriteAll(fd, kPacket, sizeof kPacket - 1) != 0) _exit(0);
      }
    }
  }
  /* The slave is raw once it answers the first message. */
  struct Line line = {master, {0}, 0};
  double* us = calloc((size_t)count, sizeof *us);
  int timed = 0;
  char m[256];
  for (int i = 0; i < kWarmUp + count; ++i) {
    if (WriteAll(master, kPacket, sizeof kPacket - 1) != 0) break;
    const double sent = NowUs();
    if (ReadSome(&line, kReplyLimitMs) <= 0) break;
    if (i >= kWarmUp) us[timed++] = NowUs() - sent;
    while (NextMessage(&line, m, sizeof m) == 0) {
      if (ReadSome(&line, kReplyLimitMs) <= 0) break;
    }
  }
  kill(child, SIGTERM);
  waitpid(child, NULL, 0);
  Report(us, timed);
  return timed == count ? 0 : 1;
}

/* Answers what the program asks while it discovers the network: one base
 * (number 1) with one terminal (number 1). */
static void AnswerQuery(int fd, const char* m, size_t n) {
  char answer[32];
  int length = 0;
  if (n >= 4 && memcmp(m, "@AT", 3) == 0) {
    length = snprintf(answer, sizeof answer, "@TM00\r");
  } else if (n >= 4 && memcmp(m, "@BS", 3) == 0) {
    length = snprintf(answer, sizeof answer, "@BS0111\r");
  } else if (n >= 6 && memcmp(m, "@TM", 3) == 0) {
    length = snprintf(answer, sizeof answer, "@TM0101\r");
  } else if (n == 7 && (memcmp(m, "@CH", 3) == 0 || memcmp(m, "@GP", 3) == 0 ||
                        memcmp(m, "@PW", 3) == 0 || memcmp(m, "@ME", 3) == 0)) {
    length = snprintf(answer, sizeof answer, "@%c%c%c%c0%c\r", m[1], m[2], m[3], m[4],
                      m[5] == '0' ? '1' : m[5]);
  } else if (n == 8 && memcmp(m, "@TO", 3) == 0) {
    length = snprintf(answer, sizeof answer, "@TO%c%c0010\r", m[3], m[4]);
  }
  if (length > 0) WriteAll(fd, answer, (size_t)length);
}

static int Run(int count, char** argv) {
  char slave[64];
  const int master = OpenMaster(slave, sizeof slave);
  if (master < 0) return 1;
  /* Held open so that the master never reads an end while the program
   * reopens the device. */
  const int keep = open(slave, O_RDWR | O_NOCTTY);
  MakeRaw(keep);
  setenv("TESSARO_COM1", slave, 1);
  for (char** a = argv; *a != NULL; ++a) {
    if (strcmp(*a, "{}") == 0) *a = slave;
  }
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[0], argv);
    fprintf(stderr, "peer: cannot run %s: %s\n", argv[0], strerror(errno));
    _exit(127);
  }
  struct Line line = {master, {0}, 0};
  double* us = calloc((size_t)count, sizeof *us);
  int echoes = 0;
  int timed = 0;
  double echoed = 0;
  int limit = kStartLimitMs;
  char m[512];
  char echo[520];
  while (timed < count) {
    const int got = ReadSome(&line, limit);
    if (got <= 0) {
      fprintf(stderr, "peer: %s after %d echoes\n", got == 0 ? "no packet" : "the line ended",
              echoes);
      break;
    }
    const double arrived = NowUs();
    size_t n;
    while ((n = NextMessage(&line, m, sizeof m)) > 0) {
      if (n < 6 || memcmp(m, "@DT", 3) != 0) {
        AnswerQuery(master, m, n);
        continue;
      }
      /* A test packet "@DT" tt ...: the terminal's echo comes back through
       * base 1 as "@DT" 01 tt .... */
      if (echoes > kWarmUp) us[timed++] = arrived - echoed;
      if (timed == count) break;
      memcpy(echo, "@DT01", 5);
      memcpy(echo + 5, m + 3, n - 3);
      if (WriteAll(master, echo, n + 2) != 0) break;
      echoed = NowUs();
      ++echoes;
      limit = kReplyLimitMs;
    }
  }
  kill(child, SIGTERM);
  for (int i = 0; i < 200 && waitpid(child, NULL, WNOHANG) == 0; ++i) usleep(10000);
  kill(child, SIGKILL);
  waitpid(child, NULL, 0);
  close(keep);
  Report(us, timed);
  return timed == count ? 0 : 1;
}

int main(int argc, char** argv) {
  if (argc >= 3 && strcmp(argv[1], "floor") == 0) return Floor(atoi(argv[2]));
  if (argc >= 5 && strcmp(argv[1], "run") == 0 && strcmp(argv[3], "--") == 0) {
    return Run(atoi(argv[2]), argv + 4);
  }
  fprintf(stderr,
          "Usage: peer floor N\n"
          "       peer run N -- PROGRAM ARGS  (\"{}\" in ARGS becomes the device)\n");
  return 2;
}
