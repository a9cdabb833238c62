// Bitmaps from a resource module, read into portable images. Loaded as DIB sections so the bits
// come back exactly as stored (a screen-compatible bitmap would round magenta on a 16-bit display).
#include <windows.h>

#include "ui/win32/win32_resources.h"

namespace zor::ui {

namespace {

Bitmap ReadBitmap(HMODULE module, LPCSTR name) {
  HBITMAP handle = static_cast<HBITMAP>(
      LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!handle) return nullptr;
  BITMAP info{};
  GetObjectA(handle, sizeof info, &info);
  auto image = std::make_shared<Image>(info.bmWidth, info.bmHeight);
  BITMAPINFO request{};
  request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  request.bmiHeader.biWidth = image->width;
  request.bmiHeader.biHeight = -image->height;
  request.bmiHeader.biPlanes = 1;
  request.bmiHeader.biBitCount = 32;
  request.bmiHeader.biCompression = BI_RGB;
  // A memory DC: reading a DIB section's bits needs no trip to the display.
  HDC dc = CreateCompatibleDC(nullptr);
  const int rows = GetDIBits(dc, handle, 0, static_cast<UINT>(image->height),
                             image->pixels.data(), &request, DIB_RGB_COLORS);
  DeleteDC(dc);
  DeleteObject(handle);
  if (rows != image->height) return nullptr;
  for (uint32_t& p : image->pixels) p &= 0x00FFFFFFu;
  return image;
}

}  // namespace

Win32ResourceLibrary::~Win32ResourceLibrary() {
  if (m_owned) FreeLibrary(static_cast<HMODULE>(m_module));
}

std::unique_ptr<Win32ResourceLibrary> Win32ResourceLibrary::Load(const std::string& path) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) return nullptr;
  return std::unique_ptr<Win32ResourceLibrary>(new Win32ResourceLibrary(module, true));
}

std::unique_ptr<Win32ResourceLibrary> Win32ResourceLibrary::Program() {
  return std::unique_ptr<Win32ResourceLibrary>(
      new Win32ResourceLibrary(GetModuleHandleA(nullptr), false));
}

Bitmap Win32ResourceLibrary::GetBitmap(const std::string& name) const {
  return ReadBitmap(static_cast<HMODULE>(m_module), name.c_str());
}

Bitmap Win32ResourceLibrary::GetBitmap(int id) const {
  return ReadBitmap(static_cast<HMODULE>(m_module), MAKEINTRESOURCEA(id));
}

}  // namespace zor::ui
