#include "apps/updexe/update_notice.h"

#include "gui/controls/drawing.h"

namespace zor {

namespace {

// The box whose picture carries no words of its own, and the OK button.
constexpr int kPlainMessageId = 6;
constexpr int kTextLeft = 20;
constexpr int kTextTop = 15;
constexpr int kLineHeight = 18;
constexpr size_t kMaxLines = 3;

}  // namespace

UpdateNotice::UpdateNotice(std::vector<std::string> lines)
    : CMessageDlg(kPlainMessageId), m_lines(std::move(lines)) {
  if (m_lines.size() > kMaxLines) m_lines.resize(kMaxLines);
}

void UpdateNotice::OnPaint(ui::Canvas& canvas) {
  if (!m_shape) m_shape = MakeRegionFromBitmap(m_hBackground, m_crKey, m_crTolerance);
  if (m_shape) canvas.SetWindowRegion(m_shape, true);
  canvas.Copy(*m_hBackground, 0, 0);
  canvas.SetTransparentText(true);
  // Two lines sit where the box's own two-line texts sit; three fill the paper from the top.
  int y = m_lines.size() < kMaxLines ? kTextTop + kLineHeight / 2 : kTextTop;
  for (const std::string& line : m_lines) {
    canvas.Text(kTextLeft, y, line);
    y += kLineHeight;
  }
}

}  // namespace zor
