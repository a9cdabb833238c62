#include "platform/uninstall_entry.h"

namespace zor {
namespace {

// No uninstall entries natively.
class NoVersionListing : public VersionListing {
 public:
  bool Record(const std::string& /*version*/) override { return false; }
};

}  // namespace

VersionListing& SystemVersionListing() {
  static NoVersionListing listing;
  return listing;
}

}  // namespace zor
