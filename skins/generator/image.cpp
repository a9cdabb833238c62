#include "skins/generator/image.h"

#include <cstdio>
#include <memory>

namespace zor::skins {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// BITMAPINFOHEADER; the icon form stores twice the height (image and AND mask).
void PutInfoHeader(std::vector<uint8_t>& out, int w, int h, int bits, uint32_t imageBytes) {
  Put32(out, 40);
  Put32(out, uint32_t(w));
  Put32(out, uint32_t(h));
  Put16(out, 1);
  Put16(out, uint32_t(bits));
  Put32(out, 0);  // BI_RGB
  Put32(out, imageBytes);
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!f) {
    return false;
  }
  return std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
}

}  // namespace

Image Image::Crop(int x, int y, int w, int h) const {
  Image out(w, h);
  for (int row = 0; row < h; ++row) {
    for (int col = 0; col < w; ++col) {
      out.At(col, row) = At(x + col, y + row);
    }
  }
  return out;
}

bool WriteBmp(const std::string& path, const Image& image) {
  const uint32_t stride = (uint32_t(image.width) * 3 + 3) & ~3u;
  const uint32_t imageBytes = stride * uint32_t(image.height);
  std::vector<uint8_t> out;
  out.reserve(54 + imageBytes);
  out.push_back('B');
  out.push_back('M');
  Put32(out, 54 + imageBytes);
  Put32(out, 0);
  Put32(out, 54);
  PutInfoHeader(out, image.width, image.height, 24, imageBytes);
  for (int y = image.height - 1; y >= 0; --y) {
    const size_t rowStart = out.size();
    for (int x = 0; x < image.width; ++x) {
      const uint32_t p = image.At(x, y);
      out.push_back(uint8_t(p));
      out.push_back(uint8_t(p >> 8));
      out.push_back(uint8_t(p >> 16));
    }
    while (out.size() - rowStart < stride) {
      out.push_back(0);
    }
  }
  return WriteFile(path, out);
}

bool WriteIco(const std::string& path, const std::vector<Image>& sizes,
              const std::vector<std::vector<uint8_t>>& alphas) {
  std::vector<std::vector<uint8_t>> entries;
  for (size_t i = 0; i < sizes.size(); ++i) {
    const Image& img = sizes[i];
    const uint32_t maskStride = ((uint32_t(img.width) + 31) / 32) * 4;
    const uint32_t xorBytes = uint32_t(img.width * img.height * 4);
    const uint32_t andBytes = maskStride * uint32_t(img.height);
    std::vector<uint8_t> e;
    PutInfoHeader(e, img.width, img.height * 2, 32, xorBytes + andBytes);
    for (int y = img.height - 1; y >= 0; --y) {
      for (int x = 0; x < img.width; ++x) {
        const uint32_t p = img.At(x, y);
        e.push_back(uint8_t(p));
        e.push_back(uint8_t(p >> 8));
        e.push_back(uint8_t(p >> 16));
        e.push_back(alphas[i][size_t(y * img.width + x)]);
      }
    }
    for (int y = img.height - 1; y >= 0; --y) {
      std::vector<uint8_t> row(maskStride, 0);
      for (int x = 0; x < img.width; ++x) {
        if (alphas[i][size_t(y * img.width + x)] < 128) {
          row[size_t(x / 8)] = uint8_t(row[size_t(x / 8)] | (0x80 >> (x % 8)));
        }
      }
      e.insert(e.end(), row.begin(), row.end());
    }
    entries.push_back(std::move(e));
  }
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);  // icon
  Put16(out, uint32_t(sizes.size()));
  uint32_t offset = 6 + 16 * uint32_t(sizes.size());
  for (size_t i = 0; i < sizes.size(); ++i) {
    out.push_back(uint8_t(sizes[i].width));
    out.push_back(uint8_t(sizes[i].height));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, uint32_t(entries[i].size()));
    Put32(out, offset);
    offset += uint32_t(entries[i].size());
  }
  for (const auto& e : entries) {
    out.insert(out.end(), e.begin(), e.end());
  }
  return WriteFile(path, out);
}

}  // namespace zor::skins
