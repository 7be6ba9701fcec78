#include "tools/ToolOutput.h"

#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <stdio_ext.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>

namespace {

struct Output {
  int fd = STDOUT_FILENO;
  int signals = -1;  // a signalfd of the blocked set, only polled
  const sigset_t* set = nullptr;
  int error = 0;  // once a write failed, every later one fails at once
};

Output gOutput;
std::FILE* gStream = nullptr;

// Writes all of `data`, PIPE_BUF bytes at a time once poll finds room (a
// pipe then takes them without blocking); a pending blocked signal ends it.
ssize_t WriteAll(void* cookie, const char* data, size_t size) {
  Output* out = static_cast<Output*>(cookie);
  size_t done = 0;
  while (done < size) {
    if (out->error != 0) {
      errno = out->error;
      return -1;
    }
    pollfd waits[2] = {{out->fd, POLLOUT, 0}, {out->signals, POLLIN, 0}};
    if (::poll(waits, 2, -1) < 0) {
      if (errno != EINTR) out->error = errno;
      continue;
    }
    if ((waits[1].revents & POLLIN) != 0) {
      const timespec none{0, 0};
      sigtimedwait(out->set, nullptr, &none);
      out->error = EINTR;
      continue;
    }
    const size_t chunk = size - done < PIPE_BUF ? size - done : PIPE_BUF;
    const ssize_t n = ::write(out->fd, data + done, chunk);
    if (n < 0 && errno != EINTR && errno != EAGAIN) out->error = errno;
    if (n > 0) done += size_t(n);
  }
  return ssize_t(done);
}

}  // namespace

std::FILE* InterruptibleStandardOutput(const void* signals) {
  std::fflush(stdout);
  gOutput.set = static_cast<const sigset_t*>(signals);
  if (gOutput.signals < 0) gOutput.signals = ::signalfd(-1, gOutput.set, SFD_CLOEXEC | SFD_NONBLOCK);
  cookie_io_functions_t functions{nullptr, WriteAll, nullptr, nullptr};
  gOutput.error = 0;
  if (gStream == nullptr && gOutput.signals >= 0) gStream = ::fopencookie(&gOutput, "w", functions);
  return gStream != nullptr ? gStream : stdout;
}

void EndInterruptibleOutput() {
  if (gStream == nullptr) return;
  if (std::ferror(gStream)) __fpurge(gStream);
  std::fclose(gStream);
  gStream = nullptr;
}

int InterruptibleOutputError() { return gStream != nullptr ? gOutput.error : 0; }

bool StandardOutputReaderGone() {
  pollfd p{STDOUT_FILENO, 0, 0};
  return p.fd >= 0 && ::poll(&p, 1, 0) == 1 && (p.revents & (POLLERR | POLLHUP)) != 0;
}
