// tarnel-artgen: draws every image the station loads (control images, digital
// display glyphs, the overhead panel picture, the banner picture and icon)
// from the art description, and writes the default Tarnel.ini beside them.
//
//   tarnel-artgen --data art_sets.txt --out <program folder> [--review <folder>] [--fonts <folder>]
//
// The review folder receives a contact sheet of every control image and a
// preview of the panel with its controls in place; they are not installed.
#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "art/ArtCanvas.h"
#include "art/ArtData.h"
#include "art/ArtDraw.h"
#include "common/TextFcns.h"
#include "platform/Graphics.h"

namespace {

using namespace art;

const char* const kDefaultFonts = "/usr/share/fonts/truetype/dejavu";
const char* const kBitmapFolder = "CockpitBitmaps";

const char* const kIniText =
    "; Tarnel.ini: configuration of the overhead-panel station.\n"
    "; Values beginning with ..\\ are relative to the folder of the program.\n"
    "\n"
    "[DIRECTORY_PATHS]\n"
    "CockpitPanelBitMaps = ..\\CockpitBitmaps\n"
    "ProgramPath = ..\\\n"
    "CompanyRoutes = ..\\CompanyRoutes\n"
    "NavData = ..\\NavData\n"
    "LogFilePath = ..\\Logs\n"
    "SoundFiles = ..\\Sounds\n"
    "\n"
    "[FILES]\n"
    "MainPicture = ..\\Pictures\\OverheadPanel.bmp\n"
    "HelpFile = ..\\Help\\TarnelHelp.txt\n"
    "\n"
    "[OPTIONS]\n"
    "LargeFont = 16\n"
    "SmallFont = 12\n"
    "EcamFont = 14\n"
    "TitleFont = 18\n"
    "FmcLargeFont = 16\n"
    "FmcSmallFont = 12\n"
    "LAYOUT = FMGS_CAPT\n"
    "DONT_ASK = False\n"
    "IterationRate = 20\n";

const char* const kHelpText =
    "Tarnel - overhead-panel station\n"
    "\n"
    "Left mouse button   push a button, set a switch (click its top, middle or\n"
    "                    bottom third), turn a knob (click where it should point);\n"
    "                    drag to scroll the overhead panel\n"
    "Right mouse button  lift or close a guard or cover\n"
    "Wheel               over a knob: turn it one position; elsewhere: scroll\n"
    "                    (with Shift: sideways)\n"
    "Arrow keys          scroll the overhead panel, one step a press\n"
    "Page Up, Page Down  wheel states for the panels; Home: right button\n"
    "F1                  about;  F2: inspect mode (names the control and its fields)\n"
    "A thin frame shows what a click under the pointer operates (--no-hover: none).\n"
    "\n"
    "The panel picture and every control image live beside the program in\n"
    "Pictures and CockpitBitmaps; Tarnel.ini names them.\n";

std::string Native(const std::string& root, const std::string& relative) {
  std::string path = root + "/" + relative;
  for (char& ch : path) {
    if (ch == '\\') ch = '/';
  }
  return path;
}

bool Save(const Canvas& canvas, const std::string& path, char* error, std::size_t size) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  if (ec) {
    FormatBounded(error, size, "%s: cannot create the folder: %s", path.c_str(), ec.message().c_str());
    return false;
  }
  platform::DrawSurface s;
  if (!s.CreateFromPixels(canvas.Pixels(), canvas.Width(), canvas.Height())) {
    FormatBounded(error, size, "%s: no memory for a %d x %d picture", path.c_str(), canvas.Width(), canvas.Height());
    return false;
  }
  return platform::SaveBitmapFile(s, path.c_str(), error, size);
}

bool WriteText(const std::string& path, const char* text, char* error, std::size_t size) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (ec || !out) {
    FormatBounded(error, size, "%s: cannot write the file", path.c_str());
    return false;
  }
  return true;
}

struct SetImages {
  const ImageSet* set;
  std::vector<NamedImage> images;
};

const NamedImage* Find(const std::vector<SetImages>& all, const std::string& set, const char* file) {
  for (const SetImages& s : all) {
    if (s.set->name != set) continue;
    for (const NamedImage& n : s.images) {
      if (n.file == set + "\\" + file + ".bmp") return &n;
    }
  }
  return nullptr;
}

// A sample button of the size a guard frames, to show the guard closed and lifted.
const NamedImage* SampleButton(const std::vector<SetImages>& all, int w, int h) {
  for (const SetImages& s : all) {
    if (s.set->kind == SetKind::TwoLamp && s.set->size.w == w && s.set->size.h == h) return &s.images[7];
  }
  return nullptr;
}

std::vector<std::pair<std::string, Canvas>> GuardComposites(const SetImages& guard, const std::vector<SetImages>& all) {
  std::vector<std::pair<std::string, Canvas>> out;
  GuardGeometry g = GuardGeometry::Standard;
  GuardGeometryFromStyle(guard.set->style.substr(0, guard.set->style.find(' ')), g);
  const NamedImage* button = g == GuardGeometry::Standard ? SampleButton(all, 32, 32) : SampleButton(all, 110, 45);
  PartRect b = GuardBounds(g);
  std::array<PartRect, 8> parts = GuardParts(g);
  for (int view = 0; view < 2; ++view) {
    Canvas c(b.w, b.h, kPlate);
    if (button != nullptr) c.Blit(button->canvas, -b.x, -b.y);
    if (view == 0) {
      for (int k = 0; k < 6; ++k) {
        int slot = k == 0 ? 2 : k == 1 ? 3 : k == 2 ? 0 : k == 3 ? 1 : k;  // left, right, top, bottom, bars
        c.Blit(guard.images[slot].canvas, parts[slot].x - b.x, parts[slot].y - b.y);
      }
    } else {
      c.Blit(guard.images[6].canvas, parts[6].x - b.x, parts[6].y - b.y);
    }
    out.emplace_back(view == 0 ? "(closed)" : "(lifted)", c);
  }
  return out;
}

Canvas ContactSheet(const std::vector<SetImages>& all, Fonts& fonts) {
  const int width = 1800, margin = 10, nameW = 190;
  struct Cell {
    std::string label;
    const Canvas* canvas;
    int x, y;
  };
  std::vector<std::pair<std::string, Canvas>> extras;
  extras.reserve(64);
  for (const SetImages& s : all) {
    if (s.set->kind == SetKind::Guard) {
      for (auto& e : GuardComposites(s, all)) extras.push_back(e);
    }
  }
  std::vector<Cell> cells;
  std::vector<std::pair<std::string, int>> headers;
  int y = margin;
  std::size_t extra = 0;
  for (const SetImages& s : all) {
    headers.emplace_back(s.set->name, y);
    int x = margin + nameW, rowH = 0;
    std::vector<std::pair<std::string, const Canvas*>> items;
    for (const NamedImage& n : s.images) {
      std::string label = n.file.substr(n.file.rfind('\\') + 1);
      items.emplace_back(label.substr(0, label.size() - 4), &n.canvas);
    }
    if (s.set->kind == SetKind::Guard) {
      for (int k = 0; k < 2 && extra < extras.size(); ++k, ++extra) items.emplace_back(extras[extra].first, &extras[extra].second);
    }
    for (const auto& item : items) {
      int cellW = std::max(item.second->Width(), fonts.InkWidth(item.first, false, 9)) + 12;
      if (x + cellW > width - margin) {
        x = margin + nameW;
        y += rowH + 18;
        rowH = 0;
      }
      cells.push_back(Cell{item.first, item.second, x, y});
      x += cellW;
      rowH = std::max(rowH, item.second->Height());
    }
    y += rowH + 26;
  }
  Canvas sheet(width, y + margin, Rgb{58, 62, 68});
  for (const auto& h : headers) {
    fonts.Text(sheet, h.first, true, 11, Rgb{240, 240, 240}, margin, h.second + 8, Align::Left, nameW - 10);
    sheet.FillRect(margin, h.second - 5, width - 2 * margin, 1, Rgb{90, 96, 104});
  }
  for (const Cell& c : cells) {
    sheet.Blit(*c.canvas, c.x, c.y);
    fonts.Text(sheet, c.label, false, 9, Rgb{220, 224, 228}, c.x + c.canvas->Width() / 2.0,
               c.y + c.canvas->Height() + 8, Align::Centre, 0);
  }
  return sheet;
}

// The main picture with every control drawn in place, for review.
Canvas Preview(const ArtData& data, const Canvas& picture, const std::vector<SetImages>& all) {
  Canvas c = picture;
  for (int pass = 0; pass < 2; ++pass) {
    for (const Control& ctl : data.controls) {
      const Panel* p = data.FindPanel(ctl.panel);
      const ImageSet* set = data.SetOfControl(ctl);
      if (p == nullptr) continue;
      int x = p->x + ctl.x, y = p->y + ctl.y;
      bool cover = set != nullptr && (set->kind == SetKind::Guard || set->kind == SetKind::Cover);
      if (cover != (pass == 1)) continue;
      if (ctl.cells > 0) {
        const NamedImage* eight = Find(all, "DigitalDisplay", "eight");
        if (eight == nullptr) continue;
        for (int k = 0; k < ctl.cells; ++k) c.Blit(eight->canvas, x + k * eight->canvas.Width(), y);
        continue;
      }
      if (set == nullptr) continue;
      for (const SetImages& s : all) {
        if (s.set != set) continue;
        if (set->kind == SetKind::Guard) {
          GuardGeometry g = GuardGeometry::Standard;
          GuardGeometryFromStyle(set->style.substr(0, set->style.find(' ')), g);
          std::array<PartRect, 8> parts = GuardParts(g);
          for (int k = 0; k < 6; ++k) c.Blit(s.images[k].canvas, x + parts[k].x, y + parts[k].y);
        } else if (set->kind == SetKind::Switch) {
          std::string want = ctl.set + ".bmp";
          for (const NamedImage& n : s.images) {
            if (n.file == want) c.Blit(n.canvas, x, y);
          }
        } else {
          // Two-lamp buttons show their upper lamp lit, others their first image.
          std::size_t index = set->kind == SetKind::TwoLamp ? 4 : set->kind == SetKind::Cover ? 1 : 0;
          c.Blit(s.images[index].canvas, x, y);
        }
      }
    }
  }
  return c;
}

int Usage(FILE* out) {
  std::fprintf(out,
               "usage: tarnel-artgen --data FILE --out FOLDER [--review FOLDER] [--fonts FOLDER]\n"
               "Draws every control image, the panel picture, the banner picture and icon, and the\n"
               "default Tarnel.ini into FOLDER (the folder of the programs).\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const char* dataPath = nullptr;
  const char* outDir = nullptr;
  const char* reviewDir = nullptr;
  const char* fontDir = kDefaultFonts;
  for (int i = 1; i < argc; ++i) {
    bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--data") == 0 && hasValue) dataPath = argv[++i];
    else if (std::strcmp(argv[i], "--out") == 0 && hasValue) outDir = argv[++i];
    else if (std::strcmp(argv[i], "--review") == 0 && hasValue) reviewDir = argv[++i];
    else if (std::strcmp(argv[i], "--fonts") == 0 && hasValue) fontDir = argv[++i];
    else if (std::strcmp(argv[i], "--help") == 0) return Usage(stdout) == 2 ? 0 : 1;
    else return Usage(stderr);
  }
  if (dataPath == nullptr || outDir == nullptr) return Usage(stderr);

  char error[2048] = "";
  ArtData data;
  if (!LoadArtData(dataPath, data, error, sizeof error)) {
    std::fprintf(stderr, "tarnel-artgen: %s\n", error);
    return 1;
  }
  if (TTF_Init() != 0) {
    std::fprintf(stderr, "tarnel-artgen: cannot start the font renderer: %s\n", TTF_GetError());
    return 1;
  }
  int result = 0;
  {
    Fonts fonts(fontDir);
    if (!fonts.Check(error, sizeof error)) {
      std::fprintf(stderr, "tarnel-artgen: %s\n", error);
      result = 1;
    }
    std::vector<SetImages> all;
    const std::string bitmaps = std::string(outDir) + "/" + kBitmapFolder;
    for (const ImageSet& set : data.sets) {
      if (result != 0 || set.kind == SetKind::Picture) continue;
      SetImages s{&set, DrawSet(set, fonts)};
      for (const NamedImage& n : s.images) {
        if (!Save(n.canvas, Native(bitmaps, n.file), error, sizeof error)) {
          std::fprintf(stderr, "tarnel-artgen: %s\n", error);
          result = 1;
          break;
        }
      }
      all.push_back(std::move(s));
    }
    Canvas mainPicture(1, 1, kPlate);
    for (const ImageSet& set : data.sets) {
      if (result != 0 || set.kind != SetKind::Picture) continue;
      Canvas picture = set.style == "main"     ? DrawMainPicture(data, set, fonts)
                       : set.style == "banner" ? DrawBanner(set, fonts)
                                               : DrawIcon(set, fonts);
      if (set.style == "main") mainPicture = picture;
      if (!Save(picture, Native(outDir, set.name), error, sizeof error)) {
        std::fprintf(stderr, "tarnel-artgen: %s\n", error);
        result = 1;
      }
    }
    if (result == 0 && (!WriteText(Native(outDir, "Tarnel.ini"), kIniText, error, sizeof error) ||
                        !WriteText(Native(outDir, "Help\\TarnelHelp.txt"), kHelpText, error, sizeof error))) {
      std::fprintf(stderr, "tarnel-artgen: %s\n", error);
      result = 1;
    }
    if (result == 0 && reviewDir != nullptr) {
      if (!Save(ContactSheet(all, fonts), Native(reviewDir, "ContactSheet.bmp"), error, sizeof error) ||
          !Save(Preview(data, mainPicture, all), Native(reviewDir, "PanelPreview.bmp"), error, sizeof error)) {
        std::fprintf(stderr, "tarnel-artgen: %s\n", error);
        result = 1;
      }
    }
  }
  TTF_Quit();
  SDL_Quit();
  return result;
}
