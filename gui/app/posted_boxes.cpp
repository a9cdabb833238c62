#include "gui/app/posted_boxes.h"

namespace zor {

namespace {

struct BoxRequest {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::None;
  std::mutex mutex;
  std::condition_variable answered;
  bool done = false;
};

}  // namespace

void PostedBoxes::Show(const std::string& text, const std::string& caption, MessageIcon icon) {
  if (!m_poster) {
    m_system.Show(text, caption, icon);
    return;
  }
  auto request = std::make_shared<BoxRequest>();
  request->text = text;
  request->caption = caption;
  request->icon = icon;
  // The message holds its own reference; the window's thread drops it after the box.
  auto* held = new std::shared_ptr<BoxRequest>(request);
  if (!m_poster->Post(kPostShowBox, reinterpret_cast<intptr_t>(held))) {
    delete held;
    m_system.Show(text, caption, icon);  // the window is gone: show it here
    return;
  }
  std::unique_lock<std::mutex> lock(request->mutex);
  request->answered.wait(lock, [&] { return request->done; });
}

void PostedBoxes::ShowPosted(intptr_t value, MessageBoxes& system) {
  std::unique_ptr<std::shared_ptr<BoxRequest>> held(
      reinterpret_cast<std::shared_ptr<BoxRequest>*>(value));
  BoxRequest& request = **held;
  system.Show(request.text, request.caption, request.icon);
  std::lock_guard<std::mutex> lock(request.mutex);
  request.done = true;
  request.answered.notify_all();
}

}  // namespace zor
