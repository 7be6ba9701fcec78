// The web panel's protocol: message decoding, the bounded pointer queue,
// frames that decode to the picture, the token file, and the server's
// refusals (origins, hosts, oversized messages, floods, watchers, too many
// clients) and its bounds with a client that never reads.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <spng.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Graphics.h"
#include "web/FrameEncoder.h"
#include "web/PointerQueue.h"
#include "web/WebMessage.h"
#include "web/WebServer.h"
#include "web/WebToken.h"
#include "web/tests/WebTestClient.h"

namespace {

using web_test::WebTestClient;

TEST(WebMessage, DecodesPointerMessagesAndRefusesTheRest) {
  struct Case {
    const char* text;
    bool ok;
    web::PointerAction action;
    int x, y;
  };
  const Case cases[] = {
      {"down 10 20", true, web::PointerAction::Down, 10, 20},
      {"up 0 0", true, web::PointerAction::Up, 0, 0},
      {"move 1879 1299", true, web::PointerAction::Move, 1879, 1299},
      {"rdown 5 6", true, web::PointerAction::RightDown, 5, 6},
      {"rup 5 6", true, web::PointerAction::RightUp, 5, 6},
      {"down 1880 5", false, {}, 0, 0},       // outside the picture
      {"down 5 1300", false, {}, 0, 0},
      {"down -1 5", false, {}, 0, 0},
      {"down 5", false, {}, 0, 0},
      {"down 5 6 ", false, {}, 0, 0},
      {"down  5 6", false, {}, 0, 0},
      {"down 000005 6", false, {}, 0, 0},     // more than five digits
      {"click 5 6", false, {}, 0, 0},
      {"", false, {}, 0, 0},
      {"down 1 2\n", false, {}, 0, 0},
  };
  for (const Case& c : cases) {
    web::PointerEvent event;
    char error[64] = "";
    EXPECT_EQ(web::DecodeClientMessage(c.text, std::strlen(c.text), 1880, 1300, &event, error, sizeof error), c.ok)
        << c.text;
    if (c.ok) {
      EXPECT_EQ(event.action, c.action) << c.text;
      EXPECT_EQ(event.x, c.x) << c.text;
      EXPECT_EQ(event.y, c.y) << c.text;
    } else {
      EXPECT_NE(error[0], '\0') << c.text;
    }
  }
  const std::string longMessage = "move 1 1" + std::string(web::kMaxClientMessage, ' ');
  web::PointerEvent event;
  EXPECT_FALSE(web::DecodeClientMessage(longMessage.data(), longMessage.size(), 1880, 1300, &event, nullptr, 0));
}

TEST(PointerQueue, HoldsAtMostItsCapacityInOrder) {
  web::PointerQueue queue;
  for (int i = 0; i < web::PointerQueue::kCapacity; i++) {
    web::PointerEvent e;
    e.x = int16_t(i);
    ASSERT_TRUE(queue.Push(e));
  }
  EXPECT_FALSE(queue.Push(web::PointerEvent{}));
  web::PointerEvent out[10];
  ASSERT_EQ(queue.Drain(out, 10), 10);
  for (int i = 0; i < 10; i++) EXPECT_EQ(out[i].x, i);
  EXPECT_TRUE(queue.Push(web::PointerEvent{}));
  EXPECT_EQ(queue.Count(), web::PointerQueue::kCapacity - 9);
}

// A surface of noise, which no encoder can make small.
void Paint(platform::DrawSurface* surface, int width, int height, uint32_t seed) {
  std::vector<uint32_t> pixels(size_t(width) * size_t(height));
  uint32_t x = seed * 2654435761u + 1;
  for (uint32_t& p : pixels) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    p = x & 0xFFFFFF;
  }
  ASSERT_TRUE(surface->CreateFromPixels(pixels.data(), width, height));
}

TEST(FrameEncoder, FramesDecodeToTheSurfacePixels) {
  platform::DrawSurface surface;
  Paint(&surface, 300, 200, 7);
  web::FrameEncoder encoder;
  const platform::Rect rects[] = {{10, 20, 50, 45}, {250, 150, 400, 400}, {5, 5, 5, 9}};  // clipped, empty
  std::vector<uint8_t> message;
  char error[128];
  ASSERT_TRUE(encoder.Encode(surface, rects, 3, false, &message, error, sizeof error)) << error;
  bool whole = true;
  web::FramePicture pictures[4];
  int count = 0;
  ASSERT_TRUE(web::ParseFrame(message.data(), message.size(), &whole, pictures, 4, &count));
  EXPECT_FALSE(whole);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(pictures[1].width, 50);  // 250..300
  for (int i = 0; i < count; i++) {
    const web::FramePicture& p = pictures[i];
    spng_ctx* ctx = spng_ctx_new(0);
    spng_set_png_buffer(ctx, p.png, p.size);
    std::vector<uint8_t> rgb(size_t(p.width) * size_t(p.height) * 3);
    ASSERT_EQ(spng_decode_image(ctx, rgb.data(), rgb.size(), SPNG_FMT_RGB8, 0), 0);
    spng_ctx_free(ctx);
    int wrong = 0;
    for (int y = 0; y < p.height; y++) {
      for (int x = 0; x < p.width; x++) {
        const uint8_t* px = &rgb[(size_t(y) * size_t(p.width) + size_t(x)) * 3];
        wrong += surface.PixelAt(p.x + x, p.y + y) != (uint32_t(px[0]) << 16 | uint32_t(px[1]) << 8 | px[2]);
      }
    }
    EXPECT_EQ(wrong, 0) << "picture " << i;
  }
  // A truncated or padded frame is refused.
  EXPECT_FALSE(web::ParseFrame(message.data(), message.size() - 1, &whole, pictures, 4, &count));
  message.push_back(0);
  EXPECT_FALSE(web::ParseFrame(message.data(), message.size(), &whole, pictures, 4, &count));
}

std::string TempPath(const char* name) {
  return std::string(::testing::TempDir()) + "/" + name + std::to_string(::getpid());
}

std::string WriteTokenFile(const char* name, const char* text, mode_t mode) {
  const std::string path = TempPath(name);
  std::FILE* f = std::fopen(path.c_str(), "w");
  std::fputs(text, f);
  std::fclose(f);
  ::chmod(path.c_str(), mode);
  return path;
}

TEST(WebToken, TakesOnlyAPrivateFileWithAUsableToken) {
  struct Case {
    const char* text;
    mode_t mode;
    bool ok;
  };
  const Case cases[] = {{"  s3cret-token \nsecond line\n", 0600, true}, {"s3cret-token\n", 0640, false},
                        {"s3cret-token\n", 0604, false},                 {"short\n", 0600, false},
                        {"has blank inside\n", 0600, false},             {"", 0600, false}};
  for (const Case& c : cases) {
    const std::string path = WriteTokenFile("token", c.text, c.mode);
    web::WebToken token;
    char error[256] = "";
    EXPECT_EQ(token.Load(path.c_str(), error, sizeof error), c.ok) << c.text << " " << std::oct << c.mode;
    if (c.ok) {
      EXPECT_TRUE(token.Matches("s3cret-token", 12));
      EXPECT_FALSE(token.Matches("s3cret-tokeN", 12));
      EXPECT_FALSE(token.Matches("s3cret-token!", 13));
    } else {
      EXPECT_NE(std::strstr(error, path.c_str()), nullptr) << error;
    }
    std::remove(path.c_str());
  }
  web::WebToken missing;
  char error[256];
  EXPECT_FALSE(missing.Load("/nonexistent/token", error, sizeof error));
}

TEST(WebServerStart, RefusesNetworkAddressesWithoutATokenAndBadAddresses) {
  web::WebOptions options;
  char error[512];
  ASSERT_TRUE(web::ParseWebAddress("0.0.0.0:8080", &options, error, sizeof error));
  EXPECT_STREQ(options.address, "0.0.0.0");
  EXPECT_EQ(options.port, 8080);
  ASSERT_TRUE(web::ParseWebAddress("9000", &options, error, sizeof error));
  EXPECT_STREQ(options.address, "127.0.0.1");
  for (const char* bad : {"", ":80", "host:80", "80000", "1.2.3.4:", "8080x", "-1"}) {
    EXPECT_FALSE(web::ParseWebAddress(bad, &options, error, sizeof error)) << bad;
  }
  web::WebServer server;
  options = web::WebOptions{};
  std::snprintf(options.address, sizeof options.address, "0.0.0.0");
  options.pageFolder = TARNEL_TEST_BIN_DIR "/web";
  EXPECT_FALSE(server.Start(options, error, sizeof error));
  EXPECT_NE(std::strstr(error, "--web-token-file"), nullptr) << error;
}

class WebServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tokenFile_ = WriteTokenFile("server-token", "right-token-1\n", 0600);
    web::WebOptions options;
    options.pageFolder = TARNEL_TEST_BIN_DIR "/web";
    options.tokenFile = tokenFile_.c_str();
    options.maxClients = 3;
    options.headerTimeoutMs = 1500;
    options.pictureWidth = 300;
    options.pictureHeight = 200;
    char error[512];
    ASSERT_TRUE(server_.Start(options, error, sizeof error)) << error;
    port_ = server_.Port();
    // The library's client sends the Host header without the port.
    origin_ = "http://127.0.0.1";
    Paint(&surface_, 300, 200, 1);
  }
  void TearDown() override {
    server_.Stop();
    std::remove(tokenFile_.c_str());
  }
  // Publishes passes until the client has at least count frames.
  bool PublishUntil(WebTestClient& client, size_t count, const platform::DamageList& damage) {
    for (int i = 0; i < 200; i++) {
      server_.PublishPass(surface_, damage);
      if (client.WaitFor([&] { return client.frames.size() >= count; }, 20)) return true;
    }
    return false;
  }
  std::string Login(const char* token) {
    std::string session;
    const std::string body = std::string("token=") + token;
    const std::string request = "POST /login HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port_) +
                                "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                                std::to_string(body.size()) + "\r\n\r\n" + body;
    lastStatus_ = web_test::HttpRequest(port_, request.c_str(), &session);
    return session;
  }

  std::string tokenFile_;
  web::WebServer server_;
  int port_ = 0;
  int lastStatus_ = 0;
  std::string origin_;
  platform::DrawSurface surface_;
};

TEST_F(WebServerTest, RefusesForeignOriginsAndHosts) {
  for (const std::string& origin : {std::string("http://evil.example"), std::string("http://127.0.0.1:1"),
                                    std::string("null"), std::string("ftp://127.0.0.1:") + std::to_string(port_)}) {
    WebTestClient client;
    EXPECT_FALSE(client.Connect(port_, origin.c_str())) << origin;
  }
  WebTestClient good;
  EXPECT_TRUE(good.Connect(port_, origin_.c_str()));
  const std::string page = "GET / HTTP/1.1\r\nHost: localhost:" + std::to_string(port_) + "\r\n\r\n";
  EXPECT_EQ(web_test::HttpRequest(port_, page.c_str()), 200);
  const std::string huge = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Pad: " + std::string(20000, 'a') + "\r\n\r\n";
  EXPECT_NE(web_test::HttpRequest(port_, huge.c_str()), 200);
}

TEST(WebServerStart, WithoutATokenOnlyLoopbackNamesAreAnswered) {
  web::WebOptions options;
  options.pageFolder = TARNEL_TEST_BIN_DIR "/web";
  web::WebServer server;
  char error[512];
  ASSERT_TRUE(server.Start(options, error, sizeof error)) << error;
  const std::string port = std::to_string(server.Port());
  for (const char* host : {"evil.example", "127.0.0.1.evil.example", "10.0.0.1"}) {
    const std::string request = std::string("GET / HTTP/1.1\r\nHost: ") + host + ":" + port + "\r\n\r\n";
    EXPECT_EQ(web_test::HttpRequest(server.Port(), request.c_str()), 403) << host;
  }
  for (const char* host : {"localhost", "127.0.0.1", "[::1]"}) {
    const std::string request = std::string("GET / HTTP/1.1\r\nHost: ") + host + ":" + port + "\r\n\r\n";
    EXPECT_EQ(web_test::HttpRequest(server.Port(), request.c_str()), 200) << host;
  }
  WebTestClient rebound;
  EXPECT_FALSE(rebound.Connect(server.Port(), "http://evil.example"));
}

TEST_F(WebServerTest, WatcherGetsTheWholePictureThenOnlyChangesAndMayNotPress) {
  WebTestClient client;
  ASSERT_TRUE(client.Connect(port_, origin_.c_str()));
  ASSERT_TRUE(client.WaitFor([&] { return !client.texts.empty(); }));
  EXPECT_NE(client.texts[0].find("\"operate\":false"), std::string::npos) << client.texts[0];
  platform::DamageList none;
  ASSERT_TRUE(PublishUntil(client, 1, none));
  bool whole = false;
  web::FramePicture pictures[web::FrameEncoder::kMaxRects];
  int count = 0;
  {
    std::lock_guard<std::mutex> guard(client.Lock());
    ASSERT_TRUE(web::ParseFrame(client.frames[0].data(), client.frames[0].size(), &whole, pictures,
                                web::FrameEncoder::kMaxRects, &count));
  }
  EXPECT_TRUE(whole);
  ASSERT_EQ(count, web::WebServer::kTiles);
  int area = 0;
  for (int i = 0; i < count; i++) area += pictures[i].width * pictures[i].height;
  EXPECT_EQ(area, 300 * 200);
  // Nothing changes: nothing is sent.
  for (int i = 0; i < 20; i++) server_.PublishPass(surface_, none);
  EXPECT_FALSE(client.WaitFor([&] { return client.frames.size() > 1; }, 200));
  platform::DamageList damage;
  damage.Add(platform::Rect{10, 10, 30, 20});
  server_.PublishPass(surface_, damage);
  ASSERT_TRUE(client.WaitFor([&] { return client.frames.size() == 2; }));
  {
    std::lock_guard<std::mutex> guard(client.Lock());
    ASSERT_TRUE(web::ParseFrame(client.frames[1].data(), client.frames[1].size(), &whole, pictures, 4, &count));
  }
  EXPECT_FALSE(whole);
  EXPECT_EQ(pictures[0].width, 20);
  // A watcher's press is refused and never reaches the station.
  ASSERT_TRUE(client.Send("down 10 10"));
  ASSERT_TRUE(client.WaitFor([&] { return client.texts.size() >= 2; }));
  EXPECT_NE(client.texts[1].find("refused"), std::string::npos);
  web::PointerEvent events[4];
  EXPECT_EQ(server_.DrainPointer(events, 4), 0);
}

TEST_F(WebServerTest, TheTokenMakesAnOperatorAndAWrongOneIsRefused) {
  EXPECT_EQ(Login("wrong-token"), "");
  EXPECT_EQ(lastStatus_, 403);
  EXPECT_EQ(Login("right-token-1"), "");  // within a second of a wrong guess
  EXPECT_EQ(lastStatus_, 429);
  ::usleep(1100 * 1000);
  const std::string session = Login("right-token-1");
  EXPECT_EQ(lastStatus_, 204);
  ASSERT_EQ(session.size(), web::WebSessions::kIdLength);
  WebTestClient forged;
  ASSERT_TRUE(forged.Connect(port_, origin_.c_str(), "0123456789abcdef0123456789abcdef"));
  ASSERT_TRUE(forged.WaitFor([&] { return !forged.texts.empty(); }));
  EXPECT_NE(forged.texts[0].find("\"operate\":false"), std::string::npos);
  WebTestClient client;
  ASSERT_TRUE(client.Connect(port_, origin_.c_str(), session.c_str()));
  ASSERT_TRUE(client.WaitFor([&] { return !client.texts.empty(); }));
  EXPECT_NE(client.texts[0].find("\"operate\":true"), std::string::npos) << client.texts[0];
  ASSERT_TRUE(client.Send("down 12 34"));
  web::PointerEvent events[4];
  int got = 0;
  for (int i = 0; i < 100 && got == 0; i++, ::usleep(10000)) got = server_.DrainPointer(events, 4);
  ASSERT_EQ(got, 1);
  EXPECT_EQ(events[0].action, web::PointerAction::Down);
  EXPECT_EQ(events[0].x, 12);
  EXPECT_TRUE(server_.IsConnected(events[0]));
  client.Close();
  for (int i = 0; i < 100 && server_.IsConnected(events[0]); i++) ::usleep(10000);
  EXPECT_FALSE(server_.IsConnected(events[0]));
}

TEST_F(WebServerTest, OversizedOrMalformedMessagesAndFloodsEndTheConnection) {
  ::usleep(1100 * 1000);  // the login throttle of an earlier test
  const std::string session = Login("right-token-1");
  ASSERT_FALSE(session.empty());
  for (const std::string& bad : {std::string(200, 'x'), std::string("down 1 2 3"), std::string("jump 1 2")}) {
    WebTestClient client;
    ASSERT_TRUE(client.Connect(port_, origin_.c_str(), session.c_str()));
    ASSERT_TRUE(client.Send(bad));
    EXPECT_TRUE(client.WaitFor([&] { return client.closed; })) << bad.substr(0, 20);
  }
  WebTestClient flood;
  ASSERT_TRUE(flood.Connect(port_, origin_.c_str(), session.c_str()));
  int sent = 0;
  for (; sent < 2000 && flood.Send("move 1 1"); sent++) {
  }
  EXPECT_TRUE(flood.WaitFor([&] { return flood.closed; }));
  web::PointerEvent events[web::PointerQueue::kCapacity];
  const int passed = server_.DrainPointer(events, web::PointerQueue::kCapacity);
  // At most the burst and what the rate refilled meanwhile.
  EXPECT_LE(passed, 60 + 30);
  EXPECT_GE(passed, 1);
}

TEST_F(WebServerTest, ClientsAreBounded) {
  WebTestClient clients[4];
  int connected = 0;
  for (WebTestClient& c : clients) connected += c.Connect(port_, origin_.c_str()) ? 1 : 0;
  EXPECT_EQ(connected, 3);
}

// Opens a WebSocket by hand and then never reads from it.
int OpenNeverReadingSocket(int port, const std::string& origin) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  int small = 4096;
  ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(uint16_t(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return -1;
  const std::string request = "GET /ws HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: "
                              "dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\nOrigin: " +
                              origin + "\r\n\r\n";
  return ::write(fd, request.data(), request.size()) == ssize_t(request.size()) ? fd : -1;
}

TEST_F(WebServerTest, AClientThatNeverReadsIsDroppedWithoutHoldingBackTheOthers) {
  const int slow = OpenNeverReadingSocket(port_, origin_);
  ASSERT_GE(slow, 0);
  WebTestClient fast;
  ASSERT_TRUE(fast.Connect(port_, origin_.c_str()));
  for (int i = 0; i < 100 && server_.ClientCount() < 2; i++) ::usleep(10000);
  ASSERT_EQ(server_.ClientCount(), 2);
  // Noisy passes: every frame is a large picture.
  platform::DamageList all;
  all.Add(platform::Rect{0, 0, 300, 200});
  size_t published = 0;
  for (uint32_t pass = 0; pass < 60; pass++) {
    Paint(&surface_, 300, 200, pass * 77);
    server_.PublishPass(surface_, all);
    published++;
    ::usleep(5000);
  }
  // The fast client keeps up (a few passes go by while its whole picture is made).
  EXPECT_TRUE(fast.WaitFor([&] { return fast.frames.size() * 2 >= published; })) << fast.frames.size();
  EXPECT_GT(server_.FramesDropped(), 0u);
  // Its writes time out and it is cut off; its place comes free.
  for (int i = 0; i < 1500 && server_.ClientCount() > 1; i++) {
    server_.PublishPass(surface_, all);
    ::usleep(10000);
  }
  EXPECT_EQ(server_.ClientCount(), 1);
  ::close(slow);
}

}  // namespace
