// One resource module's worth of pictures, written as BMP files plus the .rc script that binds
// them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "skins/generator/image.h"

namespace zor::skins {

class ResourceLibrary {
 public:
  explicit ResourceLibrary(std::string name) : m_name(std::move(name)) {}

  const std::string& Name() const { return m_name; }
  // A bitmap asked for by name (LoadBitmap with a string).
  void Add(const std::string& name, Image image);
  // A bitmap asked for by numeric id.
  void Add(int id, Image image);
  // An icon: the same picture at several sizes, each with its alpha channel.
  void AddIcon(int id, std::vector<Image> sizes, std::vector<std::vector<uint8_t>> alphas);

  // Writes dir/<name>/*.bmp (and .ico) and dir/<name>.rc; false on the first failed write.
  bool Write(const std::string& dir) const;

 private:
  std::string m_name;
  std::vector<std::pair<std::string, Image>> m_named;
  std::vector<std::pair<int, Image>> m_numbered;
  struct Icon {
    int id;
    std::vector<Image> sizes;
    std::vector<std::vector<uint8_t>> alphas;
  };
  std::vector<Icon> m_icons;
};

}  // namespace zor::skins
