// The art description: every image set the panels name, the panel plates of
// the main picture with their legends, and where each control sits on its
// panel. Read from one text file (art_sets.txt) by the generator and the tests.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

namespace art {

enum class SetKind {
  TwoLamp,   // push button with an upper and a lower lamp: 8 images
  OneLamp,   // push button with one lamp: OnIn, OffIn, OnOut, OffOut
  Cover,     // guarded cover drawn as one picture: Up, Down
  Guard,     // guard of a guarded button, drawn from eight parts
  Knob,      // selector knob: Knob000 ... Knob315
  Switch,    // toggle switch images, each file one lever position
  Rotary,    // continuously turned knob: one image
  Light,     // annunciator light: On, Off
  Glyphs,    // the digital display's character images
  Picture,   // a stand-alone picture (main picture, banner, icon)
};

enum class LampColour { White, Amber, Blue, Green, Red };

struct Lamp {
  std::string text;  // "..." draws a row of dots, "-" a bar
  LampColour colour = LampColour::White;
};

struct Size {
  int w = 0;
  int h = 0;
};

struct ImageSet {
  SetKind kind = SetKind::TwoLamp;
  std::string name;   // relative to the bitmap root, backslash separated
  Size size;
  std::string style;  // drawing variant (per kind)
  Lamp upper;         // two-lamp buttons; single-lamp buttons and lights use upper only
  Lamp lower;
  std::vector<std::string> files;      // switch and rotary sets: file names without ".bmp"
  std::array<std::string, 8> labels;   // knobs: scale label per position ("" no mark, "." mark only)
  int line = 0;
};

struct Panel {
  int id = 0;
  std::string title;
  int x = 0, y = 0, w = 0, h = 0;
  int titleX = -1, titleY = -1;  // centre of the title; -1: bottom centre of the plate
  int line = 0;
};

// A control placed on a panel (layout the station runs with).
struct Control {
  int panel = 0;
  std::string set;    // image-set name; switches: "Switches\<file>", displays: "DigitalDisplay"
  int x = 0, y = 0;   // offset inside the panel
  int cells = 0;      // digital displays: number of character cells
  std::string label;  // legend drawn above the control on the plate
  std::string name;   // what the control is called when no legend sits above it (not drawn)
  int line = 0;
};

// A free legend on a plate, centred horizontally on x with its top at y.
struct Legend {
  int panel = 0;
  int x = 0, y = 0;
  std::string text;
  int line = 0;
};

struct ArtData {
  std::vector<ImageSet> sets;
  std::vector<Panel> panels;
  std::vector<Control> controls;
  std::vector<Legend> legends;

  const ImageSet* FindSet(const std::string& name) const;
  // The set a control uses: switches are found by one of their file names.
  const ImageSet* SetOfControl(const Control& control) const;
  const Panel* FindPanel(int id) const;
  // The control of a panel at x, y whose set is of one of the kinds; null: none.
  const Control* FindControl(int panel, int x, int y, std::initializer_list<SetKind> kinds) const;
  // The name a control goes by: its name, else its legend on one line, else
  // the legend on its face (keys with a face, lights), else the free legend of
  // its panel nearest above or below it within its width; "" when there is none.
  std::string ControlName(const Control& control) const;
};

// The art description the programs are built with (the text of art_sets.txt),
// parsed on first use; an empty description when it does not parse.
const ArtData& BuiltInArtData();

// Parses the text. On a bad line the error names the source, the line number
// and what is wrong, and the result is false.
bool ParseArtData(const std::string& text, const char* sourceName, ArtData& out,
                  char* error, std::size_t errorSize);
bool LoadArtData(const char* path, ArtData& out, char* error, std::size_t errorSize);

// The file names of a set, relative to the bitmap root (or, for pictures, to
// the program folder), with backslashes, for example "Buttons\FaultOff\TopIn.bmp".
std::vector<std::string> ImageFiles(const ImageSet& set);

// Guard parts of a guarded button, in slot order: top, bottom, left, right,
// vertical, horizontal, opentop, openbot. Each is a rectangle relative to the
// button's x, y (the guard's geometry offsets give the corners).
struct PartRect {
  int x = 0, y = 0, w = 0, h = 0;
};
extern const char* const kGuardPartNames[8];
enum class GuardGeometry { Standard, Fire };
bool GuardGeometryFromStyle(const std::string& style, GuardGeometry& geometry);
std::array<PartRect, 8> GuardParts(GuardGeometry geometry);
// The rectangle every part of the guard lies in, relative to the button's x, y.
PartRect GuardBounds(GuardGeometry geometry);

// File names of the control types.
extern const char* const kTwoLampFiles[8];
extern const char* const kOneLampFiles[4];
extern const char* const kKnobFiles[8];
extern const char* const kCoverFiles[2];
extern const char* const kLightFiles[2];
// The glyph files of the digital display (37 of them).
extern const char* const kGlyphFiles[37];

}  // namespace art
