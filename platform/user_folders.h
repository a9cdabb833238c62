// The signed-in user's own folders, for files a user keeps (reports), as opposed to the program's
// folder, which an ordinary user may not write.
#pragma once

#include <string>

namespace zor {

// The user's documents folder ("My Documents"), without a trailing separator; "" when the system
// cannot tell.
std::string UserDocumentsFolder();

// Creates the folder path if it is not there; true when a folder of that name exists afterwards.
bool MakeFolder(const std::string& path);

}  // namespace zor
