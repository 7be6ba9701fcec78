// libFuzzer target: raw bytes sent to the running web server on loopback,
// through the library's request parsing into the station's handlers
// (page, login, control map, WebSocket upgrade and messages).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/FilePath.h"
#include "web/WebServer.h"

namespace {

web::WebServer* Server() {
  static web::WebServer* server = [] {
    static char tokenPath[] = "/tmp/tarnel-fuzz-tokenXXXXXX";
    const int fd = ::mkstemp(tokenPath);
    if (fd < 0 || ::write(fd, "fuzz-token-123\n", 15) != 15) std::abort();
    ::close(fd);
    static char pageFolder[4096];
    std::snprintf(pageFolder, sizeof pageFolder, "%sweb", platform::ProgramFolder());
    web::WebOptions options;
    options.pageFolder = pageFolder;
    options.tokenFile = tokenPath;
    options.headerTimeoutMs = 2000;
    static web::WebServer s;
    char error[512];
    if (!s.Start(options, error, sizeof error)) {
      std::fprintf(stderr, "WebRequestFuzz: %s\n", error);
      std::abort();
    }
    ::unlink(tokenPath);
    static const char kMap[] = "[]";
    s.SetControlMap(kMap, 2);
    return &s;
  }();
  return server;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  web::WebServer* server = Server();
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return 0;
  timeval limit{2, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(uint16_t(server->Port()));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    size_t sent = 0;
    while (sent < size) {
      const ssize_t n = ::send(fd, data + sent, size - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += size_t(n);
    }
    ::shutdown(fd, SHUT_WR);
    char answer[4096];
    while (::recv(fd, answer, sizeof answer, 0) > 0) {
    }
  }
  ::close(fd);
  // The loop's side drains what an upgraded connection may have sent.
  web::PointerEvent events[64];
  server->DrainPointer(events, 64);
  return 0;
}
