#include "art/ArtDraw.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace art {

const Rgb kPlate{92, 108, 124};

namespace {

const double kPi = 3.14159265358979323846;
const Rgb kLegend{242, 244, 246};      // white legends on the plates
const Rgb kBezel{20, 21, 24};
const Rgb kUnlitWindow{14, 14, 16};
const Rgb kUnlitText{62, 62, 64};

Rgb LitColour(LampColour c) {
  switch (c) {
    case LampColour::White: return Rgb{246, 246, 240};
    case LampColour::Amber: return Rgb{255, 168, 24};
    case LampColour::Blue: return Rgb{64, 168, 255};
    case LampColour::Green: return Rgb{70, 235, 96};
    case LampColour::Red: return Rgb{255, 44, 36};
  }
  return Rgb{255, 255, 255};
}

std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> w;
  std::istringstream in(s);
  std::string x;
  while (in >> x) w.push_back(x);
  return w;
}

std::string Word(const std::string& s, std::size_t i) {
  std::vector<std::string> w = Words(s);
  return i < w.size() ? w[i] : std::string();
}

// One lamp window with its legend, lit or dark.
void DrawLamp(Canvas& c, Fonts& fonts, double x0, double y0, double x1, double y1, const Lamp& lamp, bool lit) {
  Rgb colour = LitColour(lamp.colour);
  c.RoundRect(x0, y0, x1, y1, 1.0, lit ? Mix(kUnlitWindow, colour, 0.16) : kUnlitWindow);
  Rgb ink = lit ? colour : Mix(kUnlitText, colour, 0.22);
  double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  double w = x1 - x0, h = y1 - y0;
  if (lamp.text == "...") {
    for (int i = -1; i <= 1; ++i) {
      c.Circle(cx + i * w * 0.24, cy, std::max(1.2, h * 0.13), ink);
    }
    return;
  }
  if (lamp.text == "-") {
    c.Line(x0 + w * 0.2, cy, x1 - w * 0.2, cy, std::max(2.0, h * 0.28), ink);
    return;
  }
  int size = std::max(6, static_cast<int>(std::lround(h * 0.82)));
  fonts.Text(c, lamp.text, true, size, ink, cx, cy, Align::Centre, static_cast<int>(w) - 2, lit ? 0.22 : 0.0);
}

// The body of a push button; returns the face rectangle in f.
void DrawButtonBody(Canvas& c, bool in, double f[4]) {
  double w = c.Width(), h = c.Height();
  c.RoundRect(0, 0, w, h, 3.5, kBezel);
  if (!in) {
    // Out: a raised grey collar lit from the top left.
    c.RoundRect(1, 1, w - 1, h - 1, 3, Rgb{168, 172, 178});
    c.RoundRect(2, 2, w - 1, h - 1, 2.5, Rgb{70, 73, 78});
    c.RoundRect(2, 2, w - 2, h - 2, 2.5, Rgb{118, 122, 128});
    f[0] = 3;
    f[1] = 3;
    f[2] = w - 3;
    f[3] = h - 3;
    c.RoundRect(f[0], f[1], f[2], f[3], 1.5, Rgb{30, 31, 34});
  } else {
    // In: sunk into the panel, the collar hidden, the face in shadow.
    c.RoundRect(1, 1, w - 1, h - 1, 3, Rgb{8, 8, 9});
    f[0] = 3;
    f[1] = 4;
    f[2] = w - 2;
    f[3] = h - 2;
    c.RoundRect(f[0] - 1, f[1] - 1, f[2], f[3], 1.5, Rgb{0, 0, 0});
    c.RoundRect(f[0], f[1], f[2], f[3], 1.5, Rgb{22, 22, 24});
  }
}

std::vector<NamedImage> TwoLamp(const ImageSet& set, Fonts& fonts) {
  std::vector<NamedImage> images;
  std::vector<std::string> files = ImageFiles(set);
  for (int i = 0; i < 8; ++i) {
    bool in = i < 4;
    int code = i % 4;  // 0 upper lit, 1 lower lit, 2 both, 3 none
    Canvas c(set.size.w, set.size.h, kPlate);
    double f[4];
    DrawButtonBody(c, in, f);
    double mid = (f[1] + f[3]) / 2;
    DrawLamp(c, fonts, f[0] + 1, f[1] + 1, f[2] - 1, mid - 0.5, set.upper, code == 0 || code == 2);
    DrawLamp(c, fonts, f[0] + 1, mid + 0.5, f[2] - 1, f[3] - 1, set.lower, code == 1 || code == 2);
    images.push_back(NamedImage{files[i], c});
  }
  return images;
}

std::vector<NamedImage> OneLamp(const ImageSet& set, Fonts& fonts) {
  std::vector<NamedImage> images;
  std::vector<std::string> files = ImageFiles(set);
  for (int i = 0; i < 4; ++i) {
    bool lit = i == 0 || i == 2;
    bool in = i < 2;
    Canvas c(set.size.w, set.size.h, kPlate);
    double f[4];
    DrawButtonBody(c, in, f);
    if (set.style == "face") {
      // Legend printed on the key, with a small lamp bar above it.
      Rgb colour = LitColour(set.upper.colour);
      double fh = f[3] - f[1];
      double barH = std::max(3.0, fh * 0.22);
      c.RoundRect(f[0] + 4, f[1] + 2, f[2] - 4, f[1] + 2 + barH, 1, lit ? colour : Rgb{34, 38, 36});
      if (lit) c.RoundRect(f[0] + 2, f[1] + 1, f[2] - 2, f[1] + 3 + barH, 2, colour, 0.25);
      int size = std::max(6, static_cast<int>(std::lround((fh - barH - 3) * 0.85)));
      fonts.Text(c, set.upper.text, true, size, in ? Rgb{200, 202, 206} : Rgb{236, 238, 240}, (f[0] + f[2]) / 2,
                 (f[1] + 3 + barH + f[3]) / 2, Align::Centre, static_cast<int>(f[2] - f[0]) - 3);
    } else {
      DrawLamp(c, fonts, f[0] + 1, f[1] + 1, f[2] - 1, f[3] - 1, set.upper, lit);
    }
    images.push_back(NamedImage{files[i], c});
  }
  return images;
}

std::vector<NamedImage> Light(const ImageSet& set, Fonts& fonts) {
  std::vector<NamedImage> images;
  std::vector<std::string> files = ImageFiles(set);
  for (int i = 0; i < 2; ++i) {
    Canvas c(set.size.w, set.size.h, kPlate);
    double w = set.size.w, h = set.size.h;
    c.RoundRect(0, 0, w, h, 2.5, kBezel);
    c.RoundRect(1, 1, w - 1, h - 1, 2, Rgb{76, 80, 86});
    DrawLamp(c, fonts, 3, 3, w - 3, h - 3, set.upper, i == 0);
    images.push_back(NamedImage{files[i], c});
  }
  return images;
}

Rgb GuardColour(const std::string& name) {
  if (name == "red") return Rgb{196, 34, 30};
  if (name == "grey") return Rgb{178, 184, 190};
  return Rgb{40, 41, 44};  // black
}

// A bar of a guard with a highlight along its top or left edge.
void GuardBar(Canvas& c, double x0, double y0, double x1, double y1, Rgb colour) {
  c.RoundRect(x0, y0, x1, y1, 1.0, Scale(colour, 0.55));
  c.RoundRect(x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5, 0.8, colour);
  bool wide = (x1 - x0) >= (y1 - y0);
  Rgb hi = Mix(colour, Rgb{255, 255, 255}, 0.45);
  if (wide) c.Line(x0 + 1, y0 + 1, x1 - 1, y0 + 1, 1, hi, 0.8);
  else c.Line(x0 + 1, y0 + 1, x0 + 1, y1 - 1, 1, hi, 0.8);
}

// The closed standard guard as one frame, in the coordinates of the guard's
// bounds: every closed part is cut from it, so parts that overlap repeat the
// same pixels and the frame shows no seams or doubled bars.
Canvas StandardFrame(const PartRect& b, Rgb colour) {
  Canvas c(b.w, b.h, kPlate);
  const double x0 = 0 - b.x, y0 = -2 - b.y, x1 = 35 - b.x, y1 = 36 - b.y;  // outer edge
  const double i0 = 3 - b.x, j0 = 3 - b.y, i1 = 32 - b.x, j1 = 33 - b.y;   // the opening
  Rgb light = Mix(colour, Rgb{255, 255, 255}, 0.45);
  c.RoundRect(x0, y0, x1, y1, 2.0, Scale(colour, 0.55));
  c.RoundRect(x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5, 1.8, colour);
  c.Line(x0 + 1.5, y0 + 1, x1 - 1.5, y0 + 1, 1, light, 0.8);  // lit top and left edges
  c.Line(x0 + 1, y0 + 1.5, x0 + 1, y1 - 1.5, 1, light, 0.8);
  c.Line(x0 + 2, j0 - 2.5, x1 - 2, j0 - 2.5, 1, Scale(colour, 0.75), 0.7);  // the hinge
  c.RoundRect(i0 - 0.5, j0 - 0.5, i1 + 0.5, j1 + 0.5, 1.0, Scale(colour, 0.45));
  c.FillRect(static_cast<int>(i0), static_cast<int>(j0), static_cast<int>(i1 - i0), static_cast<int>(j1 - j0), kPlate);
  return c;
}

// The lifted standard guard: it stands up at the hinge, seen as its thick front edge.
void LiftedEdge(Canvas& c, double w, double h, Rgb colour) {
  c.RoundRect(1, 0, w - 1, h, 1.5, Scale(colour, 0.45));
  c.RoundRect(2, 0.5, w - 2, h - 1.5, 1.2, Mix(colour, Rgb{255, 255, 255}, 0.25));
  c.Line(3, 1.5, w - 3, 1.5, 1, Mix(colour, Rgb{255, 255, 255}, 0.6));
}

std::vector<NamedImage> Guard(const ImageSet& set, Fonts& fonts) {
  (void)fonts;
  GuardGeometry geometry = GuardGeometry::Standard;
  GuardGeometryFromStyle(Word(set.style, 0), geometry);
  Rgb colour = GuardColour(Word(set.style, 1));
  std::array<PartRect, 8> parts = GuardParts(geometry);
  std::vector<std::string> files = ImageFiles(set);
  std::vector<NamedImage> images;
  const PartRect bounds = GuardBounds(geometry);
  const Canvas frame = geometry == GuardGeometry::Standard ? StandardFrame(bounds, colour) : Canvas(1, 1, kPlate);
  for (int i = 0; i < 8; ++i) {
    const PartRect& p = parts[i];
    Canvas c(p.w, p.h, kPlate);
    double w = p.w, h = p.h;
    if (geometry == GuardGeometry::Standard) {
      if (i < 6) {
        c.Blit(frame, bounds.x - p.x, bounds.y - p.y);
      } else {
        // Lifted (6), and drawn once when the guard opens (7): the plate
        // where the closed frame was, with the lifted edge; the button is
        // painted again on the next frame.
        LiftedEdge(c, w, parts[6].h, colour);
      }
    } else {
      switch (i) {
        case 0: {  // closed hood over the button, hinged at its top
          c.RoundRect(0, 1, w, h + 4, 4, Scale(colour, 0.5));
          c.RoundRect(1, 2, w - 1, h + 4, 3.5, colour);
          c.VGradient(3, 4, static_cast<int>(w) - 6, static_cast<int>(h) - 5, Mix(colour, Rgb{255, 255, 255}, 0.4),
                      Scale(colour, 0.85));
          for (int k = 0; k < 2; ++k) c.RoundRect(10 + k * (w - 34), 6, 24 + k * (w - 34), 12, 2, Rgb{70, 72, 76});
          break;
        }
        case 1:
          c.RoundRect(0, -4, w, h, 3, Scale(colour, 0.5));
          c.RoundRect(1, -4, w - 1, h - 1, 2.5, colour);
          break;
        case 2: case 3: case 4: case 5:
          GuardBar(c, 0, 0, w, h, colour);
          break;
        case 6: {  // lifted hood: raised above the button, seen from below
          // Its top rows, above the closed hood, stay plate: closing the
          // guard repaints only the closed hood's rows.
          const double top = h - 20;
          c.RoundRect(0, top + 1, w, h, 4, Scale(colour, 0.45));
          c.VGradient(2, static_cast<int>(top) + 3, static_cast<int>(w) - 4, 14, Scale(colour, 0.7),
                      Mix(colour, Rgb{255, 255, 255}, 0.2));
          c.Line(3, h - 2, w - 3, h - 2, 1.5, Rgb{30, 30, 32});
          break;
        }
        case 7:  // drawn once when the hood opens: clears the closed hood below the button
          c.RoundRect(0, 0, w, 25, 3, Rgb{26, 27, 30});
          break;
      }
    }
    images.push_back(NamedImage{files[i], c});
  }
  return images;
}

std::vector<NamedImage> Cover(const ImageSet& set, Fonts& fonts) {
  std::vector<std::string> files = ImageFiles(set);
  std::vector<NamedImage> images;
  std::string kind = Word(set.style, 0);
  std::string variant = Word(set.style, 1);
  double w = set.size.w, h = set.size.h;
  for (int i = 0; i < 2; ++i) {
    bool closed = i == 1;  // Up (lifted), Down (closed)
    Canvas c(set.size.w, set.size.h, kPlate);
    if (kind == "plate") {
      Rgb colour = GuardColour(variant);
      // Hinge block at the top.
      c.RoundRect(5, 0, w - 5, 7, 1.5, Rgb{56, 58, 62});
      c.Line(7, 2, w - 7, 2, 1, Rgb{120, 124, 130});
      if (closed) {
        c.RoundRect(1, 5, w - 1, h - 1, 4, Scale(colour, 0.45));
        c.RoundRect(2, 5, w - 2, h - 2, 3.5, colour);
        c.VGradient(4, 8, static_cast<int>(w) - 8, 6, Mix(colour, Rgb{255, 255, 255}, 0.35), colour);
        for (int k = 0; k < 3; ++k) {
          double y = h * 0.42 + k * 5;
          c.Line(9, y, w - 9, y, 1.5, Scale(colour, 0.7));
        }
      } else {
        // Lifted: the plate stands up, its underside showing above the button.
        c.RoundRect(1, 4, w - 1, 18, 3, Scale(colour, 0.4));
        c.VGradient(3, 6, static_cast<int>(w) - 6, 10, Scale(colour, 0.65), Mix(colour, Rgb{255, 255, 255}, 0.15));
        c.RoundRect(3, 19, w - 3, h - 1, 3, Scale(kPlate, 0.8));
        c.RoundRect(4, 20, w - 4, h - 2, 2.5, kPlate);
      }
    } else {
      // A strip above the control it guards, carrying its legend.
      bool lit = variant == "lit";
      c.RoundRect(0, 0, w, h, 2, Rgb{34, 36, 40});
      if (closed) {
        c.RoundRect(1, 1, w - 1, h - 1, 1.5, Rgb{58, 60, 66});
        for (double x = -h; x < w; x += 5) c.Line(x, h - 1, x + h - 2, 1, 1, Rgb{80, 84, 90});
      } else {
        c.RoundRect(1, 1, w - 1, h - 3, 1.5, Rgb{150, 154, 160});
        c.Line(2, h - 2, w - 2, h - 2, 1.5, Rgb{20, 20, 22});
      }
      Rgb ink = lit ? LitColour(set.upper.colour) : (closed ? Rgb{200, 202, 206} : Rgb{24, 24, 26});
      c.RoundRect(3, 3, w - 3, h - 4, 1, closed ? Rgb{30, 32, 36} : Rgb{120, 124, 130}, lit ? 1.0 : 0.0);
      fonts.Text(c, set.upper.text.empty() ? "GUARD" : set.upper.text, true, static_cast<int>(h * 0.55), ink, w / 2,
                 h / 2 - 0.5, Align::Centre, static_cast<int>(w) - 6, lit ? 0.2 : 0.0);
    }
    images.push_back(NamedImage{files[i], c});
  }
  return images;
}

std::vector<NamedImage> Knob(const ImageSet& set, Fonts& fonts) {
  std::vector<std::string> files = ImageFiles(set);
  std::vector<NamedImage> images;
  double w = set.size.w, h = set.size.h;
  // Knobs whose positions all point upward sit low in their picture.
  bool upperOnly = set.labels[3].empty() && set.labels[4].empty() && set.labels[5].empty();
  double cx = w / 2;
  double cy = upperOnly ? h * 0.64 : h * 0.52;
  double reach = upperOnly ? std::min(w / 2, cy) : std::min(w, h) / 2;
  double labelR = reach * 0.80;
  double tickR1 = reach * 0.50, tickR2 = reach * 0.60;
  double knobR = reach * 0.44;
  int fontSize = std::max(7, static_cast<int>(std::lround(reach * 0.26)));
  Canvas base(set.size.w, set.size.h, kPlate);
  for (int p = 0; p < 8; ++p) {
    if (set.labels[p].empty()) continue;
    double a = p * kPi / 4;
    double sx = std::sin(a), sy = -std::cos(a);
    base.Line(cx + sx * tickR1, cy + sy * tickR1, cx + sx * tickR2, cy + sy * tickR2, 1.6, kLegend);
    if (set.labels[p] != ".") {
      // Centred on its spot on the scale, kept inside the picture.
      int iw = std::min(fonts.InkWidth(set.labels[p], false, fontSize), static_cast<int>(w / 2));
      double lx = cx + sx * labelR + sx * iw * 0.35, ly = cy + sy * labelR;
      lx = std::clamp(lx, iw / 2.0 + 1, w - iw / 2.0 - 1);
      ly = std::clamp(ly, fontSize * 0.5, h - fontSize * 0.5);
      fonts.Text(base, set.labels[p], false, fontSize, kLegend, lx, ly, Align::Centre, static_cast<int>(w / 2));
    }
  }
  for (int p = 0; p < 8; ++p) {
    Canvas c = base;
    double a = p * kPi / 4;
    double sx = std::sin(a), sy = -std::cos(a);
    // Round skirt with a shadow, then the bar-shaped grip along the pointer.
    c.Circle(cx + 1, cy + 1.5, knobR, Rgb{40, 46, 52}, 0.6);
    c.Circle(cx, cy, knobR, Rgb{30, 31, 34});
    c.Ring(cx, cy, knobR - 0.5, 1.2, Rgb{90, 94, 100});
    double gl = knobR * 1.02, gw = knobR * 0.62;
    c.Line(cx - sx * gl * 0.9 + 1, cy - sy * gl * 0.9 + 1.5, cx + sx * gl + 1, cy + sy * gl + 1.5, gw, Rgb{10, 10, 12}, 0.5);
    c.Line(cx - sx * gl * 0.9, cy - sy * gl * 0.9, cx + sx * gl, cy + sy * gl, gw, Rgb{52, 54, 58});
    c.Line(cx - sx * gl * 0.9, cy - sy * gl * 0.9, cx + sx * gl, cy + sy * gl, gw * 0.7, Rgb{36, 37, 40});
    // The white pointer line.
    c.Line(cx + sx * knobR * 0.15, cy + sy * knobR * 0.15, cx + sx * gl * 0.92, cy + sy * gl * 0.92,
           std::max(1.6, gw * 0.22), Rgb{250, 250, 250});
    images.push_back(NamedImage{files[p], c});
  }
  return images;
}

std::vector<NamedImage> Switch(const ImageSet& set, Fonts& fonts) {
  (void)fonts;
  std::vector<std::string> files = ImageFiles(set);
  std::vector<NamedImage> images;
  double w = set.size.w, h = set.size.h;
  double cx = w / 2, cy = h / 2;
  for (std::size_t i = 0; i < files.size(); ++i) {
    // Position of this file: up, middle or down (two files: up and down).
    int pos = files.size() == 2 ? (i == 0 ? 0 : 2) : static_cast<int>(i);
    Canvas c(set.size.w, set.size.h, kPlate);
    // Mounting nut.
    double nut = std::min(w, h) * 0.30;
    c.Circle(cx + 0.8, cy + 1.2, nut + 1, Rgb{40, 46, 52}, 0.6);
    c.Circle(cx, cy, nut + 1, Rgb{150, 154, 160});
    c.Circle(cx, cy, nut - 0.5, Rgb{104, 108, 114});
    c.Circle(cx, cy, nut * 0.55, Rgb{30, 31, 34});
    Rgb lever{200, 203, 208};
    Rgb tip = set.style == "as" ? Rgb{230, 200, 60} : set.style == "rmp" ? Rgb{60, 62, 66} : Rgb{226, 228, 232};
    if (pos == 1) {
      // Pointing at the viewer: only the end of the lever shows.
      c.Circle(cx + 1, cy + 1.5, nut * 0.85, Rgb{20, 20, 22}, 0.5);
      c.Circle(cx, cy, nut * 0.85, Scale(tip, 0.75));
      c.Circle(cx - 1, cy - 1, nut * 0.55, tip);
    } else {
      double dir = pos == 0 ? -1 : 1;
      double tipR = set.style == "round" ? nut * 0.62 : nut * 0.45;
      double len = h / 2 - tipR - 2;
      double ex = cx, ey = cy + dir * len;
      c.Line(cx + 1, cy + 1.5, ex + 1, ey + 1.5, nut * 0.55, Rgb{20, 20, 22}, 0.45);
      c.Line(cx, cy, ex, ey, nut * 0.5, lever);
      c.Line(cx - nut * 0.12, cy, ex - nut * 0.12, ey, nut * 0.16, Rgb{250, 250, 250}, 0.8);
      if (set.style == "paddle") {
        c.RoundRect(cx - nut * 0.8, ey - 3.5, cx + nut * 0.8, ey + 3.5, 1.5, Scale(tip, 0.7));
        c.RoundRect(cx - nut * 0.8 + 1, ey - 2.5, cx + nut * 0.8 - 1, ey + 2.5, 1, tip);
      } else {
        double r = set.style == "round" ? nut * 0.62 : nut * 0.45;
        c.Circle(ex, ey, r, Scale(tip, 0.7));
        c.Circle(ex - 0.6, ey - 0.6, r * 0.8, tip);
      }
    }
    images.push_back(NamedImage{files[i], c});
  }
  return images;
}

std::vector<NamedImage> Rotary(const ImageSet& set, Fonts& fonts) {
  (void)fonts;
  std::vector<std::string> files = ImageFiles(set);
  double w = set.size.w, h = set.size.h;
  double cx = w / 2, cy = h / 2, r = std::min(w, h) / 2 - 1;
  Canvas c(set.size.w, set.size.h, kPlate);
  c.Circle(cx + 1, cy + 1.5, r, Rgb{40, 46, 52}, 0.6);
  c.Circle(cx, cy, r, Rgb{24, 25, 28});
  // Knurled outer ring, inner knob and its index dot.
  for (int k = 0; k < 36; ++k) {
    double a = k * kPi / 18;
    c.Line(cx + std::sin(a) * r * 0.78, cy - std::cos(a) * r * 0.78, cx + std::sin(a) * r * 0.97,
           cy - std::cos(a) * r * 0.97, 1.0, Rgb{70, 72, 78});
  }
  c.Circle(cx, cy, r * 0.62, Rgb{10, 10, 12});
  c.Circle(cx, cy, r * 0.56, Rgb{46, 48, 52});
  c.Circle(cx - r * 0.08, cy - r * 0.1, r * 0.42, Rgb{58, 60, 66});
  c.Circle(cx, cy - r * 0.4, 1.6, Rgb{240, 240, 240});
  // Turning arrows.
  c.Line(cx - r * 0.3, cy + r * 0.15, cx - r * 0.18, cy + r * 0.05, 1.2, Rgb{200, 200, 200});
  c.Line(cx + r * 0.3, cy + r * 0.15, cx + r * 0.18, cy + r * 0.05, 1.2, Rgb{200, 200, 200});
  std::vector<NamedImage> images;
  for (const std::string& f : files) images.push_back(NamedImage{f, c});
  return images;
}

// Segments of a character cell: a..f around, g1 g2 across the middle,
// h i j the upper diagonals and stem, k l m the lower ones, p the point.
struct Segment {
  char id;
  double x0, y0, x1, y1;
};

std::vector<NamedImage> Glyphs(const ImageSet& set, Fonts& fonts) {
  (void)fonts;
  std::vector<std::string> files = ImageFiles(set);
  double w = set.size.w, h = set.size.h;
  double L = w * 0.18, R = w * 0.74, T = h * 0.12, M = h * 0.5, B = h * 0.88, C = (L + R) / 2;
  double g = w * 0.06;  // gap between segment ends
  const Segment segs[] = {
      {'a', L + g, T, R - g, T},         {'b', R, T + g, R, M - g},         {'c', R, M + g, R, B - g},
      {'d', L + g, B, R - g, B},         {'e', L, M + g, L, B - g},         {'f', L, T + g, L, M - g},
      {'g', L + g, M, C - g * 0.5, M},   {'G', C + g * 0.5, M, R - g, M},   {'h', L + g * 1.5, T + g * 2, C - g, M - g * 2},
      {'i', C, T + g * 1.5, C, M - g * 1.5}, {'j', R - g * 1.5, T + g * 2, C + g, M - g * 2},
      {'k', C - g, M + g * 2, L + g * 1.5, B - g * 2}, {'l', C, M + g * 1.5, C, B - g * 1.5},
      {'m', C + g, M + g * 2, R - g * 1.5, B - g * 2},
  };
  // Lit segments of each glyph, in the order of the glyph files.
  const char* lit[37] = {
      "abcdef", "bc", "abgGed", "abcdgG", "fgGbc", "afgGcd", "afedcgG", "abc", "abcdefgG", "abcdfgG",
      "afgGcd", "fedgG", "bcdegG", "gG", "", "cdegG", "gGil", "p", "d", "dgG", "dgGa", "dgGabf",
      "cde", "fed", "abfgGem", "febckm", "febchm", "afedg", "febcgG", "ail", "fegjm", "afed", "afedcG", "adil",
      "abcefgG", "abfegG", "abcdefp"};
  Rgb on = LitColour(set.upper.colour);
  Rgb off = Mix(Rgb{22, 18, 12}, on, 0.10);
  double sw = std::max(1.8, w * 0.15);
  std::vector<NamedImage> images;
  for (int i = 0; i < 37; ++i) {
    Canvas c(set.size.w, set.size.h, Rgb{12, 10, 8});
    std::string s = lit[i];
    for (const Segment& seg : segs) {
      bool isLit = s.find(seg.id) != std::string::npos;
      double width = (seg.id >= 'h' && seg.id <= 'm' && seg.id != 'i' && seg.id != 'l') ? sw * 0.8 : sw;
      if (isLit) c.Line(seg.x0, seg.y0, seg.x1, seg.y1, width + 1.5, on, 0.25);
      c.Line(seg.x0, seg.y0, seg.x1, seg.y1, width, isLit ? on : off);
    }
    bool point = s.find('p') != std::string::npos;
    c.Circle(w * 0.88, B, sw * 0.6, point ? on : off);
    images.push_back(NamedImage{files[i], c});
  }
  return images;
}

void Screw(Canvas& c, double x, double y) {
  c.Circle(x + 0.5, y + 0.7, 2.6, Rgb{40, 46, 54}, 0.6);
  c.Circle(x, y, 2.4, Rgb{150, 158, 166});
  c.Line(x - 1.5, y + 1.5, x + 1.5, y - 1.5, 0.9, Rgb{60, 66, 74});
}

}  // namespace

std::vector<NamedImage> DrawSet(const ImageSet& set, Fonts& fonts) {
  switch (set.kind) {
    case SetKind::TwoLamp: return TwoLamp(set, fonts);
    case SetKind::OneLamp: return OneLamp(set, fonts);
    case SetKind::Cover: return Cover(set, fonts);
    case SetKind::Guard: return Guard(set, fonts);
    case SetKind::Knob: return Knob(set, fonts);
    case SetKind::Switch: return Switch(set, fonts);
    case SetKind::Rotary: return Rotary(set, fonts);
    case SetKind::Light: return Light(set, fonts);
    case SetKind::Glyphs: return Glyphs(set, fonts);
    case SetKind::Picture: break;
  }
  return {};
}

Canvas DrawMainPicture(const ArtData& data, const ImageSet& picture, Fonts& fonts) {
  Canvas c(picture.size.w, picture.size.h, Rgb{30, 34, 40});
  // Cockpit structure around the panels: a dark ceiling with faint frame ribs.
  c.VGradient(0, 0, c.Width(), c.Height(), Rgb{38, 42, 48}, Rgb{24, 27, 32});
  for (int x = 0; x < c.Width(); x += 160) c.FillRect(x, 0, 3, c.Height(), Rgb{44, 49, 56});
  // The overhead frame behind the three columns of panels.
  c.RoundRect(606, -8, 1878, 1256, 10, Rgb{18, 20, 24});
  for (const Panel& p : data.panels) {
    double x0 = p.x + 1.5, y0 = p.y + 1.5, x1 = p.x + p.w - 1.5, y1 = p.y + p.h - 1.5;
    c.RoundRect(x0 - 1, y0 - 1, x1 + 1, y1 + 1, 4, Rgb{50, 58, 66});
    c.RoundRect(x0, y0, x1, y1, 3.5, kPlate);
    c.Line(x0 + 3, y0 + 0.8, x1 - 3, y0 + 0.8, 1, Mix(kPlate, Rgb{255, 255, 255}, 0.25));
    for (int k = 0; k < 4; ++k) Screw(c, k % 2 ? x1 - 6 : x0 + 6, k < 2 ? y0 + 6 : y1 - 6);
    if (!p.title.empty() && p.title != "-") {
      double tx = p.titleX >= 0 ? p.x + p.titleX : p.x + p.w / 2.0;
      double ty = p.titleY >= 0 ? p.y + p.titleY : p.y + p.h - 11;
      int width = fonts.InkWidth(p.title, true, 10);
      if (p.titleX < 0) c.Line(tx - width / 2.0 - 22, ty, tx - width / 2.0 - 6, ty, 1.2, kLegend);
      if (p.titleX < 0) c.Line(tx + width / 2.0 + 6, ty, tx + width / 2.0 + 22, ty, 1.2, kLegend);
      fonts.Text(c, p.title, true, 10, kLegend, tx, ty, Align::Centre, 0);
    }
  }
  for (const Control& ctl : data.controls) {
    if (ctl.label.empty()) continue;
    const Panel* p = data.FindPanel(ctl.panel);
    const ImageSet* set = data.SetOfControl(ctl);
    if (p == nullptr || set == nullptr) continue;
    double w = set->kind == SetKind::Guard ? 32 : set->size.w;
    double top = ctl.y - (set->kind == SetKind::Guard ? 2 : 0);
    // Several lines are separated by "/"; the last one sits just above the control.
    std::vector<std::string> lines;
    std::string rest = ctl.label;
    for (std::size_t at; (at = rest.find('/')) != std::string::npos; rest = rest.substr(at + 1)) {
      lines.push_back(rest.substr(0, at));
    }
    lines.push_back(rest);
    for (std::size_t k = 0; k < lines.size(); ++k) {
      double y = p->y + top - 6 - (lines.size() - 1 - k) * 9;
      fonts.Text(c, lines[k], false, 8, kLegend, p->x + ctl.x + w / 2, y, Align::Centre, 0);
    }
  }
  for (const Legend& l : data.legends) {
    const Panel* p = data.FindPanel(l.panel);
    if (p == nullptr) continue;
    fonts.Text(c, l.text, false, 8, kLegend, p->x + l.x, p->y + l.y, Align::Centre, 0);
  }
  return c;
}

Canvas DrawBanner(const ImageSet& picture, Fonts& fonts) {
  double w = picture.size.w, h = picture.size.h;
  Canvas c(picture.size.w, picture.size.h, kPlate);
  c.VGradient(0, 0, picture.size.w, picture.size.h, Rgb{44, 58, 76}, Rgb{18, 24, 34});
  c.Line(0, 0.5, w, 0.5, 1, Rgb{120, 140, 160});
  c.Line(0, h - 0.5, w, h - 0.5, 1, Rgb{8, 10, 14});
  // A row of little panel lamps at the left.
  const Rgb lamps[4] = {Rgb{255, 168, 24}, Rgb{246, 246, 240}, Rgb{64, 168, 255}, Rgb{70, 235, 96}};
  for (int k = 0; k < 4; ++k) {
    double x = 12 + k * 24;
    c.RoundRect(x, 9, x + 20, h - 9, 2.5, kBezel);
    c.RoundRect(x + 2, 11, x + 18, h - 11, 1.5, Scale(lamps[k], 0.3));
    c.Line(x + 5, h / 2, x + 15, h / 2, 3, lamps[k]);
  }
  fonts.Text(c, "TARNEL", true, 24, Rgb{240, 244, 248}, 118, h / 2, Align::Left, 0);
  fonts.Text(c, "Overhead panel station", false, 13, Rgb{176, 192, 208}, 240, h / 2 + 1, Align::Left, 0);
  fonts.Text(c, "Flight-training simulator", false, 11, Rgb{140, 156, 172}, w - 14, h / 2 + 1, Align::Right, 0);
  return c;
}

Canvas DrawIcon(const ImageSet& picture, Fonts& fonts) {
  double w = picture.size.w, h = picture.size.h;
  Canvas c(picture.size.w, picture.size.h, kPlate);
  c.RoundRect(0, 0, w, h, w * 0.16, Rgb{36, 44, 54});
  c.RoundRect(w * 0.12, h * 0.12, w * 0.88, h * 0.88, w * 0.1, kBezel);
  c.RoundRect(w * 0.18, h * 0.18, w * 0.82, h * 0.49, w * 0.05, Scale(Rgb{255, 168, 24}, 0.35));
  c.RoundRect(w * 0.18, h * 0.51, w * 0.82, h * 0.82, w * 0.05, kUnlitWindow);
  fonts.Text(c, "T", true, static_cast<int>(h * 0.32), Rgb{255, 180, 40}, w / 2, h * 0.335, Align::Centre, 0, 0.2);
  c.Line(w * 0.32, h * 0.665, w * 0.68, h * 0.665, h * 0.07, Rgb{90, 90, 92});
  return c;
}

}  // namespace art
