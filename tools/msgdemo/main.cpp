// msgdemo ID [--alone]: shows message box ID over a plain 600 x 545 window standing in for the main
// window (or with no owner window with --alone), then prints "answer N" and exits with N.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gui/controls/message_dlg.h"
#include "ui/desktop.h"

namespace {

constexpr int kShowTimer = 1;
// A colour no skin uses, so a screenshot tells the box's shape from the window behind it.
constexpr zor::ui::ColorRef kOwnerColour = zor::ui::Rgb(17, 201, 83);

// A plain window the size of the main window, which opens the box once it is on screen.
class Owner : public zor::ui::Window {
 public:
  explicit Owner(int id) : m_id(id) {}

  bool OnInit() override {
    Host().MoveWindow(zor::ui::Rect{80, 60, 680, 605}, true);
    Host().SetTimer(kShowTimer, 200);
    return true;
  }
  void OnPaint(zor::ui::Canvas& canvas) override {
    canvas.Fill(zor::ui::Rect{0, 0, 600, 545}, kOwnerColour);
  }
  void OnTimer(int id) override {
    if (id != kShowTimer) return;
    Host().KillTimer(kShowTimer);
    m_answer = zor::ShowMessage(Host(), m_id);
    Host().EndModal(zor::ui::kIdOk);
  }
  int Answer() const { return m_answer; }

 private:
  int m_id;
  int m_answer = -1;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: msgdemo ID [--alone]\n");
    return 2;
  }
  const int id = std::atoi(argv[1]);
  int answer = 0;
  if (argc > 2 && std::strcmp(argv[2], "--alone") == 0) {
    answer = zor::ShowMessage(zor::ui::Desktop(), id);
  } else {
    Owner owner(id);
    zor::ui::Desktop().DoModal(owner);
    answer = owner.Answer();
  }
  std::printf("answer %d\n", answer);
  std::fflush(stdout);
  return answer;
}
