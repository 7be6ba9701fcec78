// The station's web panel: an HTTP and WebSocket server (civetweb) that
// serves the page, hands every browser the picture and takes pointer input
// from browsers that may operate.
//
// Threads: the library's threads serve requests and read WebSocket
// messages; one sender thread per client slot writes that client's frames.
// None of them touches a panel or shared memory. The station's loop thread
// calls the "loop side" methods only: it encodes each pass's changed
// rectangles once (PublishPass) and drains the pointer events (DrainPointer).
// Frames wait in a fixed pool of buffers; each client has a short queue of
// them, and a client whose queue is full loses it and gets a whole picture
// once it can take one.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Graphics.h"
#include "web/FrameEncoder.h"
#include "web/PointerQueue.h"
#include "web/WebToken.h"

struct mg_context;
struct mg_connection;

namespace web {

struct WebOptions {
  char address[64] = "127.0.0.1";
  int port = 0;                     // 0: any free port (see Port)
  const char* tokenFile = nullptr;  // operating token; none: every browser only watches
  const char* certFile = nullptr;   // TLS: certificate chain and private key (PEM)
  const char* keyFile = nullptr;
  const char* pageFolder = nullptr;  // holds index.html and tarnel.js
  int pictureWidth = 1880;
  int pictureHeight = 1300;
  int maxClients = 16;
  int eventsPerSecond = 60;  // pointer events per second and client (burst of as many)
  int headerTimeoutMs = 10000;
};

// Parses "[ADDR:]PORT" (ADDR a numeric IPv4 address; default 127.0.0.1;
// port 0: any free port, printed at start).
bool ParseWebAddress(const char* text, WebOptions* options, char* error, std::size_t errorSize);

// One browser's place in the server (a fixed slot).
struct WebSession {
  static constexpr int kQueuedFrames = 8;
  mg_connection* conn = nullptr;
  bool taken = false;    // between the upgrade and the close
  bool active = false;   // ready: frames may be sent
  bool operate = false;  // presented the token
  bool dead = false;     // a write failed: nothing more is sent
  bool needsWhole = true;
  uint32_t generation = 0;
  char address[64] = {};
  // Pointer events allowed (a bucket refilled at eventsPerSecond).
  double allowance = 0;
  int64_t lastRefillUs = 0;
  int dropped = 0;  // events refused in a row for the rate
  // Frames waiting (pool slots), oldest first; the one being written.
  int queue[kQueuedFrames] = {};
  int head = 0;
  int count = 0;
  int inFlight = -1;
  bool sending = false;
  char notice[160] = {};
  bool noticePending = false;
};

class WebServer {
 public:
  static constexpr int kMaxClients = 16;
  static constexpr int kFrameSlots = 64;
  static constexpr std::size_t kMaxPageSize = 256 * 1024;
  static constexpr std::size_t kMaxHeaderBytes = 8192;
  static constexpr std::size_t kMaxLoginBody = 512;
  // The whole picture is kept as tiles of encoded PNGs: a tile is encoded
  // again only after a pass changed it, and a few per pass, so that a new
  // browser never holds the loop up for a whole picture's encoding.
  static constexpr int kTileColumns = 8;
  static constexpr int kTileRows = 5;
  static constexpr int kTiles = kTileColumns * kTileRows;
  static constexpr double kTileBudgetMs = 4.0;
  // After this many passes the rest is encoded at once, however busy the picture.
  static constexpr int kMaxWholeWaitPasses = 20;

  WebServer();
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Checks the options (a non-loopback address needs a token file), reads
  // the page and the token, and starts serving. False with a text otherwise.
  bool Start(const WebOptions& options, char* error, std::size_t errorSize);
  void Stop();
  bool IsRunning() const { return context_ != nullptr; }
  int Port() const { return port_; }
  bool IsSecure() const { return secure_; }

  // The page's map of the controls (ControlMap.h), set once before the
  // loop runs; served as /controls.json.
  void SetControlMap(const char* json, std::size_t size);

  // Loop side. A browser is connected (the whole picture then counts as in view).
  bool HasClients() const { return clients_.load(std::memory_order_relaxed) > 0; }
  // Encodes and queues the pass's changed rectangles, and a whole picture
  // for every browser that needs one. Nothing at all without browsers.
  void PublishPass(const platform::DrawSurface& surface, const platform::DamageList& damage);
  int DrainPointer(PointerEvent* out, int capacity) { return pointer_.Drain(out, capacity); }
  // Tells the browser that sent the event (if still connected) a text notice.
  void Tell(const PointerEvent& event, const char* kind, const char* text);
  // The browser's address as logged ("?" once gone).
  void ClientAddress(const PointerEvent& event, char* out, std::size_t size) const;
  // The browser that sent the event is still connected.
  bool IsConnected(const PointerEvent& event) const;

  // Figures for the benchmark and tests.
  uint64_t BytesSent() const { return bytesSent_.load(); }
  uint64_t FramesDropped() const { return framesDropped_.load(); }
  double LastEncodeMs() const { return lastEncodeMs_; }
  int ClientCount() const { return clients_.load(); }

  // Library callbacks (public for the C trampolines only).
  int OnRequest(mg_connection* conn);
  int OnWebSocketConnect(const mg_connection* conn);
  void OnWebSocketReady(mg_connection* conn);
  int OnWebSocketData(mg_connection* conn, int bits, char* data, std::size_t size);
  void OnWebSocketClose(const mg_connection* conn);

 private:
  void SenderMain(int slot);
  // With lock_ held.
  int TakeFrameSlot();
  void DropQueue(WebSession& session);
  void Enqueue(WebSession& session, int slot);
  void QueueNotice(WebSession& session, const char* kind, const char* text);
  bool HostAllowed(const char* host) const;
  bool OriginMatches(const mg_connection* conn) const;
  bool SessionCookieValid(const mg_connection* conn) const;
  int ServeLogin(mg_connection* conn, const char* token, std::size_t size, bool redirect);
  int ServeFile(mg_connection* conn, const std::vector<char>& body, const char* type);

  WebOptions options_;
  mg_context* context_ = nullptr;
  int port_ = 0;
  bool secure_ = false;
  bool loopbackOnly_ = true;
  WebToken token_;
  WebSessions sessions_;
  std::vector<char> page_;
  std::vector<char> script_;
  std::vector<char> controls_;
  std::atomic<bool> controlsReady_{false};
  PointerQueue pointer_;
  FrameEncoder encoder_;

  mutable std::mutex lock_;
  std::condition_variable wake_;
  bool stopping_ = false;
  WebSession slots_[kMaxClients];
  std::thread senders_[kMaxClients];
  std::vector<uint8_t> frames_[kFrameSlots];
  int frameRefs_[kFrameSlots] = {};
  std::atomic<int> clients_{0};
  std::mutex loginLock_;
  int64_t lastFailedLoginUs_ = 0;

  // Loop side only.
  // Encodes stale tiles within the pass's budget; true when all are current.
  bool RefreshTiles(const platform::DrawSurface& surface);
  platform::Rect tileRects_[kTiles];
  std::vector<uint8_t> tilePngs_[kTiles];
  bool tileCurrent_[kTiles] = {};
  int wholeWaitPasses_ = 0;  // passes a whole picture has been waited for
  int tileWidth_ = 0;
  int tileHeight_ = 0;
  std::vector<uint8_t> damageFrame_;
  std::vector<uint8_t> wholeFrame_;
  std::atomic<uint64_t> bytesSent_{0};
  std::atomic<uint64_t> framesDropped_{0};
  double lastEncodeMs_ = 0;
};

}  // namespace web
