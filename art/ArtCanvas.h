// A small anti-aliased drawing surface for the art generator: shapes are
// rendered from their signed distance, text through SDL2_ttf.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

typedef struct _TTF_Font TTF_Font;

namespace art {

struct Rgb {
  int r = 0, g = 0, b = 0;
};

Rgb Mix(Rgb a, Rgb b, double t);  // a at t = 0, b at t = 1
Rgb Scale(Rgb c, double f);

class Canvas {
 public:
  Canvas(int w, int h, Rgb fill);
  int Width() const { return w_; }
  int Height() const { return h_; }
  Rgb At(int x, int y) const;

  void Blend(int x, int y, Rgb c, double alpha);
  void FillRect(int x, int y, int w, int h, Rgb c);
  void VGradient(int x, int y, int w, int h, Rgb top, Rgb bottom);
  void RoundRect(double x0, double y0, double x1, double y1, double radius, Rgb c, double alpha = 1.0);
  void RoundRectOutline(double x0, double y0, double x1, double y1, double radius, double width, Rgb c,
                        double alpha = 1.0);
  void Circle(double cx, double cy, double r, Rgb c, double alpha = 1.0);
  void Ring(double cx, double cy, double r, double width, Rgb c, double alpha = 1.0);
  // A straight stroke with round ends.
  void Line(double x0, double y0, double x1, double y1, double width, Rgb c, double alpha = 1.0);
  // A filled convex polygon (points in order).
  void Polygon(const std::vector<std::pair<double, double>>& points, Rgb c, double alpha = 1.0);
  void Blit(const Canvas& source, int x, int y);

  // Rows of 0xRRGGBB pixels, Width() by Height().
  const uint32_t* Pixels() const { return px_.data(); }

 private:
  template <typename Distance>
  void FillDistance(double x0, double y0, double x1, double y1, Rgb c, double alpha, Distance d);

  int w_;
  int h_;
  std::vector<uint32_t> px_;
};

enum class Align { Left, Centre, Right };

// Fonts of the DejaVu Sans family, opened once per size.
class Fonts {
 public:
  explicit Fonts(std::string folder) : folder_(std::move(folder)) {}
  ~Fonts();
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;

  // Opens both faces once to find out whether they are there.
  bool Check(char* error, std::size_t size);
  TTF_Font* Get(bool bold, int size);

  // Draws the text with its ink box centred vertically on cy and placed on x
  // by the alignment; a text wider than maxWidth is squeezed horizontally.
  // A halo draws a faint glow around the letters (lit lamp legends).
  void Text(Canvas& canvas, const std::string& text, bool bold, int size, Rgb colour, double x, double cy,
            Align align, int maxWidth, double halo = 0.0);
  // Width of the text's ink in pixels (before any squeezing).
  int InkWidth(const std::string& text, bool bold, int size);

 private:
  std::string folder_;
  std::map<std::pair<bool, int>, TTF_Font*> fonts_;
};

}  // namespace art
