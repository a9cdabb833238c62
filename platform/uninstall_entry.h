// The version Windows lists for Zorwise among installed programs (the uninstall entry's
// "DisplayVersion"): the setup writes it, and an update applied from a package, or finished after
// a power cut, makes it the new one. It is written before the update's journal goes, so an update
// that ends at any point leaves it naming the release the folder holds.
#pragma once

#include <string>

namespace zor {

// The setup's entry, under HKLM in the registry view of the programs (the setup is built for the
// same processor as they are).
constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zorwise";

class VersionListing {
 public:
  virtual ~VersionListing() = default;
  // Sets DisplayVersion of the setup's uninstall entry to version; true when it was set. An entry
  // that is not there (an MSI installation, whose entry Windows Installer keeps) is left alone:
  // nothing is created.
  virtual bool Record(const std::string& version) = 0;
};

VersionListing& SystemVersionListing();

}  // namespace zor
