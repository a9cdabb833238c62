// The updater's notice: the product's message box face (picture "MSG_6" and its OK button from
// res.dll) with the updater's own lines written over the paper.
#pragma once

#include <string>
#include <vector>

#include "gui/controls/message_dlg.h"

namespace zor {

class UpdateNotice : public CMessageDlg {
 public:
  explicit UpdateNotice(std::vector<std::string> lines);
  void OnPaint(ui::Canvas& canvas) override;

 private:
  std::vector<std::string> m_lines;
  ui::RegionPtr m_shape;
};

}  // namespace zor
