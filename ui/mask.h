// Pixel operations of the skinned controls: a mask from a key colour, a part of an image, and the
// XOR focus frame.
#pragma once

#include "ui/image.h"

namespace zor::ui {

// A key colour that stands for the image's own pixel at (keyX, keyY).
constexpr ColorRef kKeyFromPixel = 0xFF000000;

struct KeyedImage {
  Image image;  // the picture with its key-coloured pixels made black
  Image mask;   // white where the picture has the key colour, black elsewhere
};

// The picture and mask that MaskedCopy needs to show the destination where image has the key
// colour. A key pixel outside the image counts as black.
KeyedImage MakeKeyMask(const Image& image, ColorRef key, int keyX, int keyY);

// area of image (clipped to it; what lies outside reads as black).
Image CropPixels(const Image& image, const Rect& area);

// The dotted focus frame along the inside of area: every other pixel inverted.
void FocusRectPixels(Image& image, const Rect& area);

}  // namespace zor::ui
