#include "tools/OutputReader.h"

#include <poll.h>

bool OutputReaderGone(std::FILE* stream) {
  pollfd p{fileno(stream), 0, 0};
  return p.fd >= 0 && ::poll(&p, 1, 0) == 1 && (p.revents & (POLLERR | POLLHUP)) != 0;
}
