// Who may open a named kernel object (a lock, a shared memory block) that a program creates.
#pragma once

namespace zor {

enum class ObjectAccess {
  // Every account: the hardware locks shared with other tools, whatever account runs them.
  kEveryone,
  // Only SYSTEM (the service) and the Administrators (zor2 runs elevated): the objects the two
  // programs share, which a user's program could otherwise open and hold.
  kSystemAndAdministrators,
};

}  // namespace zor
