#include "sim/simboard/simboard_cli.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sim/board/board_file.h"
#include "sim/board/board_profiles.h"

namespace zor::sim {

namespace {

constexpr char kUsage[] =
    "usage: simboard [--board PATH] COMMAND [ARGS]\n"
    "\n"
    "The simulated board lives in one file (default: SimBoard.bin beside simboard, where the\n"
    "simulated hwk.dll keeps it). Commands:\n"
    "  create [--profile NAME]      power up a fresh board (ROM included) from a profile\n"
    "  show                         print the decoded board state\n"
    "  profiles                     list the profiles\n"
    "  faults                       list the faults\n"
    "  fault add NAME...            inject faults\n"
    "  fault clear NAME...|all      remove faults\n"
    "  pin-load PERCENT|off         fix the CPU load, or follow the host's load again\n"
    "  pin-readings VOLT CURR|off   fix the raw voltage and current sensor bytes (0-255)\n"
    "  address-failures N           fail the next N EnergyTable address requests (0xB1)\n"
    "  flags HEX                    set ControlFlags as the firmware setup would (e.g. 0x0155)\n"
    "  skip                         set the skip bit that suppresses one service cycle\n"
    "  sleep                        sleep and resume: the regulator forgets the rail targets\n"
    "  help                         this text\n";

// A whole decimal number in [low, high].
bool ParseNumber(const char* text, long low, long high, long& value) {
  if (!text || !*text) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtol(text, &end, 10);
  return errno == 0 && *end == '\0' && value >= low && value <= high;
}

class Session {
 public:
  Session(std::FILE* out, std::FILE* err) : m_out(out), m_err(err) {}

  // Opens the board file; a missing or stale one becomes a fresh default board.
  bool Open(const std::string& path) {
    const OpenResult result = OpenBoardFile(m_file, path);
    if (result == OpenResult::kFailed) {
      std::fprintf(m_err, "simboard: cannot open the board file %s\n", path.c_str());
      return false;
    }
    if (result == OpenResult::kCreated) {
      std::fprintf(m_out, "new board (%s) in %s\n", DefaultProfile().name, path.c_str());
    }
    return true;
  }

  // Runs fn on the board under the board lock.
  template <typename Fn>
  int Locked(Fn fn) {
    BoardLockHold held(m_file.Lock(), kBoardLockTimeoutMs);
    if (!held.Held()) {
      std::fprintf(m_err, "simboard: the board is locked by another process\n");
      return 1;
    }
    Board board(*m_file.State());
    return fn(board);
  }

  std::FILE* out() const { return m_out; }
  std::FILE* err() const { return m_err; }

 private:
  BoardFile m_file;
  std::FILE* m_out;
  std::FILE* m_err;
};

int Usage(std::FILE* err, const char* problem) {
  std::fprintf(err, "simboard: %s\n\n%s", problem, kUsage);
  return 2;
}

int ListProfiles(std::FILE* out) {
  size_t count = 0;
  const BoardProfile* profiles = Profiles(&count);
  static const char* const kModes[] = {"register", "range", "smbus"};
  static const char* const kClasses[] = {"none", "x58", "p55", "p67"};
  for (size_t i = 0; i < count; ++i) {
    const BoardProfile& p = profiles[i];
    std::fprintf(out, "%-16s %2u phases, %-8s current, class %-4s, 3D %s, low-power %s, CPUID %05X%s\n",
                 p.name, p.phases, kModes[static_cast<int>(p.currentMode)],
                 kClasses[static_cast<int>(p.platform)], p.offers3d ? "yes" : "no",
                 p.offersLowPower ? "yes" : "no", static_cast<unsigned>(p.cpuSignature),
                 &p == &DefaultProfile() ? " (default)" : "");
  }
  return 0;
}

int ListFaults(std::FILE* out) {
  size_t count = 0;
  const FaultName* faults = FaultNames(&count);
  for (size_t i = 0; i < count; ++i) std::fprintf(out, "%-18s %s\n", faults[i].name, faults[i].description);
  return 0;
}

int Create(Session& session, const std::vector<const char*>& args) {
  const BoardProfile* profile = &DefaultProfile();
  if (args.size() == 2 && std::strcmp(args[0], "--profile") == 0) {
    profile = FindProfile(args[1]);
    if (!profile) {
      std::fprintf(session.err(), "simboard: unknown profile %s (see simboard profiles)\n", args[1]);
      return 2;
    }
  } else if (!args.empty()) {
    return Usage(session.err(), "create takes only --profile NAME");
  }
  return session.Locked([&](Board& board) {
    Board::Create(board.State(), *profile);
    std::fprintf(session.out(), "board created: %s\n", profile->name);
    return 0;
  });
}

int ChangeFaults(Session& session, const std::vector<const char*>& args) {
  if (args.size() < 2) return Usage(session.err(), "fault add|clear NAME...");
  const bool add = std::strcmp(args[0], "add") == 0;
  if (!add && std::strcmp(args[0], "clear") != 0) return Usage(session.err(), "fault add|clear NAME...");
  uint32_t faults = 0;
  for (size_t i = 1; i < args.size(); ++i) {
    if (!add && std::strcmp(args[i], "all") == 0) {
      faults = 0xFFFFFFFFu;
      continue;
    }
    const uint32_t fault = FindFault(args[i]);
    if (!fault) {
      std::fprintf(session.err(), "simboard: unknown fault %s (see simboard faults)\n", args[i]);
      return 2;
    }
    faults |= fault;
  }
  return session.Locked([&](Board& board) {
    board.SetFault(faults, add);
    return 0;
  });
}

int PinLoad(Session& session, const std::vector<const char*>& args) {
  long percent = -1;
  if (args.size() != 1 || (std::strcmp(args[0], "off") != 0 && !ParseNumber(args[0], 0, 100, percent))) {
    return Usage(session.err(), "pin-load takes a percentage 0-100 or off");
  }
  return session.Locked([&](Board& board) {
    board.PinLoad(static_cast<int>(percent));
    return 0;
  });
}

int PinReadings(Session& session, const std::vector<const char*>& args) {
  long volts = -1;
  long amps = -1;
  const bool off = args.size() == 1 && std::strcmp(args[0], "off") == 0;
  if (!off && !(args.size() == 2 && ParseNumber(args[0], 0, 255, volts) && ParseNumber(args[1], 0, 255, amps))) {
    return Usage(session.err(), "pin-readings takes two raw bytes 0-255, or off");
  }
  return session.Locked([&](Board& board) {
    board.PinReadings(static_cast<int>(volts), static_cast<int>(amps));
    return 0;
  });
}

int AddressFailures(Session& session, const std::vector<const char*>& args) {
  long count = 0;
  if (args.size() != 1 || !ParseNumber(args[0], 0, 1000000, count)) {
    return Usage(session.err(), "address-failures takes a count");
  }
  return session.Locked([&](Board& board) {
    board.SetAddressFailures(static_cast<uint32_t>(count));
    return 0;
  });
}

int SetFlags(Session& session, const std::vector<const char*>& args) {
  char* end = nullptr;
  const unsigned long flags = args.size() == 1 ? std::strtoul(args[0], &end, 16) : 0x10000;
  if (args.size() != 1 || !*args[0] || *end != '\0' || flags > 0xFFFF) {
    return Usage(session.err(), "flags takes a 16-bit hexadecimal word");
  }
  return session.Locked([&](Board& board) {
    board.SetControlFlags(static_cast<uint16_t>(flags));
    return 0;
  });
}

}  // namespace

int RunSimboard(int argc, const char* const* argv, const std::string& defaultBoard, std::FILE* out,
                std::FILE* err) {
  std::string path = defaultBoard;
  int i = 1;
  if (i < argc && std::strcmp(argv[i], "--board") == 0) {
    if (i + 1 >= argc) return Usage(err, "--board needs a path");
    path = argv[i + 1];
    i += 2;
  }
  if (i >= argc) return Usage(err, "no command");
  const std::string command = argv[i];
  const std::vector<const char*> args(argv + i + 1, argv + argc);

  if (command == "help" || command == "--help" || command == "-h") {
    std::fputs(kUsage, out);
    return 0;
  }
  if (command == "profiles") return ListProfiles(out);
  if (command == "faults") return ListFaults(out);

  const bool known = command == "create" || command == "show" || command == "fault" ||
                     command == "pin-load" || command == "pin-readings" ||
                     command == "address-failures" || command == "flags" || command == "skip" ||
                     command == "sleep";
  if (!known) return Usage(err, ("unknown command " + command).c_str());

  Session session(out, err);
  if (!session.Open(path)) return 1;
  if (command == "create") return Create(session, args);
  if (command == "fault") return ChangeFaults(session, args);
  if (command == "pin-load") return PinLoad(session, args);
  if (command == "pin-readings") return PinReadings(session, args);
  if (command == "address-failures") return AddressFailures(session, args);
  if (command == "flags") return SetFlags(session, args);
  if (!args.empty()) return Usage(err, (command + " takes no arguments").c_str());
  if (command == "skip") {
    return session.Locked([](Board& board) {
      board.SetSkip();
      return 0;
    });
  }
  if (command == "sleep") {
    return session.Locked([](Board& board) {
      board.Sleep();
      return 0;
    });
  }
  return session.Locked([&](Board& board) {
    PrintBoard(board, out);
    return 0;
  });
}

}  // namespace zor::sim
