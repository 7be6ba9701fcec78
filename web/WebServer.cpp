#include "web/WebServer.h"

#include <arpa/inet.h>
#include <civetweb.h>
#include <dlfcn.h>
#include <openssl/ssl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <strings.h>

#include "web/WebMessage.h"

namespace web {

namespace {

constexpr char kCookieName[] = "tarnel_session";
constexpr int kOpcodeMask = 0x0F;
constexpr int kFinBit = 0x80;
// A frame buffer larger than this is given back once no client holds it.
constexpr std::size_t kKeepCapacity = 512 * 1024;

int64_t NowUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int RequestTrampoline(mg_connection* conn, void* server) { return static_cast<WebServer*>(server)->OnRequest(conn); }
int ConnectTrampoline(const mg_connection* conn, void* server) {
  return static_cast<WebServer*>(server)->OnWebSocketConnect(conn);
}
void ReadyTrampoline(mg_connection* conn, void* server) { static_cast<WebServer*>(server)->OnWebSocketReady(conn); }
int DataTrampoline(mg_connection* conn, int bits, char* data, size_t size, void* server) {
  return static_cast<WebServer*>(server)->OnWebSocketData(conn, bits, data, size);
}
void CloseTrampoline(const mg_connection* conn, void* server) {
  static_cast<WebServer*>(server)->OnWebSocketClose(conn);
}

int LogMessage(const mg_connection* /*conn*/, const char* message) {
  std::fprintf(stderr, "tarnel: web: %.300s\n", message);
  return 1;
}

// The certificate chain and the key come from two files; the library is
// handed a context that already holds both.
struct TlsFiles {
  const char* cert;
  const char* key;
};
TlsFiles gTlsFiles{nullptr, nullptr};

int InitTls(void* sslContext, void* /*user*/) {
  auto* ctx = static_cast<SSL_CTX*>(sslContext);
  if (gTlsFiles.cert == nullptr || gTlsFiles.key == nullptr ||
      SSL_CTX_use_certificate_chain_file(ctx, gTlsFiles.cert) != 1 ||
      SSL_CTX_use_PrivateKey_file(ctx, gTlsFiles.key, SSL_FILETYPE_PEM) != 1 || SSL_CTX_check_private_key(ctx) != 1) {
    std::fprintf(stderr, "tarnel: web: cannot use the certificate %s with the key %s\n",
                 gTlsFiles.cert != nullptr ? gTlsFiles.cert : "(none)", gTlsFiles.key != nullptr ? gTlsFiles.key : "(none)");
    return -1;
  }
  SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
  return 1;
}

bool ReadSmallFile(const char* folder, const char* name, std::size_t limit, std::vector<char>* out, char* error,
                   std::size_t errorSize) {
  char path[4096];
  std::snprintf(path, sizeof path, "%s/%s", folder, name);
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    std::snprintf(error, errorSize, "cannot read the web page %s", path);
    return false;
  }
  out->assign(limit + 1, '\0');
  const std::size_t got = std::fread(out->data(), 1, limit + 1, file);
  std::fclose(file);
  if (got == 0 || got > limit) {
    std::snprintf(error, errorSize, "the web page %s is empty or larger than %zu bytes", path, limit);
    return false;
  }
  out->resize(got);
  return true;
}

// The server library loads OpenSSL at run time by the name libssl.so and
// calls functions OpenSSL 3 no longer exports (they became macros): a
// missing one is called as a null pointer. TLS is used only where the
// library would find them all.
bool LibraryTlsUsable() {
  void* ssl = dlopen("libssl.so", RTLD_LAZY | RTLD_LOCAL);
  if (ssl == nullptr) return false;
  const bool usable = dlsym(ssl, "SSL_get_peer_certificate") != nullptr;
  dlclose(ssl);
  return usable;
}

bool IsLoopback(const char* address) {
  in_addr a{};
  return inet_pton(AF_INET, address, &a) == 1 && (ntohl(a.s_addr) >> 24) == 127;
}

const char* kSecurityHeaders =
    "Cache-Control: no-store\r\n"
    "X-Content-Type-Options: nosniff\r\n"
    "X-Frame-Options: DENY\r\n"
    "Referrer-Policy: no-referrer\r\n"
    "Content-Security-Policy: default-src 'self'; img-src 'self' blob:; connect-src 'self'; "
    "style-src 'self' 'unsafe-inline'; frame-ancestors 'none'\r\n";

void SendText(mg_connection* conn, int status, const char* reason, const char* text) {
  mg_printf(conn,
            "HTTP/1.1 %d %s\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: %zu\r\n%s"
            "Connection: close\r\n\r\n%s",
            status, reason, std::strlen(text), kSecurityHeaders, text);
}

}  // namespace

bool ParseWebAddress(const char* text, WebOptions* options, char* error, std::size_t errorSize) {
  const char* colon = text != nullptr ? std::strrchr(text, ':') : nullptr;
  const char* portText = colon != nullptr ? colon + 1 : text;
  char address[sizeof options->address];
  if (colon != nullptr) {
    const std::size_t length = std::size_t(colon - text);
    in_addr a{};
    if (length == 0 || length >= sizeof address) {
      std::snprintf(error, errorSize, "--web wants [ADDRESS:]PORT, not '%s'", text);
      return false;
    }
    std::memcpy(address, text, length);
    address[length] = '\0';
    if (inet_pton(AF_INET, address, &a) != 1) {
      std::snprintf(error, errorSize, "--web wants a numeric IPv4 address such as 0.0.0.0, not '%s'", address);
      return false;
    }
  } else {
    std::snprintf(address, sizeof address, "127.0.0.1");
  }
  char* end = nullptr;
  const long port = portText != nullptr ? std::strtol(portText, &end, 10) : -1;
  if (portText == nullptr || end == portText || *end != '\0' || port < 0 || port > 65535) {
    std::snprintf(error, errorSize, "--web wants a port from 0 (any free one) to 65535, not '%s'", text != nullptr ? text : "");
    return false;
  }
  std::snprintf(options->address, sizeof options->address, "%s", address);
  options->port = int(port);
  return true;
}

WebServer::WebServer() = default;

WebServer::~WebServer() { Stop(); }

bool WebServer::Start(const WebOptions& options, char* error, std::size_t errorSize) {
  options_ = options;
  options_.tokenFile = nullptr;
  if (options.maxClients < 1 || options.maxClients > kMaxClients) options_.maxClients = kMaxClients;
  loopbackOnly_ = IsLoopback(options.address);
  if (options.tokenFile != nullptr) {
    if (!token_.Load(options.tokenFile, error, errorSize)) return false;
  } else if (!loopbackOnly_) {
    std::snprintf(error, errorSize,
                  "refusing to serve the panel on %s without --web-token-file: a panel open to the network must "
                  "have an operating token. Give a token file (see docs/web.md), or serve on 127.0.0.1.",
                  options.address);
    return false;
  }
  if ((options.certFile == nullptr) != (options.keyFile == nullptr)) {
    std::snprintf(error, errorSize, "TLS needs both --web-cert and --web-key");
    return false;
  }
  if (options.pageFolder == nullptr || !ReadSmallFile(options.pageFolder, "index.html", kMaxPageSize, &page_, error,
                                                      errorSize) ||
      !ReadSmallFile(options.pageFolder, "tarnel.js", kMaxPageSize, &script_, error, errorSize)) {
    if (options.pageFolder == nullptr) std::snprintf(error, errorSize, "no folder for the web page");
    return false;
  }
  if (!encoder_.Init()) {
    std::snprintf(error, errorSize, "no memory for the picture encoder");
    return false;
  }
  secure_ = options.certFile != nullptr;
  if (secure_ && !LibraryTlsUsable()) {
    std::snprintf(error, errorSize,
                  "TLS is not available: the server library finds an OpenSSL without the functions it calls "
                  "(it would crash on the first connection). Serve plain HTTP on 127.0.0.1 behind a TLS reverse "
                  "proxy instead (see docs/web.md).");
    return false;
  }
  gTlsFiles = TlsFiles{options.certFile, options.keyFile};

  char ports[96];
  std::snprintf(ports, sizeof ports, "%s:%d%s", options_.address, options_.port, secure_ ? "s" : "");
  char threads[16];
  std::snprintf(threads, sizeof threads, "%d", options_.maxClients + 4);
  char timeout[16];
  std::snprintf(timeout, sizeof timeout, "%d", options_.headerTimeoutMs);
  char headerBytes[16];
  std::snprintf(headerBytes, sizeof headerBytes, "%zu", kMaxHeaderBytes);
  const char* config[] = {"listening_ports", ports,
                          "num_threads", threads,
                          "request_timeout_ms", timeout,
                          "max_request_size", headerBytes,
                          "websocket_timeout_ms", "5000",
                          "enable_websocket_ping_pong", "yes",
                          "enable_keep_alive", "no",
                          "enable_directory_listing", "no",
                          nullptr};
  mg_callbacks callbacks = {};
  callbacks.log_message = LogMessage;
  if (secure_) callbacks.init_ssl = InitTls;
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = false;
  }
  for (int i = 0; i < kMaxClients; i++) {
    senders_[i] = std::thread(&WebServer::SenderMain, this, i);
  }
  context_ = mg_start(&callbacks, this, config);
  if (context_ == nullptr) {
    Stop();
    std::snprintf(error, errorSize, "cannot serve on %s port %d (in use, not allowed, or TLS set-up failed)",
                  options_.address, options_.port);
    return false;
  }
  mg_server_port listening[2] = {};
  if (mg_get_server_ports(context_, 2, listening) > 0) port_ = listening[0].port;
  mg_set_request_handler(context_, "/", RequestTrampoline, this);
  mg_set_websocket_handler(context_, "/ws", ConnectTrampoline, ReadyTrampoline, DataTrampoline, CloseTrampoline,
                           this);
  return true;
}

void WebServer::Stop() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& sender : senders_) {
    if (sender.joinable()) sender.join();
  }
  if (context_ != nullptr) {
    mg_stop(context_);
    context_ = nullptr;
  }
}

bool WebServer::HostAllowed(const char* host) const {
  if (host == nullptr || host[0] == '\0') return false;
  // With a token, operating needs the session cookie, which a browser never
  // sends to another site's name: any name may reach the station (a reverse
  // proxy passes its own). Without one, a station on loopback answers to
  // loopback names only, so that a page from another site reaching it
  // through a name of its own (DNS rebinding) cannot even watch.
  if (!loopbackOnly_ || token_.IsSet()) return true;
  char name[128];
  std::size_t n = 0;
  if (host[0] == '[') {
    while (host[n] != '\0' && host[n] != ']' && n + 1 < sizeof name) {
      name[n] = host[n];
      n++;
    }
    if (host[n] == ']' && n + 1 < sizeof name) name[n] = host[n], n++;
  } else {
    while (host[n] != '\0' && host[n] != ':' && n + 1 < sizeof name) {
      name[n] = host[n];
      n++;
    }
  }
  name[n] = '\0';
  return strcasecmp(name, "localhost") == 0 || std::strcmp(name, "[::1]") == 0 || IsLoopback(name);
}

bool WebServer::OriginMatches(const mg_connection* conn) const {
  auto* c = const_cast<mg_connection*>(conn);
  const char* origin = mg_get_header(c, "Origin");
  const char* host = mg_get_header(c, "Host");
  if (origin == nullptr || host == nullptr || !HostAllowed(host)) return false;
  const char* rest = nullptr;
  if (strncasecmp(origin, "http://", 7) == 0) rest = origin + 7;
  if (strncasecmp(origin, "https://", 8) == 0) rest = origin + 8;
  return rest != nullptr && strcasecmp(rest, host) == 0;
}

bool WebServer::SessionCookieValid(const mg_connection* conn) const {
  const char* cookies = mg_get_header(const_cast<mg_connection*>(conn), "Cookie");
  char id[WebSessions::kIdLength + 2];
  const int length = cookies != nullptr ? mg_get_cookie(cookies, kCookieName, id, sizeof id) : -1;
  return length > 0 && sessions_.Contains(id, std::size_t(length));
}

int WebServer::ServeFile(mg_connection* conn, const std::vector<char>& body, const char* type) {
  mg_printf(conn, "HTTP/1.1 200 OK\r\nContent-Type: %s\r\nContent-Length: %zu\r\n%sConnection: close\r\n\r\n", type,
            body.size(), kSecurityHeaders);
  mg_write(conn, body.data(), body.size());
  return 200;
}

int WebServer::ServeLogin(mg_connection* conn, const char* token, std::size_t size, bool redirect) {
  if (!token_.IsSet()) {
    SendText(conn, 403, "Forbidden", "This station has no operating token: every browser may only watch.\n");
    return 403;
  }
  bool right = false;
  {
    // One wrong guess a second at most, whoever makes it.
    std::lock_guard<std::mutex> guard(loginLock_);
    const int64_t now = NowUs();
    if (now - lastFailedLoginUs_ < 1000000) {
      SendText(conn, 429, "Too Many Requests", "Wait a second before trying another token.\n");
      return 429;
    }
    right = token_.Matches(token, size);
    if (!right) lastFailedLoginUs_ = now;
  }
  if (!right) {
    SendText(conn, 403, "Forbidden", "Wrong token.\n");
    return 403;
  }
  char id[WebSessions::kIdLength + 1];
  if (!sessions_.Create(id)) {
    SendText(conn, 500, "Internal Server Error", "No random bytes for a session.\n");
    return 500;
  }
  mg_printf(conn,
            "HTTP/1.1 %s\r\nSet-Cookie: %s=%s; Path=/; HttpOnly; SameSite=Strict%s\r\n%s%sContent-Length: 0\r\n"
            "Connection: close\r\n\r\n",
            redirect ? "303 See Other" : "204 No Content", kCookieName, id, secure_ ? "; Secure" : "",
            redirect ? "Location: /\r\n" : "", kSecurityHeaders);
  return redirect ? 303 : 204;
}

void WebServer::SetControlMap(const char* json, std::size_t size) {
  if (controlsReady_.load()) return;
  controls_.assign(json, json + size);
  controlsReady_.store(true, std::memory_order_release);
}

int WebServer::OnRequest(mg_connection* conn) {
  const mg_request_info* info = mg_get_request_info(conn);
  if (info == nullptr || info->local_uri == nullptr || info->request_method == nullptr) return 0;
  if (!HostAllowed(mg_get_header(conn, "Host"))) {
    SendText(conn, 403, "Forbidden", "Unknown host name.\n");
    return 403;
  }
  const char* uri = info->local_uri;
  const bool get = std::strcmp(info->request_method, "GET") == 0;
  const bool post = std::strcmp(info->request_method, "POST") == 0;
  if (get && (std::strcmp(uri, "/") == 0 || std::strcmp(uri, "/index.html") == 0)) {
    char token[WebToken::kMaxLength + 2];
    const char* query = info->query_string;
    const int length = query != nullptr ? mg_get_var(query, std::strlen(query), "token", token, sizeof token) : -1;
    if (length >= 0 || length == -2) {
      return ServeLogin(conn, token, length >= 0 ? std::size_t(length) : 0, true);
    }
    return ServeFile(conn, page_, "text/html; charset=utf-8");
  }
  if (get && std::strcmp(uri, "/tarnel.js") == 0) return ServeFile(conn, script_, "text/javascript; charset=utf-8");
  if (get && std::strcmp(uri, "/controls.json") == 0) {
    static const std::vector<char> kNone{'[', ']'};
    return ServeFile(conn, controlsReady_.load(std::memory_order_acquire) ? controls_ : kNone, "application/json");
  }
  if (post && std::strcmp(uri, "/login") == 0) {
    char body[kMaxLoginBody + 1];
    std::size_t got = 0;
    if (info->content_length < 0 || info->content_length > int64_t(kMaxLoginBody)) {
      SendText(conn, 413, "Payload Too Large", "The login form needs a length of at most 512 bytes.\n");
      return 413;
    }
    while (got < std::size_t(info->content_length)) {
      const int n = mg_read(conn, body + got, std::size_t(info->content_length) - got);
      if (n <= 0) break;
      got += std::size_t(n);
    }
    char token[WebToken::kMaxLength + 2];
    const int length = mg_get_var(body, got, "token", token, sizeof token);
    return ServeLogin(conn, token, length >= 0 ? std::size_t(length) : 0, false);
  }
  if (get && std::strcmp(uri, "/ws") == 0) {
    SendText(conn, 400, "Bad Request", "WebSocket only.\n");
    return 400;
  }
  SendText(conn, 404, "Not Found", "Not found.\n");
  return 404;
}

int WebServer::OnWebSocketConnect(const mg_connection* conn) {
  if (!OriginMatches(conn)) return 1;
  const bool operate = token_.IsSet() && SessionCookieValid(conn);
  const mg_request_info* info = mg_get_request_info(conn);
  std::lock_guard<std::mutex> guard(lock_);
  if (stopping_) return 1;
  int taken = 0;
  for (const WebSession& s : slots_) taken += s.taken ? 1 : 0;
  if (taken >= options_.maxClients) return 1;
  for (WebSession& s : slots_) {
    if (s.taken) continue;
    s.taken = true;
    s.active = false;
    s.dead = false;
    s.operate = operate;
    s.needsWhole = true;
    s.generation++;
    s.conn = const_cast<mg_connection*>(conn);
    std::snprintf(s.address, sizeof s.address, "%s", info != nullptr ? info->remote_addr : "?");
    s.allowance = options_.eventsPerSecond;
    s.lastRefillUs = NowUs();
    s.dropped = 0;
    s.head = 0;
    s.count = 0;
    s.noticePending = false;
    mg_set_user_connection_data(conn, &s);
    return 0;
  }
  return 1;
}

void WebServer::OnWebSocketReady(mg_connection* conn) {
  auto* session = static_cast<WebSession*>(mg_get_user_connection_data(conn));
  if (session == nullptr) return;
  char hello[128];
  std::snprintf(hello, sizeof hello, "\"operate\":%s,\"width\":%d,\"height\":%d", session->operate ? "true" : "false",
                options_.pictureWidth, options_.pictureHeight);
  {
    std::lock_guard<std::mutex> guard(lock_);
    session->active = true;
    QueueNotice(*session, "hello", hello);
    clients_++;
  }
  wake_.notify_all();
}

int WebServer::OnWebSocketData(mg_connection* conn, int bits, char* data, std::size_t size) {
  auto* session = static_cast<WebSession*>(mg_get_user_connection_data(conn));
  const int opcode = bits & kOpcodeMask;
  if (opcode == MG_WEBSOCKET_OPCODE_PING || opcode == MG_WEBSOCKET_OPCODE_PONG) return 1;
  // Text messages in one frame only; anything else ends the connection.
  if (session == nullptr || opcode != MG_WEBSOCKET_OPCODE_TEXT || (bits & kFinBit) == 0 || size > kMaxClientMessage) {
    return 0;
  }
  PointerEvent event;
  char reason[64];
  if (!DecodeClientMessage(data, size, options_.pictureWidth, options_.pictureHeight, &event, reason, sizeof reason)) {
    return 0;
  }
  const int slot = int(session - slots_);
  std::unique_lock<std::mutex> lk(lock_);
  if (session->dead) return 0;  // its frames can no longer be written
  if (!session->operate) {
    if (event.action == PointerAction::Down || event.action == PointerAction::RightDown) {
      QueueNotice(*session, "refused", "\"reason\":\"watching only: present the token to operate\"");
      lk.unlock();
      wake_.notify_all();
    }
    return 1;
  }
  const int64_t now = NowUs();
  const double rate = options_.eventsPerSecond;
  session->allowance += double(now - session->lastRefillUs) * rate / 1e6;
  if (session->allowance > rate) session->allowance = rate;
  session->lastRefillUs = now;
  const bool release = event.action == PointerAction::Up || event.action == PointerAction::RightUp;
  if (session->allowance < 1.0 && !release) {
    // Over the rate: the event is dropped; a sustained flood ends the connection.
    if (session->dropped++ == 0) {
      QueueNotice(*session, "refused", "\"reason\":\"too many pointer events\"");
      lk.unlock();
      wake_.notify_all();
    }
    return session->dropped > 4 * options_.eventsPerSecond ? 0 : 1;
  }
  session->allowance -= 1.0;
  session->dropped = 0;
  event.client = uint8_t(slot);
  event.generation = session->generation;
  lk.unlock();
  if (!pointer_.Push(event)) {
    std::lock_guard<std::mutex> guard(lock_);
    QueueNotice(*session, "refused", "\"reason\":\"the station is busy\"");
  }
  wake_.notify_all();
  return 1;
}

void WebServer::OnWebSocketClose(const mg_connection* conn) {
  auto* session = static_cast<WebSession*>(mg_get_user_connection_data(conn));
  if (session == nullptr) return;
  std::unique_lock<std::mutex> lk(lock_);
  if (session->active) clients_--;
  session->active = false;
  session->dead = true;
  // The sender may be writing to this connection: wait for it to finish.
  wake_.wait(lk, [&] { return !session->sending; });
  DropQueue(*session);
  session->noticePending = false;
  session->conn = nullptr;
  session->taken = false;
  session->generation++;
}

void WebServer::QueueNotice(WebSession& session, const char* kind, const char* text) {
  std::snprintf(session.notice, sizeof session.notice, "{\"type\":\"%s\"%s%s}", kind, text[0] != '\0' ? "," : "",
                text);
  session.noticePending = true;
}

void WebServer::Tell(const PointerEvent& event, const char* kind, const char* text) {
  if (event.client >= kMaxClients) return;
  {
    std::lock_guard<std::mutex> guard(lock_);
    WebSession& s = slots_[event.client];
    if (!s.active || s.generation != event.generation) return;
    QueueNotice(s, kind, text);
  }
  wake_.notify_all();
}

void WebServer::ClientAddress(const PointerEvent& event, char* out, std::size_t size) const {
  std::lock_guard<std::mutex> guard(lock_);
  const bool known = event.client < kMaxClients && slots_[event.client].taken &&
                     slots_[event.client].generation == event.generation;
  std::snprintf(out, size, "%s", known ? slots_[event.client].address : "?");
}

bool WebServer::IsConnected(const PointerEvent& event) const {
  std::lock_guard<std::mutex> guard(lock_);
  return event.client < kMaxClients && slots_[event.client].active &&
         slots_[event.client].generation == event.generation;
}

int WebServer::TakeFrameSlot() {
  for (int pass = 0; pass < 2; pass++) {
    for (int i = 0; i < kFrameSlots; i++) {
      if (frameRefs_[i] == 0) return i;
    }
    // Every buffer is held: the clients' queues give theirs up and those
    // clients start again from a whole picture.
    for (WebSession& s : slots_) {
      if (s.count > 0) {
        DropQueue(s);
        s.needsWhole = true;
      }
    }
  }
  return -1;  // cannot happen: only the frames being written remain held
}

void WebServer::DropQueue(WebSession& session) {
  while (session.count > 0) {
    frameRefs_[session.queue[session.head]]--;
    session.head = (session.head + 1) % WebSession::kQueuedFrames;
    session.count--;
  }
}

void WebServer::Enqueue(WebSession& session, int slot) {
  session.queue[(session.head + session.count) % WebSession::kQueuedFrames] = slot;
  session.count++;
  frameRefs_[slot]++;
}

bool WebServer::RefreshTiles(const platform::DrawSurface& surface) {
  if (tileWidth_ != surface.Width() || tileHeight_ != surface.Height()) {
    tileWidth_ = surface.Width();
    tileHeight_ = surface.Height();
    for (int row = 0; row < kTileRows; row++) {
      for (int column = 0; column < kTileColumns; column++) {
        tileRects_[row * kTileColumns + column] =
            platform::Rect{tileWidth_ * column / kTileColumns, tileHeight_ * row / kTileRows,
                           tileWidth_ * (column + 1) / kTileColumns, tileHeight_ * (row + 1) / kTileRows};
      }
    }
    for (bool& current : tileCurrent_) current = false;
  }
  const int64_t start = NowUs();
  const bool unlimited = ++wholeWaitPasses_ > kMaxWholeWaitPasses;
  bool all = true;
  for (int i = 0; i < kTiles; i++) {
    if (tileCurrent_[i] || tileRects_[i].IsEmpty()) continue;
    if (!unlimited && double(NowUs() - start) / 1000.0 >= kTileBudgetMs) {
      all = false;
      break;
    }
    char error[160];
    tilePngs_[i].clear();
    tileCurrent_[i] = encoder_.EncodePng(surface, tileRects_[i], &tilePngs_[i], error, sizeof error);
    if (!tileCurrent_[i]) {
      std::fprintf(stderr, "tarnel: web: %s\n", error);
      all = false;
      break;
    }
  }
  if (all) wholeWaitPasses_ = 0;
  return all;
}

void WebServer::PublishPass(const platform::DrawSurface& surface, const platform::DamageList& damage) {
  if (clients_.load(std::memory_order_relaxed) == 0) {
    // Changes are not followed without browsers: every tile is stale.
    for (bool& current : tileCurrent_) current = false;
    return;
  }
  for (int d = 0; d < damage.Count(); d++) {
    for (int i = 0; i < kTiles; i++) {
      if (!platform::Intersect(damage.Rects()[d], tileRects_[i]).IsEmpty()) tileCurrent_[i] = false;
    }
  }
  bool wantWhole = false;
  bool wantDamage = false;
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (const WebSession& s : slots_) {
      if (!s.active || s.dead) continue;
      if (s.needsWhole) wantWhole = true;
      else wantDamage = true;
    }
  }
  wantDamage = wantDamage && !damage.IsEmpty();
  if (!wantWhole && !wantDamage) return;
  const int64_t start = NowUs();
  char error[160];
  bool haveDamage = false;
  bool haveWhole = false;
  if (wantDamage) {
    haveDamage = encoder_.Encode(surface, damage.Rects(), damage.Count(), false, &damageFrame_, error, sizeof error);
    if (!haveDamage) std::fprintf(stderr, "tarnel: web: %s\n", error);
  }
  if (wantWhole && RefreshTiles(surface)) {
    web::FrameEncoder::Assemble(tileRects_, tilePngs_, kTiles, true, &wholeFrame_);
    haveWhole = true;
  }
  lastEncodeMs_ = double(NowUs() - start) / 1000.0;
  {
    std::lock_guard<std::mutex> guard(lock_);
    int wholeSlot = -1;
    int damageSlot = -1;
    if (haveWhole && (wholeSlot = TakeFrameSlot()) >= 0) frames_[wholeSlot].swap(wholeFrame_);
    if (haveDamage && (damageSlot = TakeFrameSlot()) >= 0) frames_[damageSlot].swap(damageFrame_);
    for (WebSession& s : slots_) {
      if (!s.active || s.dead) continue;
      if (s.needsWhole) {
        if (wholeSlot >= 0) {
          DropQueue(s);
          Enqueue(s, wholeSlot);
          s.needsWhole = false;
        }
      } else if (damageSlot >= 0) {
        if (s.count == WebSession::kQueuedFrames) {
          // Cannot keep up: its frames go, and it starts again later.
          DropQueue(s);
          s.needsWhole = true;
          framesDropped_++;
        } else {
          Enqueue(s, damageSlot);
        }
      }
    }
  }
  wake_.notify_all();
}

void WebServer::SenderMain(int index) {
  WebSession& s = slots_[index];
  char notice[sizeof s.notice];
  std::unique_lock<std::mutex> lk(lock_);
  while (true) {
    wake_.wait(lk, [&] { return stopping_ || (s.active && !s.dead && (s.count > 0 || s.noticePending)); });
    if (stopping_) break;
    mg_connection* conn = s.conn;
    s.sending = true;
    int written = 0;
    std::size_t size = 0;
    if (s.noticePending) {
      std::memcpy(notice, s.notice, sizeof notice);
      s.noticePending = false;
      lk.unlock();
      size = std::strlen(notice);
      written = mg_websocket_write(conn, MG_WEBSOCKET_OPCODE_TEXT, notice, size);
      lk.lock();
    } else {
      const int slot = s.queue[s.head];
      s.head = (s.head + 1) % WebSession::kQueuedFrames;
      s.count--;
      s.inFlight = slot;
      // The buffer is not changed while it is held (frameRefs_ counts this write).
      const std::vector<uint8_t>& frame = frames_[slot];
      size = frame.size();
      lk.unlock();
      written = mg_websocket_write(conn, MG_WEBSOCKET_OPCODE_BINARY, reinterpret_cast<const char*>(frame.data()), size);
      lk.lock();
      s.inFlight = -1;
      if (--frameRefs_[slot] == 0 && frames_[slot].capacity() > kKeepCapacity) {
        std::vector<uint8_t>().swap(frames_[slot]);
      }
    }
    s.sending = false;
    if (written <= 0) {
      // A client that does not take its frames within the time limit is cut off.
      s.dead = true;
      DropQueue(s);
    } else {
      bytesSent_ += size;
    }
    wake_.notify_all();
  }
}

}  // namespace web
