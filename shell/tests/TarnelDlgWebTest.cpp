// The dialog with browsers: their pointer events go through the same mouse
// path as the window's, one pointer at a time, and while one is connected the
// whole picture is in view.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "config/IniRead.h"
#include "panels/PanelInterface.h"
#include "platform/MemoryWindow.h"
#include "shell/TarnelDlg.h"
#include "tests/support/ShmTestPrefix.h"
#include "web/WebServer.h"
#include "web/tests/WebTestClient.h"

namespace {

namespace fs = std::filesystem;
using web_test::WebTestClient;

TEST(TarnelDlgWeb, OnePointerAtATimeThroughTheStationsMousePath) {
  test_support::UseUniqueShmPrefix();
  CInitProgress::SetPauseMilliseconds(0);
  const fs::path folder = fs::temp_directory_path() / ("tarnel_dlg_web_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string picture = (folder / "Panel.bmp").string();
  {
    platform::DrawSurface surface;
    ASSERT_TRUE(surface.Create(1880, 1300));
    char error[256];
    ASSERT_TRUE(platform::SaveBitmapFile(surface, picture.c_str(), error, sizeof error)) << error;
  }
  const std::string ini = (folder / "Tarnel.ini").string();
  std::ofstream(ini) << "[DIRECTORY_PATHS]\nCockpitPanelBitMaps = " << TARNEL_TEST_BIN_DIR
                     << "/CockpitBitmaps\nProgramPath = " << folder.string() << "\n[FILES]\nMainPicture = "
                     << picture << "\n[OPTIONS]\nIterationRate = 20\n";
  const std::string tokenFile = (folder / "token").string();
  std::ofstream(tokenFile) << "dialog-token-1\n";
  ::chmod(tokenFile.c_str(), 0600);

  web::WebServer server;
  web::WebOptions options;
  options.pageFolder = TARNEL_TEST_BIN_DIR "/web";
  options.tokenFile = tokenFile.c_str();
  char error[512];
  ASSERT_TRUE(server.Start(options, error, sizeof error)) << error;
  const int port = server.Port();
  std::string session;
  const std::string request =
      "POST /login HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 20\r\n\r\ntoken=dialog-token-1";
  ASSERT_EQ(web_test::HttpRequest(port, request.c_str(), &session), 204);

  platform::MemoryWindow window;
  ASSERT_TRUE(window.Create(CTarnelDlg::kClientWidth, CTarnelDlg::kClientHeight));
  auto dialog = std::make_unique<CTarnelDlg>();
  dialog->SetIniFile(ini.c_str());
  dialog->SetWebServer(&server);
  dialog->OnInitDialog(&window);
  ASSERT_FALSE(dialog->InitialisationFailed());
  dialog->ReadWindowRect();
  auto iterate = [&](int count) {
    for (int i = 0; i < count; i++) dialog->OnRealTimeIteration();
  };
  iterate(45);  // past the start and one whole rotation
  const int windowOnly = dialog->GetCockpitManager().GetVisibleCount();

  WebTestClient a;
  WebTestClient b;
  ASSERT_TRUE(a.Connect(port, "http://127.0.0.1", session.c_str()));
  ASSERT_TRUE(b.Connect(port, "http://127.0.0.1", session.c_str()));
  ASSERT_TRUE(a.WaitFor([&] { return !a.texts.empty(); }));
  ASSERT_TRUE(b.WaitFor([&] { return !b.texts.empty(); }));
  for (int i = 0; i < 100 && !dialog->WholePictureInView(); i++) ::usleep(10000);
  iterate(25);
  EXPECT_GT(dialog->GetCockpitManager().GetVisibleCount(), windowOnly) << "the browsers see every panel";

  uint32_t output = 0;
  VisitPanelFields(*FindPanelFacts("oxygen"), kLayoutA330, -1, [](const InterfaceField& field, void* context) {
    if (std::strcmp(field.name, "button 3 position") == 0) *static_cast<uint32_t*>(context) = field.offset;
    return true;
  }, &output);
  ASSERT_NE(0u, output);
  const uint8_t* base = dialog->GetGenericBase();
  // Oxygen button 3 at picture (833, 875), 32 x 32.
  const std::string down = "down 849 891";
  const std::string up = "up 849 891";
  auto drained = [&](WebTestClient& client, const std::string& text) {
    ASSERT_TRUE(client.Send(text));
    ::usleep(50000);  // the server thread queues it
    iterate(1);
  };
  // Called under the client's lock (from WaitFor).
  auto refusals = [&](WebTestClient& client) {
    int n = 0;
    for (const std::string& t : client.texts) n += t.find("another operator") != std::string::npos ? 1 : 0;
    return n;
  };

  // The window's left button holds the pointer: the browser's press is refused.
  platform::Event press;
  press.type = platform::EventType::MouseDown;
  press.button = platform::MouseButton::Left;
  press.x = 100;
  press.y = 100;
  dialog->HandleEvent(press);
  drained(a, down);
  EXPECT_TRUE(a.WaitFor([&] { return refusals(a) == 1; }, 2000));
  EXPECT_FALSE(dialog->RemoteHoldsPointer());
  platform::Event release = press;
  release.type = platform::EventType::MouseUp;
  dialog->HandleEvent(release);
  drained(a, up);
  EXPECT_EQ(0, base[output]) << "neither press nor release of a refused browser reaches the panel";

  // A browser's tap latches the button, as the window's would.
  drained(a, down);
  EXPECT_TRUE(dialog->RemoteHoldsPointer());
  // Meanwhile another browser's press is refused and the window's is left out.
  drained(b, down);
  EXPECT_TRUE(b.WaitFor([&] { return refusals(b) == 1; }, 2000));
  dialog->HandleEvent(release);
  EXPECT_EQ(1, dialog->GetMouseState().button);
  drained(a, up);
  EXPECT_FALSE(dialog->RemoteHoldsPointer());
  for (int i = 0; i < 50 && base[output] == 0; i++) iterate(1);
  EXPECT_EQ(1, base[output]);

  // A browser that goes while holding the pointer lets go of it.
  drained(b, down);
  EXPECT_TRUE(dialog->RemoteHoldsPointer());
  b.Close();
  for (int i = 0; i < 100 && dialog->RemoteHoldsPointer(); i++) {
    ::usleep(10000);
    iterate(1);
  }
  EXPECT_FALSE(dialog->RemoteHoldsPointer());
  EXPECT_EQ(0, dialog->GetMouseState().button);

  a.Close();
  dialog.reset();
  server.Stop();
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

}  // namespace
