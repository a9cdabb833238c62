// Whether the figures the window and the companion show are live. The service rewrites them about
// once a second, but a steady load can leave them unchanged for a while, so figures that stand
// still only count as stale once the service manager also says the service is not running.
#pragma once

#include <functional>
#include <string>

namespace zor {

class FigureLiveness {
 public:
  // Seconds the figures must stand still before the service manager is asked.
  static constexpr int kStillSeconds = 3;

  // Once a second, with the figures as read. serviceStopped is asked only while they stand still;
  // it answers true only when the manager says for certain that the service is not running.
  void Tick(const std::string& figures, const std::function<bool()>& serviceStopped);
  bool Stale() const { return m_bStale; }

 private:
  std::string m_lastFigures;
  int m_nStill = 0;
  bool m_bStale = false;
};

// The text the window and the companion show instead of stale figures.
constexpr char kServiceNotRunningText[] = "The ZOR2 Service is not running";

}  // namespace zor
