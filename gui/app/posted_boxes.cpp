#include "gui/app/posted_boxes.h"

#include <condition_variable>
#include <mutex>

namespace zor {

namespace {

struct Answer {
  std::mutex mutex;
  std::condition_variable given;
  bool done = false;
};

// Held only by the posted work: however the work ends, shown or destroyed unrun, the box counts as
// answered and the worker goes on.
class AnswerOnDestruction {
 public:
  explicit AnswerOnDestruction(std::shared_ptr<Answer> answer) : m_answer(std::move(answer)) {}
  ~AnswerOnDestruction() {
    std::lock_guard<std::mutex> lock(m_answer->mutex);
    m_answer->done = true;
    m_answer->given.notify_all();
  }
  AnswerOnDestruction(const AnswerOnDestruction&) = delete;
  AnswerOnDestruction& operator=(const AnswerOnDestruction&) = delete;

 private:
  std::shared_ptr<Answer> m_answer;
};

}  // namespace

void PostedBoxes::Show(const std::string& text, const std::string& caption, MessageIcon icon) {
  if (!m_poster) {
    m_system.Show(text, caption, icon);
    return;
  }
  auto answer = std::make_shared<Answer>();
  auto ticket = std::make_shared<AnswerOnDestruction>(answer);
  MessageBoxes& system = m_system;
  m_poster->Post([ticket = std::move(ticket), &system, text, caption, icon] {
    system.Show(text, caption, icon);
  });
  std::unique_lock<std::mutex> lock(answer->mutex);
  answer->given.wait(lock, [&] { return answer->done; });
}

}  // namespace zor
