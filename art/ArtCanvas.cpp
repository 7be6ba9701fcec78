#include "art/ArtCanvas.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>

#include "common/TextFcns.h"

namespace art {

namespace {

int Clamp255(double v) { return v < 0 ? 0 : v > 255 ? 255 : static_cast<int>(v + 0.5); }

double Coverage(double distance) {
  // Distance is negative inside; one pixel of soft edge.
  double c = 0.5 - distance;
  return c < 0 ? 0 : c > 1 ? 1 : c;
}

double RoundBoxDistance(double px, double py, double x0, double y0, double x1, double y1, double r) {
  double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  double hx = (x1 - x0) / 2 - r, hy = (y1 - y0) / 2 - r;
  double qx = std::fabs(px - cx) - hx, qy = std::fabs(py - cy) - hy;
  double ox = std::max(qx, 0.0), oy = std::max(qy, 0.0);
  return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0) - r;
}

double SegmentDistance(double px, double py, double x0, double y0, double x1, double y1) {
  double dx = x1 - x0, dy = y1 - y0;
  double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  double ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
  return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

Rgb Mix(Rgb a, Rgb b, double t) {
  return Rgb{Clamp255(a.r + (b.r - a.r) * t), Clamp255(a.g + (b.g - a.g) * t), Clamp255(a.b + (b.b - a.b) * t)};
}

Rgb Scale(Rgb c, double f) { return Rgb{Clamp255(c.r * f), Clamp255(c.g * f), Clamp255(c.b * f)}; }

Canvas::Canvas(int w, int h, Rgb fill) : w_(std::max(w, 1)), h_(std::max(h, 1)) {
  px_.assign(static_cast<std::size_t>(w_) * h_,
             (static_cast<uint32_t>(fill.r) << 16) | (static_cast<uint32_t>(fill.g) << 8) | fill.b);
}

Rgb Canvas::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return Rgb{};
  uint32_t p = px_[static_cast<std::size_t>(y) * w_ + x];
  return Rgb{static_cast<int>((p >> 16) & 255), static_cast<int>((p >> 8) & 255), static_cast<int>(p & 255)};
}

void Canvas::Blend(int x, int y, Rgb c, double alpha) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_ || alpha <= 0) return;
  uint32_t& p = px_[static_cast<std::size_t>(y) * w_ + x];
  if (alpha >= 1) {
    p = (static_cast<uint32_t>(c.r) << 16) | (static_cast<uint32_t>(c.g) << 8) | static_cast<uint32_t>(c.b);
    return;
  }
  Rgb old{static_cast<int>((p >> 16) & 255), static_cast<int>((p >> 8) & 255), static_cast<int>(p & 255)};
  Rgb n = Mix(old, c, alpha);
  p = (static_cast<uint32_t>(n.r) << 16) | (static_cast<uint32_t>(n.g) << 8) | static_cast<uint32_t>(n.b);
}

void Canvas::FillRect(int x, int y, int w, int h, Rgb c) {
  for (int j = std::max(y, 0); j < std::min(y + h, h_); ++j) {
    for (int i = std::max(x, 0); i < std::min(x + w, w_); ++i) Blend(i, j, c, 1.0);
  }
}

void Canvas::VGradient(int x, int y, int w, int h, Rgb top, Rgb bottom) {
  for (int j = 0; j < h; ++j) {
    Rgb c = Mix(top, bottom, h > 1 ? static_cast<double>(j) / (h - 1) : 0.0);
    FillRect(x, y + j, w, 1, c);
  }
}

template <typename Distance>
void Canvas::FillDistance(double x0, double y0, double x1, double y1, Rgb c, double alpha, Distance d) {
  int i0 = std::max(0, static_cast<int>(std::floor(x0)) - 1);
  int j0 = std::max(0, static_cast<int>(std::floor(y0)) - 1);
  int i1 = std::min(w_ - 1, static_cast<int>(std::ceil(x1)) + 1);
  int j1 = std::min(h_ - 1, static_cast<int>(std::ceil(y1)) + 1);
  for (int j = j0; j <= j1; ++j) {
    for (int i = i0; i <= i1; ++i) {
      double cover = Coverage(d(i + 0.5, j + 0.5));
      if (cover > 0) Blend(i, j, c, cover * alpha);
    }
  }
}

void Canvas::RoundRect(double x0, double y0, double x1, double y1, double radius, Rgb c, double alpha) {
  radius = std::min({radius, (x1 - x0) / 2, (y1 - y0) / 2});
  FillDistance(x0, y0, x1, y1, c, alpha,
               [&](double px, double py) { return RoundBoxDistance(px, py, x0, y0, x1, y1, radius); });
}

void Canvas::RoundRectOutline(double x0, double y0, double x1, double y1, double radius, double width, Rgb c,
                              double alpha) {
  radius = std::min({radius, (x1 - x0) / 2, (y1 - y0) / 2});
  FillDistance(x0, y0, x1, y1, c, alpha, [&](double px, double py) {
    double d = RoundBoxDistance(px, py, x0, y0, x1, y1, radius);
    return std::max(d, -d - width);
  });
}

void Canvas::Circle(double cx, double cy, double r, Rgb c, double alpha) {
  FillDistance(cx - r, cy - r, cx + r, cy + r, c, alpha,
               [&](double px, double py) { return std::hypot(px - cx, py - cy) - r; });
}

void Canvas::Ring(double cx, double cy, double r, double width, Rgb c, double alpha) {
  FillDistance(cx - r, cy - r, cx + r, cy + r, c, alpha, [&](double px, double py) {
    double d = std::hypot(px - cx, py - cy) - r;
    return std::max(d, -d - width);
  });
}

void Canvas::Line(double x0, double y0, double x1, double y1, double width, Rgb c, double alpha) {
  double h = width / 2;
  FillDistance(std::min(x0, x1) - h, std::min(y0, y1) - h, std::max(x0, x1) + h, std::max(y0, y1) + h, c, alpha,
               [&](double px, double py) { return SegmentDistance(px, py, x0, y0, x1, y1) - h; });
}

void Canvas::Polygon(const std::vector<std::pair<double, double>>& pts, Rgb c, double alpha) {
  if (pts.size() < 3) return;
  double x0 = pts[0].first, x1 = x0, y0 = pts[0].second, y1 = y0;
  for (const auto& p : pts) {
    x0 = std::min(x0, p.first);
    x1 = std::max(x1, p.first);
    y0 = std::min(y0, p.second);
    y1 = std::max(y1, p.second);
  }
  // Signed area tells the winding; distance to the nearest edge, negative inside.
  double area = 0;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const auto& a = pts[i];
    const auto& b = pts[(i + 1) % pts.size()];
    area += a.first * b.second - b.first * a.second;
  }
  double sign = area >= 0 ? 1.0 : -1.0;
  FillDistance(x0, y0, x1, y1, c, alpha, [&](double px, double py) {
    double best = 1e9;
    bool inside = true;
    for (std::size_t i = 0; i < pts.size(); ++i) {
      const auto& a = pts[i];
      const auto& b = pts[(i + 1) % pts.size()];
      double cross = (b.first - a.first) * (py - a.second) - (b.second - a.second) * (px - a.first);
      if (cross * sign < 0) inside = false;
      best = std::min(best, SegmentDistance(px, py, a.first, a.second, b.first, b.second));
    }
    return inside ? -best : best;
  });
}

void Canvas::Blit(const Canvas& source, int x, int y) {
  for (int j = 0; j < source.h_; ++j) {
    for (int i = 0; i < source.w_; ++i) Blend(x + i, y + j, source.At(i, j), 1.0);
  }
}

Fonts::~Fonts() {
  for (auto& f : fonts_) {
    if (f.second != nullptr) TTF_CloseFont(f.second);
  }
}

bool Fonts::Check(char* error, std::size_t size) {
  if (Get(false, 10) == nullptr || Get(true, 10) == nullptr) {
    FormatBounded(error, size, "cannot open DejaVuSans.ttf and DejaVuSans-Bold.ttf in %s: %s", folder_.c_str(),
                  TTF_GetError());
    return false;
  }
  return true;
}

TTF_Font* Fonts::Get(bool bold, int size) {
  auto key = std::make_pair(bold, size);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  std::string path = folder_ + (bold ? "/DejaVuSans-Bold.ttf" : "/DejaVuSans.ttf");
  TTF_Font* font = TTF_OpenFont(path.c_str(), size);
  if (font != nullptr) TTF_SetFontHinting(font, TTF_HINTING_LIGHT);
  fonts_[key] = font;
  return font;
}

namespace {

// The alpha of a rendered text, with the bounds of its ink.
struct Ink {
  int w = 0, h = 0;
  std::vector<double> alpha;
  int x0 = 0, x1 = 0, y0 = 0, y1 = 0;  // ink box, x1 and y1 exclusive
};

bool Render(TTF_Font* font, const std::string& text, Ink& ink) {
  if (font == nullptr || text.empty()) return false;
  SDL_Color white{255, 255, 255, 255};
  SDL_Surface* raw = TTF_RenderUTF8_Blended(font, text.c_str(), white);
  if (raw == nullptr) return false;
  SDL_Surface* s = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(raw);
  if (s == nullptr) return false;
  ink.w = s->w;
  ink.h = s->h;
  ink.alpha.assign(static_cast<std::size_t>(ink.w) * ink.h, 0.0);
  ink.x0 = ink.w;
  ink.y0 = ink.h;
  ink.x1 = ink.y1 = 0;
  SDL_LockSurface(s);
  for (int y = 0; y < ink.h; ++y) {
    const uint32_t* row =
        reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + static_cast<std::size_t>(y) * s->pitch);
    for (int x = 0; x < ink.w; ++x) {
      double a = ((row[x] >> 24) & 255) / 255.0;
      ink.alpha[static_cast<std::size_t>(y) * ink.w + x] = a;
      if (a > 0.02) {
        ink.x0 = std::min(ink.x0, x);
        ink.x1 = std::max(ink.x1, x + 1);
        ink.y0 = std::min(ink.y0, y);
        ink.y1 = std::max(ink.y1, y + 1);
      }
    }
  }
  SDL_UnlockSurface(s);
  SDL_FreeSurface(s);
  if (ink.x1 <= ink.x0) {
    ink.x0 = ink.y0 = 0;
    ink.x1 = ink.w;
    ink.y1 = ink.h;
  }
  return true;
}

}  // namespace

int Fonts::InkWidth(const std::string& text, bool bold, int size) {
  Ink ink;
  if (!Render(Get(bold, size), text, ink)) return 0;
  return ink.x1 - ink.x0;
}

void Fonts::Text(Canvas& canvas, const std::string& text, bool bold, int size, Rgb colour, double x, double cy,
                 Align align, int maxWidth, double halo) {
  Ink ink;
  if (!Render(Get(bold, size), text, ink)) return;
  int inkW = ink.x1 - ink.x0;
  int inkH = ink.y1 - ink.y0;
  // Squeeze horizontally with an area filter when the text is too wide.
  int outW = inkW;
  if (maxWidth > 0 && inkW > maxWidth) outW = maxWidth;
  std::vector<double> out(static_cast<std::size_t>(outW) * inkH, 0.0);
  double ratio = static_cast<double>(inkW) / outW;
  for (int y = 0; y < inkH; ++y) {
    for (int ox = 0; ox < outW; ++ox) {
      double s0 = ox * ratio, s1 = (ox + 1) * ratio, sum = 0;
      for (int sx = static_cast<int>(s0); sx < static_cast<int>(std::ceil(s1)) && sx < inkW; ++sx) {
        double part = std::min(s1, sx + 1.0) - std::max(s0, static_cast<double>(sx));
        if (part > 0) sum += part * ink.alpha[static_cast<std::size_t>(y + ink.y0) * ink.w + sx + ink.x0];
      }
      out[static_cast<std::size_t>(y) * outW + ox] = sum / ratio;
    }
  }
  double left = align == Align::Left ? x : align == Align::Centre ? x - outW / 2.0 : x - outW;
  int ox0 = static_cast<int>(std::lround(left));
  int oy0 = static_cast<int>(std::lround(cy - inkH / 2.0));
  if (halo > 0) {
    const int offsets[8][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {-1, -1}, {1, 1}, {-1, 1}, {1, -1}};
    for (const auto& o : offsets) {
      for (int y = 0; y < inkH; ++y) {
        for (int i = 0; i < outW; ++i) {
          double a = out[static_cast<std::size_t>(y) * outW + i];
          if (a > 0) canvas.Blend(ox0 + i + o[0], oy0 + y + o[1], colour, a * halo);
        }
      }
    }
  }
  for (int y = 0; y < inkH; ++y) {
    for (int i = 0; i < outW; ++i) {
      double a = out[static_cast<std::size_t>(y) * outW + i];
      if (a > 0) canvas.Blend(ox0 + i, oy0 + y, colour, a);
    }
  }
}

}  // namespace art
