#include "platform/program_paths.h"
#include "sim/board/board.h"
#include "sim/board/board_file.h"
#include "sim/board/sim_hwk.h"
#include "tools/fwprobe/probe_hwk.h"

namespace zor::fwprobe {

namespace {

// The board file beside the tool, held under the board lock for the whole command.
class BoardFileHwk : public ProbeHwk {
 public:
  bool Open(std::string& error) {
    const std::string path = JoinPath(ProgramDirectory(), sim::kBoardFileName);
    if (sim::OpenBoardFile(m_file, path) == sim::OpenResult::kFailed) {
      error = "cannot open the board file " + path;
      return false;
    }
    if (!m_file.Lock().Lock(sim::kBoardLockTimeoutMs)) {
      error = "the board is busy";
      return false;
    }
    m_locked = true;
    m_board = std::make_unique<sim::Board>(*m_file.State());
    m_hwk = std::make_unique<sim::SimHwk>(*m_board);
    return true;
  }
  ~BoardFileHwk() override {
    if (m_locked) m_file.Lock().Unlock();
  }
  Hwk& hwk() override { return *m_hwk; }

 private:
  sim::BoardFile m_file;
  bool m_locked = false;
  std::unique_ptr<sim::Board> m_board;
  std::unique_ptr<sim::SimHwk> m_hwk;
};

}  // namespace

std::unique_ptr<ProbeHwk> OpenProbeHwk(HwkClient, std::string& error) {
  auto probe = std::make_unique<BoardFileHwk>();
  if (!probe->Open(error)) return nullptr;
  return probe;
}

}  // namespace zor::fwprobe
