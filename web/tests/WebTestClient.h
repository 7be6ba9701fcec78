// A WebSocket client of the web panel for tests and the benchmark, made with
// the server library's own client functions: it records what arrives.
#pragma once

#include <civetweb.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace web_test {

class WebTestClient {
 public:
  ~WebTestClient() { Close(); }

  // Connects to /ws with the Origin given; a session cookie, when given, is
  // added as one more request header (through the extensions parameter, the
  // only header the library's client lets a caller add).
  bool Connect(int port, const char* origin, const char* sessionId = nullptr) {
    char error[256] = {};
    std::string extensions;
    if (sessionId != nullptr) extensions = std::string("none\r\nCookie: tarnel_session=") + sessionId;
    conn_ = mg_connect_websocket_client_extensions("127.0.0.1", port, 0, error, sizeof error, "/ws", origin,
                                                   sessionId != nullptr ? extensions.c_str() : nullptr, OnData,
                                                   OnClose, this);
    return conn_ != nullptr;
  }
  void Close() {
    if (conn_ != nullptr) {
      mg_close_connection(conn_);
      conn_ = nullptr;
    }
  }
  bool Send(const std::string& text) {
    return conn_ != nullptr &&
           mg_websocket_client_write(conn_, MG_WEBSOCKET_OPCODE_TEXT, text.data(), text.size()) > 0;
  }
  // Waits until the predicate holds (checked under the lock) or the time is up.
  bool WaitFor(const std::function<bool()>& ready, int timeoutMs = 5000) {
    std::unique_lock<std::mutex> lock(lock_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
  }
  std::mutex& Lock() { return lock_; }

  // Under Lock().
  std::vector<std::string> texts;
  std::vector<std::vector<unsigned char>> frames;
  size_t bytes = 0;
  bool closed = false;

 private:
  static int OnData(mg_connection* /*conn*/, int flags, char* data, size_t size, void* user) {
    auto* self = static_cast<WebTestClient*>(user);
    const int opcode = flags & 0x0F;
    {
      std::lock_guard<std::mutex> guard(self->lock_);
      if (opcode == MG_WEBSOCKET_OPCODE_TEXT) self->texts.emplace_back(data, size);
      if (opcode == MG_WEBSOCKET_OPCODE_BINARY) {
        self->frames.emplace_back(data, data + size);
        self->bytes += size;
      }
      if (opcode == MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE) self->closed = true;
    }
    self->changed_.notify_all();
    return 1;
  }
  static void OnClose(const mg_connection* /*conn*/, void* user) {
    auto* self = static_cast<WebTestClient*>(user);
    {
      std::lock_guard<std::mutex> guard(self->lock_);
      self->closed = true;
    }
    self->changed_.notify_all();
  }

  mg_connection* conn_ = nullptr;
  std::mutex lock_;
  std::condition_variable changed_;
};

// One HTTP request; returns the status (0: no answer) and fills the
// Set-Cookie session id when one is given.
inline int HttpRequest(int port, const char* request, std::string* sessionId = nullptr) {
  char error[256] = {};
  mg_connection* conn = mg_download("127.0.0.1", port, 0, error, sizeof error, "%s", request);
  if (conn == nullptr) return 0;
  const mg_response_info* info = mg_get_response_info(conn);
  const int status = info != nullptr ? info->status_code : 0;
  for (int i = 0; info != nullptr && i < info->num_headers; i++) {
    const char* value = info->http_headers[i].value;
    if (sessionId != nullptr && strcasecmp(info->http_headers[i].name, "Set-Cookie") == 0 &&
        std::strncmp(value, "tarnel_session=", 15) == 0) {
      *sessionId = std::string(value + 15, std::strcspn(value + 15, ";"));
    }
  }
  mg_close_connection(conn);
  return status;
}

}  // namespace web_test
