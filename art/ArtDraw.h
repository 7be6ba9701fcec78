// Drawing of every control image, the main picture and the banner pictures.
#pragma once

#include <string>
#include <vector>

#include "art/ArtCanvas.h"
#include "art/ArtData.h"

namespace art {

// The plate colour: the background of every control image and of the panels
// of the main picture, so that controls sit seamlessly on their plates.
extern const Rgb kPlate;

struct NamedImage {
  std::string file;  // relative path with backslashes, as ImageFiles gives it
  Canvas canvas;
};

// Every image of the set, in the order of ImageFiles.
std::vector<NamedImage> DrawSet(const ImageSet& set, Fonts& fonts);

// The overhead panel background: plates, titles and legends.
Canvas DrawMainPicture(const ArtData& data, const ImageSet& picture, Fonts& fonts);
Canvas DrawBanner(const ImageSet& picture, Fonts& fonts);
Canvas DrawIcon(const ImageSet& picture, Fonts& fonts);

}  // namespace art
