// Bitmap fixtures for the control tests: a temporary folder of small .bmp
// files written through drawing surfaces, each image one solid colour.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "controls/ViewGeometry.h"
#include "platform/Graphics.h"

class FixtureFolder {
 public:
  FixtureFolder() {
    char pattern[] = "/tmp/tarnel-controls-XXXXXX";
    const char* made = mkdtemp(pattern);
    root_ = made != nullptr ? made : "";
  }
  ~FixtureFolder() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  FixtureFolder(const FixtureFolder&) = delete;
  FixtureFolder& operator=(const FixtureFolder&) = delete;

  const char* Root() const { return root_.c_str(); }

  // Writes root/relative (forward slashes) as a w x h bitmap of one colour.
  void Bitmap(const std::string& relative, int w, int h, uint32_t rgb) {
    const std::filesystem::path path = std::filesystem::path(root_) / relative;
    std::filesystem::create_directories(path.parent_path());
    platform::DrawSurface s;
    ASSERT_TRUE(s.Create(w, h));
    s.FillRect(platform::Rect{0, 0, w, h}, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    char error[512] = {};
    ASSERT_TRUE(platform::SaveBitmapFile(s, path.c_str(), error, sizeof error)) << error;
  }

  // Writes raw bytes (broken files).
  void Raw(const std::string& relative, const std::string& bytes) {
    const std::filesystem::path path = std::filesystem::path(root_) / relative;
    std::filesystem::create_directories(path.parent_path());
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }

  void Folder(const std::string& relative) {
    std::filesystem::create_directories(std::filesystem::path(root_) / relative);
  }

  void Remove(const std::string& relative) { std::filesystem::remove(std::filesystem::path(root_) / relative); }

 private:
  std::string root_;
};

// Puts the recorded pointer at a picture point (no scroll offset), or at a
// point relative to a control's top-left corner.
inline void PointerAt(int x, int y) { ViewGeometry::SetScrollAndPointer(0, 0, x, y); }

// A black drawing surface.
inline void BlankSurface(platform::DrawSurface& dc, int w = 400, int h = 300) { ASSERT_TRUE(dc.Create(w, h)); }
