#include "art/ArtData.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/TextFcns.h"

namespace art {

const char* const kTwoLampFiles[8] = {"TopIn", "BotIn", "BothIn", "NoneIn",
                                      "TopOut", "BotOut", "BothOut", "NoneOut"};
const char* const kOneLampFiles[4] = {"OnIn", "OffIn", "OnOut", "OffOut"};
const char* const kKnobFiles[8] = {"Knob000", "Knob045", "Knob090", "Knob135",
                                   "Knob180", "Knob225", "Knob270", "Knob315"};
const char* const kCoverFiles[2] = {"Up", "Down"};
const char* const kLightFiles[2] = {"On", "Off"};
const char* const kGuardPartNames[8] = {"top", "bottom", "left", "right",
                                        "vertical", "horizontal", "opentop", "openbot"};
const char* const kGlyphFiles[37] = {
    "zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine",
    "s", "t", "d", "dash", "blank", "o", "plus", "point", "Q1", "Q2", "Q3", "Q4",
    "u", "L", "R", "W", "N", "E", "H", "BigT", "K", "C", "G", "I", "A", "P", "zeropnt"};

namespace {

std::string Trim(const std::string& s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    std::size_t at = s.find(sep, start);
    parts.push_back(Trim(s.substr(start, at == std::string::npos ? std::string::npos : at - start)));
    if (at == std::string::npos) break;
    start = at + 1;
  }
  return parts;
}

std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> words;
  std::istringstream in(s);
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

bool ParseInt(const std::string& s, int& value) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(s.c_str(), &end, 10);
  if (errno != 0 || end == s.c_str() || *end != '\0' || v < -100000 || v > 100000) return false;
  value = static_cast<int>(v);
  return true;
}

bool ParseInts(const std::string& s, char sep, std::size_t count, int* values) {
  std::vector<std::string> parts = Split(s, sep);
  if (parts.size() != count) return false;
  for (std::size_t i = 0; i < count; ++i) {
    if (!ParseInt(parts[i], values[i])) return false;
  }
  return true;
}

bool ParseSize(const std::string& s, Size& size) {
  int v[2];
  if (!ParseInts(s, 'x', 2, v) || v[0] <= 0 || v[1] <= 0 || v[0] > 4000 || v[1] > 4000) return false;
  size.w = v[0];
  size.h = v[1];
  return true;
}

bool ParseColour(const std::string& s, LampColour& c) {
  if (s == "white") c = LampColour::White;
  else if (s == "amber") c = LampColour::Amber;
  else if (s == "blue") c = LampColour::Blue;
  else if (s == "green") c = LampColour::Green;
  else if (s == "red") c = LampColour::Red;
  else return false;
  return true;
}

// "TEXT WITH SPACES colour"
bool ParseLamp(const std::string& s, Lamp& lamp) {
  std::size_t at = s.find_last_of(' ');
  if (at == std::string::npos) return false;
  lamp.text = Trim(s.substr(0, at));
  return !lamp.text.empty() && ParseColour(Trim(s.substr(at + 1)), lamp.colour);
}

class Parser {
 public:
  Parser(const char* source, ArtData& out, char* error, std::size_t size)
      : source_(source), out_(out), error_(error), errorSize_(size) {}

  bool Line(const std::string& raw, int number) {
    line_ = number;
    std::string text = Trim(raw);
    if (text.empty() || text[0] == '#') return true;
    std::vector<std::string> f = Split(text, '|');
    const std::string& type = f[0];
    if (type == "button2") return Button(f, SetKind::TwoLamp, 5, 6);
    if (type == "button1") return Button(f, SetKind::OneLamp, 4, 5);
    if (type == "light") return Button(f, SetKind::Light, 4, 4);
    if (type == "cover") return Cover(f);
    if (type == "guard") return Guard(f);
    if (type == "knob") return Knob(f);
    if (type == "switch") return Files(f, SetKind::Switch);
    if (type == "rotary") return Files(f, SetKind::Rotary);
    if (type == "glyphs") return Simple(f, SetKind::Glyphs);
    if (type == "picture") return Simple(f, SetKind::Picture);
    if (type == "panel") return PanelLine(f);
    if (type == "control") return ControlLine(f);
    if (type == "display") return DisplayLine(f);
    if (type == "text") return TextLine(f);
    return Fail("unknown record type \"" + type + "\"");
  }

  // Checks that need the whole file: references between records.
  bool Finish() {
    for (const Control& c : out_.controls) {
      line_ = c.line;
      if (out_.FindPanel(c.panel) == nullptr) return Fail("no panel " + std::to_string(c.panel));
      if (c.cells == 0 && out_.SetOfControl(c) == nullptr) return Fail("no image set \"" + c.set + "\"");
    }
    for (const Legend& l : out_.legends) {
      line_ = l.line;
      if (out_.FindPanel(l.panel) == nullptr) return Fail("no panel " + std::to_string(l.panel));
    }
    return true;
  }

 private:
  bool Fail(const std::string& what) {
    FormatBounded(error_, errorSize_, "%s:%d: %s", source_, line_, what.c_str());
    return false;
  }

  bool Fields(const std::vector<std::string>& f, std::size_t min, std::size_t max) {
    if (f.size() < min || f.size() > max) {
      return Fail("\"" + f[0] + "\" takes " + std::to_string(min - 1) +
                  (min == max ? "" : " to " + std::to_string(max - 1)) + " fields, found " +
                  std::to_string(f.size() - 1));
    }
    for (std::size_t i = 1; i < min; ++i) {
      if (f[i].empty()) return Fail("field " + std::to_string(i) + " is empty");
    }
    return true;
  }

  bool NewSet(const std::vector<std::string>& f, SetKind kind, ImageSet& set) {
    set.kind = kind;
    set.name = f[1];
    set.line = line_;
    if (out_.FindSet(set.name) != nullptr) return Fail("image set \"" + set.name + "\" listed twice");
    if (set.name.find('/') != std::string::npos) return Fail("names use backslashes: \"" + set.name + "\"");
    if (!ParseSize(f[2], set.size)) return Fail("bad size \"" + f[2] + "\" (expected WxH)");
    return true;
  }

  bool Button(const std::vector<std::string>& f, SetKind kind, std::size_t min, std::size_t max) {
    if (!Fields(f, min, max)) return false;
    ImageSet set;
    if (!NewSet(f, kind, set)) return false;
    if (!ParseLamp(f[3], set.upper)) return Fail("bad lamp \"" + f[3] + "\" (expected TEXT colour)");
    std::size_t next = 4;
    if (kind == SetKind::TwoLamp) {
      if (!ParseLamp(f[4], set.lower)) return Fail("bad lamp \"" + f[4] + "\" (expected TEXT colour)");
      next = 5;
    }
    if (f.size() > next) set.style = f[next];
    out_.sets.push_back(set);
    return true;
  }

  bool Cover(const std::vector<std::string>& f) {
    if (!Fields(f, 4, 5)) return false;
    ImageSet set;
    if (!NewSet(f, SetKind::Cover, set)) return false;
    set.style = f[3];
    if (f.size() > 4 && !ParseLamp(f[4], set.upper)) return Fail("bad lamp \"" + f[4] + "\"");
    out_.sets.push_back(set);
    return true;
  }

  bool Guard(const std::vector<std::string>& f) {
    if (!Fields(f, 4, 4)) return false;
    ImageSet set;
    set.kind = SetKind::Guard;
    set.name = f[1];
    set.line = line_;
    if (out_.FindSet(set.name) != nullptr) return Fail("image set \"" + set.name + "\" listed twice");
    GuardGeometry g;
    if (!GuardGeometryFromStyle(f[2], g)) return Fail("bad guard geometry \"" + f[2] + "\" (standard or fire)");
    PartRect b = GuardBounds(g);
    set.size = Size{b.w, b.h};
    set.style = f[2] + " " + f[3];
    out_.sets.push_back(set);
    return true;
  }

  bool Knob(const std::vector<std::string>& f) {
    if (!Fields(f, 4, 5)) return false;
    ImageSet set;
    if (!NewSet(f, SetKind::Knob, set)) return false;
    std::vector<std::string> labels = Split(f[3], ',');
    if (labels.size() != 8) return Fail("a knob takes 8 comma-separated position labels");
    for (std::size_t i = 0; i < 8; ++i) set.labels[i] = labels[i];
    if (f.size() > 4) set.style = f[4];
    out_.sets.push_back(set);
    return true;
  }

  bool Files(const std::vector<std::string>& f, SetKind kind) {
    if (!Fields(f, 5, 5)) return false;
    ImageSet set;
    if (!NewSet(f, kind, set)) return false;
    if (set.name.find('\\') == std::string::npos) return Fail("name needs a folder: \"" + set.name + "\"");
    set.style = f[3];
    set.files = Words(f[4]);
    std::size_t want = kind == SetKind::Switch ? 0 : 1;
    if (set.files.empty() || (want != 0 && set.files.size() != want) || set.files.size() > 3) {
      return Fail(kind == SetKind::Switch ? "a switch lists 2 or 3 file names" : "a rotary knob lists 1 file name");
    }
    if (kind == SetKind::Switch && set.files.size() < 2) return Fail("a switch lists 2 or 3 file names");
    out_.sets.push_back(set);
    return true;
  }

  bool Simple(const std::vector<std::string>& f, SetKind kind) {
    if (!Fields(f, 4, 4)) return false;
    ImageSet set;
    if (!NewSet(f, kind, set)) return false;
    set.style = f[3];
    if (kind == SetKind::Glyphs && !ParseColour(set.style, set.upper.colour)) {
      return Fail("bad colour \"" + set.style + "\"");
    }
    out_.sets.push_back(set);
    return true;
  }

  bool PanelLine(const std::vector<std::string>& f) {
    if (!Fields(f, 5, 6)) return false;
    Panel p;
    p.line = line_;
    int r[4];
    if (!ParseInt(f[1], p.id) || p.id < 0 || p.id > 24) return Fail("bad panel id \"" + f[1] + "\"");
    if (out_.FindPanel(p.id) != nullptr) return Fail("panel " + f[1] + " listed twice");
    p.title = f[2];
    if (!ParseInts(f[3], ',', 4, r) || r[2] <= 0 || r[3] <= 0) return Fail("bad rectangle \"" + f[3] + "\" (x,y,w,h)");
    p.x = r[0];
    p.y = r[1];
    p.w = r[2];
    p.h = r[3];
    if (!ParseInts(f[4], ',', 2, r)) return Fail("bad title position \"" + f[4] + "\" (x,y or -1,-1)");
    p.titleX = r[0];
    p.titleY = r[1];
    out_.panels.push_back(p);
    return true;
  }

  bool Position(const std::string& s, int& x, int& y) {
    int r[2];
    if (!ParseInts(s, ',', 2, r)) return Fail("bad position \"" + s + "\" (x,y)");
    x = r[0];
    y = r[1];
    return true;
  }

  bool ControlLine(const std::vector<std::string>& f) {
    if (!Fields(f, 4, 6)) return false;
    Control c;
    c.line = line_;
    if (!ParseInt(f[1], c.panel)) return Fail("bad panel id \"" + f[1] + "\"");
    c.set = f[2];
    if (!Position(f[3], c.x, c.y)) return false;
    if (f.size() > 4) c.label = f[4];
    if (f.size() > 5) c.name = f[5];
    out_.controls.push_back(c);
    return true;
  }

  bool DisplayLine(const std::vector<std::string>& f) {
    if (!Fields(f, 4, 4)) return false;
    Control c;
    c.line = line_;
    c.set = "DigitalDisplay";
    if (!ParseInt(f[1], c.panel)) return Fail("bad panel id \"" + f[1] + "\"");
    if (!Position(f[2], c.x, c.y)) return false;
    if (!ParseInt(f[3], c.cells) || c.cells < 1 || c.cells > 49) return Fail("bad cell count \"" + f[3] + "\"");
    out_.controls.push_back(c);
    return true;
  }

  bool TextLine(const std::vector<std::string>& f) {
    if (!Fields(f, 4, 4)) return false;
    Legend l;
    l.line = line_;
    if (!ParseInt(f[1], l.panel)) return Fail("bad panel id \"" + f[1] + "\"");
    if (!Position(f[2], l.x, l.y)) return false;
    l.text = f[3];
    out_.legends.push_back(l);
    return true;
  }

  const char* source_;
  ArtData& out_;
  char* error_;
  std::size_t errorSize_;
  int line_ = 0;
};

}  // namespace

const ImageSet* ArtData::FindSet(const std::string& name) const {
  for (const ImageSet& s : sets) {
    if (s.name == name) return &s;
  }
  return nullptr;
}

const ImageSet* ArtData::SetOfControl(const Control& control) const {
  const ImageSet* set = FindSet(control.set);
  if (set != nullptr) return set;
  std::size_t at = control.set.rfind('\\');
  if (at == std::string::npos) return nullptr;
  std::string folder = control.set.substr(0, at);
  std::string file = control.set.substr(at + 1);
  for (const ImageSet& s : sets) {
    if (s.kind != SetKind::Switch || s.name.compare(0, folder.size() + 1, folder + "\\") != 0) continue;
    for (const std::string& f : s.files) {
      if (f == file) return &s;
    }
  }
  return nullptr;
}

const Panel* ArtData::FindPanel(int id) const {
  for (const Panel& p : panels) {
    if (p.id == id) return &p;
  }
  return nullptr;
}

const Control* ArtData::FindControl(int panel, int x, int y, std::initializer_list<SetKind> kinds) const {
  for (const Control& c : controls) {
    if (c.panel != panel || c.x != x || c.y != y) continue;
    const ImageSet* set = SetOfControl(c);
    for (SetKind kind : kinds) {
      if (set != nullptr && set->kind == kind) return &c;
    }
  }
  return nullptr;
}

std::string ArtData::ControlName(const Control& control) const {
  if (!control.name.empty()) return control.name;
  if (!control.label.empty()) {
    std::string name = control.label;
    for (char& ch : name) {
      if (ch == '/') ch = ' ';
    }
    return name;
  }
  // A key with its legend printed on its face, or a light, goes by that legend.
  const ImageSet* set = SetOfControl(control);
  if (set != nullptr && (set->kind == SetKind::Light || (set->kind == SetKind::OneLamp && set->style == "face"))) {
    return set->upper.text;
  }
  // A free legend centred over the control's width, at most kReach pixels
  // above its top or below its bottom; the nearest wins.
  constexpr int kReach = 40;
  const Size size = set != nullptr ? set->size : Size{};
  const Legend* best = nullptr;
  int bestDistance = kReach + 1;
  for (const Legend& l : legends) {
    if (l.panel != control.panel || l.x < control.x || l.x > control.x + size.w) continue;
    const int distance = l.y < control.y ? control.y - l.y : l.y - (control.y + size.h);
    if (distance >= 0 && distance < bestDistance) {
      best = &l;
      bestDistance = distance;
    }
  }
  return best != nullptr ? best->text : std::string();
}

bool ParseArtData(const std::string& text, const char* sourceName, ArtData& out,
                  char* error, std::size_t errorSize) {
  out = ArtData{};
  Parser parser(sourceName, out, error, errorSize);
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    if (!parser.Line(line, ++number)) return false;
  }
  return parser.Finish();
}

bool LoadArtData(const char* path, ArtData& out, char* error, std::size_t errorSize) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    FormatBounded(error, errorSize, "%s: cannot open the art description", path);
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return ParseArtData(text.str(), path, out, error, errorSize);
}

std::vector<std::string> ImageFiles(const ImageSet& set) {
  std::vector<std::string> files;
  auto add = [&](const std::string& folder, const char* const* names, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) files.push_back(folder + "\\" + names[i] + ".bmp");
  };
  switch (set.kind) {
    case SetKind::TwoLamp: add(set.name, kTwoLampFiles, 8); break;
    case SetKind::OneLamp: add(set.name, kOneLampFiles, 4); break;
    case SetKind::Cover: add(set.name, kCoverFiles, 2); break;
    case SetKind::Guard: add(set.name, kGuardPartNames, 8); break;
    case SetKind::Knob: add(set.name, kKnobFiles, 8); break;
    case SetKind::Light: add(set.name, kLightFiles, 2); break;
    case SetKind::Glyphs: add(set.name, kGlyphFiles, 37); break;
    case SetKind::Switch:
    case SetKind::Rotary: {
      std::string folder = set.name.substr(0, set.name.rfind('\\'));
      for (const std::string& f : set.files) {
        std::string path = folder + "\\" + f + ".bmp";
        bool seen = false;
        for (const std::string& had : files) seen = seen || had == path;
        if (!seen) files.push_back(path);
      }
      break;
    }
    case SetKind::Picture: files.push_back(set.name); break;
  }
  return files;
}

bool GuardGeometryFromStyle(const std::string& style, GuardGeometry& geometry) {
  if (style == "standard") geometry = GuardGeometry::Standard;
  else if (style == "fire") geometry = GuardGeometry::Fire;
  else return false;
  return true;
}

std::array<PartRect, 8> GuardParts(GuardGeometry geometry) {
  if (geometry == GuardGeometry::Standard) {
    // Default geometry: left (0, 0), right (32, 0), top (-1, -2), bottom (2, 33),
    // vertical (18, 2), horizontal (0, 17); both lifted parts at the top part.
    // The button underneath is 32 x 32. The closed guard is one frame, x 0..34,
    // y -2..35: a hinge bar 5 rows deep on top, bars 3 wide on the other
    // sides, leaving the button's face open. The vertical and horizontal parts
    // are the pieces of the top and left bars at their offsets, so they never
    // cross the face.
    return {{{-1, -2, 37, 5},    // top
             {2, 33, 33, 3},     // bottom
             {0, 0, 3, 36},      // left
             {32, 0, 3, 36},     // right
             {18, 2, 4, 1},      // vertical
             {0, 17, 3, 2},      // horizontal
             {-1, -2, 37, 6},    // opentop
             {-1, -2, 37, 38}}}; // openbot: clears the whole closed guard once
  }
  // Fire guard geometry: left (0, -20), right (106, -20), top (0, -20),
  // bottom (0, 45), vertical and horizontal (0, 0), lifted top (0, -25),
  // lifted bottom 45 below the lifted top. The fire button underneath is 110 x 45.
  return {{{0, -20, 110, 20},    // top
           {0, 45, 110, 6},      // bottom
           {0, -20, 4, 71},      // left
           {106, -20, 4, 71},    // right
           {0, 0, 4, 45},        // vertical
           {0, 0, 110, 3},       // horizontal
           {0, -25, 110, 25},    // opentop
           {0, 20, 110, 31}}};   // openbot: clears the closed guard below the button once
}

PartRect GuardBounds(GuardGeometry geometry) {
  std::array<PartRect, 8> parts = GuardParts(geometry);
  int x0 = parts[0].x, y0 = parts[0].y, x1 = x0 + parts[0].w, y1 = y0 + parts[0].h;
  for (const PartRect& p : parts) {
    if (p.x < x0) x0 = p.x;
    if (p.y < y0) y0 = p.y;
    if (p.x + p.w > x1) x1 = p.x + p.w;
    if (p.y + p.h > y1) y1 = p.y + p.h;
  }
  return PartRect{x0, y0, x1 - x0, y1 - y0};
}

}  // namespace art
