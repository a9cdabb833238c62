#include "gui/controls/skin_buttons.h"

#include "gui/controls/drawing.h"

namespace zor {

namespace {

ui::Bitmap Load(const ui::ResourceLibrary& library, const char* name) {
  return name ? library.GetBitmap(name) : nullptr;
}

}  // namespace

void DrawControl(ui::Canvas& dc, const SKIN_BUTTON& b, Look look) {
  switch (look) {
    case Look::Normal: DrawMaskedBitmap(dc, b.normalImage, b.normalMask, b.left, b.top); break;
    case Look::Over: DrawMaskedBitmap(dc, b.overImage, b.overMask, b.left, b.top); break;
    case Look::Down: DrawMaskedBitmap(dc, b.downImage, b.downMask, b.left, b.top); break;
  }
}

void DrawControl(ui::Canvas& dc, const SKIN_RADIO& r, Look look) {
  const ui::Bitmap& image = look == Look::Normal ? r.normalImage
                            : look == Look::Over ? r.overImage
                                                 : r.downImage;
  DrawMaskedBitmap(dc, image, image, r.left, r.top);
}

void PlaceControl(SKIN_HITBOX& c, int left, int top, int width, int height) {
  c.left = left;
  c.top = top;
  c.right = left + width;
  c.bottom = top + height;
  c.hover = 0;
  c.disabled = 0;
}

void PlaceControl(SKIN_HITBOX& c, int left, int top, const ui::Bitmap& face) {
  PlaceControl(c, left, top, face ? face->width : 0, face ? face->height : 0);
}

void LoadPictures(SKIN_BUTTON& b, const ui::ResourceLibrary& library,
                  const ButtonPictureNames& names) {
  b.normalImage = Load(library, names.normal);
  b.normalMask = names.normalMask ? Load(library, names.normalMask) : b.normalImage;
  b.overImage = Load(library, names.over);
  b.overMask = names.overMask ? Load(library, names.overMask) : b.overImage;
  b.downImage = Load(library, names.down);
  b.downMask = names.downMask ? Load(library, names.downMask) : b.downImage;
}

void LoadPictures(SKIN_RADIO& r, const ui::ResourceLibrary& library,
                  const RadioPictureNames& names) {
  r.normalImage = Load(library, names.normal);
  r.overImage = Load(library, names.over);
  r.downImage = Load(library, names.down);
  r.selectedImage = Load(library, names.selected);
}

}  // namespace zor
