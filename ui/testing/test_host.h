// The test host: runs a portable window without a window system. It renders every drawing into a
// frame buffer and records it, delivers scripted input the way the Win32 host does (dialog keys,
// drag detection), and answers nested modal runs with a scripted child host.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ui/drag_tracker.h"
#include "ui/image_canvas.h"
#include "ui/resume_filter.h"
#include "ui/window.h"

namespace zor::ui {

class PostQueue;

struct DrawOp {
  enum class Kind { Copy, MaskedCopy, Stretch, Fill, Text, Region, FocusRect, Icon };
  Kind kind = Kind::Copy;
  const Image* image = nullptr;
  const Image* mask = nullptr;
  Point at;
  Rect rect;
  ColorRef color = 0;
  std::string text;
  RegionPtr region;
  bool inPaint = false;  // drawn by OnPaint rather than on a client canvas
  // Text in a rectangle: its format and font.
  unsigned format = 0;
  FontHandle font = 0;
};

// Bitmaps by name and id, as a resource DLL would hold them.
class TestResourceLibrary : public ResourceLibrary {
 public:
  void Add(const std::string& name, Bitmap bitmap) { m_named[name] = std::move(bitmap); }
  void Add(int id, Bitmap bitmap) { m_numbered[id] = std::move(bitmap); }
  Bitmap GetBitmap(const std::string& name) const override;
  Bitmap GetBitmap(int id) const override;

 private:
  std::map<std::string, Bitmap> m_named;
  std::map<int, Bitmap> m_numbered;
};

class TestComboBox;

// A message one window posted to another, as the test host delivered it.
struct PostedMessage {
  unsigned message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

class TestHost : public WindowHost {
 public:
  // The window starts at windowRect (screen pixels), as a dialog template would place it.
  explicit TestHost(Window& window, Rect windowRect = Rect{0, 0, 374, 188});
  ~TestHost() override;

  // The system the window sees.
  void AddLibrary(const std::string& path, std::shared_ptr<const TestResourceLibrary> library);
  void SetProgramResources(std::shared_ptr<const TestResourceLibrary> library) {
    m_programResources = std::move(library);
  }
  void SetLanguage(unsigned language) { m_language = language; }
  void SetWorkArea(const Rect& area) { m_workArea = area; }
  void SetOwner(const Rect& ownerWindow) { m_owner = ownerWindow; }
  // Scripts the dialogs this window runs modally; the child host has been initialised and
  // painted once when the script starts.
  std::function<void(TestHost& child)> onModal;

  // Driving the window. Init runs OnInit and the dialog centring; false when it failed or the
  // program ended.
  bool Init();
  void Paint();
  void MouseMove(Point client, unsigned keys = 0);
  void MovePointerBy(int dx, int dy, unsigned keys = kMouseLeft);
  void Press(Point client);
  void Release(Point client);
  void Release();  // where the pointer is
  // A key press through the modal loop; true when the window consumed or used it.
  bool Key(uintptr_t key);
  // The system close command (Alt+F4 or the task bar).
  void Close();
  // A timer's tick, as the system would deliver it.
  void FireTimer(int id);
  // A power broadcast, turned into OnResume as the Win32 host turns it.
  void PowerBroadcast(PowerEvent event);
  // The system's end of the session; `ending` false: another program called it off.
  void EndSession(bool ending);
  // Any other message through the window procedure; true when the window handled it.
  bool Deliver(unsigned message, uintptr_t wParam, intptr_t lParam, intptr_t* result = nullptr);
  // Runs the work posted so far (from any thread), oldest first, while the window lives; how
  // much. Once the window has ended, what waits is dropped unrun.
  int RunPosted();

  // What happened.
  const std::vector<DrawOp>& Ops() const { return m_ops; }
  void ClearOps() { m_ops.clear(); }
  const DrawOp* LastOpAt(Point at) const;
  const Image& Screen() const { return m_screen; }
  Rect WindowRectNow() const { return m_rect; }
  RegionPtr CurrentRegion() const { return m_region; }
  Cursor CurrentCursor() const { return m_cursor; }
  bool Captured() const { return m_captured; }
  bool Ended() const { return m_ended; }
  int Result() const { return m_result; }
  std::optional<int> ExitStatus() const { return m_exitStatus; }
  const std::vector<std::pair<std::string, std::string>>& MessageBoxes() const {
    return m_messageBoxes;
  }
  const std::map<int, unsigned>& Timers() const { return m_timers; }
  bool Invalidated() const { return m_invalidated; }
  std::vector<std::string> LoadedLibraries() const { return m_loaded; }
  const std::string& Title() const { return m_title; }
  int Icon() const { return m_icon; }

  // WindowHost
  int DoModal(Window& dialog) override;
  Rect WindowRect() const override { return m_rect; }
  void MoveWindow(const Rect& screen, bool repaint) override;
  void Invalidate() override { m_invalidated = true; }
  std::unique_ptr<Canvas> ClientCanvas() override;
  void SetTimer(int id, unsigned milliseconds) override { m_timers[id] = milliseconds; }
  void KillTimer(int id) override { m_timers.erase(id); }
  void CaptureMouse() override;
  void ReleaseMouse() override;
  void SetCursor(Cursor cursor) override { m_cursor = cursor; }
  void BeginDrag(Point client) override;
  void EndModal(int result) override;
  void ShowMessageBox(const std::string& text, const std::string& caption) override;
  void ExitProcess(int status) override;
  std::unique_ptr<ResourceLibrary> OpenLibrary(const std::string& path) override;
  std::unique_ptr<ResourceLibrary> ProgramResources() override;
  unsigned SystemLanguage() const override { return m_language; }
  void SetTitle(const std::string& title) override { m_title = title; }
  void SetIcon(int resourceId) override { m_icon = resourceId; }
  void Minimise() override { m_iconic = true; }
  bool IsIconic() const override { return m_iconic; }
  std::shared_ptr<WindowPoster> Poster() override;
  void DropPosts() override;

  // Used by the recording canvases.
  void Record(DrawOp op) { m_ops.push_back(std::move(op)); }
  void ApplyRegion(const RegionPtr& region) { m_region = region; }

  // The system's drag distance the hosts use.
  static constexpr int kDragDistance = 4;

 private:
  Point ClientPointer() const { return Point{m_pointer.x - m_rect.left, m_pointer.y - m_rect.top}; }
  bool Live() const { return !m_ended && !m_exitStatus; }

  Window& m_window;
  Rect m_rect;
  Rect m_initialRect;
  Image m_screen;
  std::vector<DrawOp> m_ops;
  RegionPtr m_region;
  std::map<std::string, std::shared_ptr<const TestResourceLibrary>> m_libraries;
  std::shared_ptr<const TestResourceLibrary> m_programResources;
  std::vector<std::string> m_loaded;
  std::optional<Rect> m_owner;
  Rect m_workArea{0, 0, 1280, 1024};
  unsigned m_language = 0x0409;
  Cursor m_cursor = Cursor::Arrow;
  ResumeFilter m_resumes;
  bool m_captured = false;
  bool m_invalidated = false;
  bool m_ended = false;
  int m_result = 0;
  std::optional<int> m_exitStatus;
  std::vector<std::pair<std::string, std::string>> m_messageBoxes;
  std::map<int, unsigned> m_timers;
  Point m_pointer;
  DragTracker m_drag{kDragDistance, kDragDistance};
  std::string m_title;
  int m_icon = 0;
  bool m_iconic = false;
  std::shared_ptr<PostQueue> m_threadPosts;

  // Child controls, focus and keys
 public:
  bool CreateChild(Window& child, int id, const Rect& rect) override;
  std::unique_ptr<ComboBox> CreateComboBox(ComboSkin& skin, int id, const Rect& rect) override;
  int ControlId() const override { return m_id; }
  void PostToParent(unsigned message, uintptr_t wParam, intptr_t lParam) override;
  void SetFocus() override;
  bool HasFocus() const override;
  bool IsKeyDown(uintptr_t key) const override;

  // The host of child window id, or the combo id; null when there is none.
  TestHost* Child(int id);
  TestComboBox* Combo(int id);
  // The control that has the focus, 0 when the window itself has it.
  int FocusedId() const { return m_focusId; }
  // Shift held for the following key presses (Shift+Tab).
  void HoldShift(bool down) { m_shiftDown = down; }
  // Another window takes the mouse capture from whoever holds it.
  void StealCapture();
  // Messages delivered to this window from its children, oldest first.
  const std::vector<PostedMessage>& Delivered() const { return m_delivered; }
  void ClearDelivered() { m_delivered.clear(); }
  // A canvas on surface recording into ops, for the controls the host draws itself (combos).
  std::unique_ptr<Canvas> RecordingCanvasOn(Image& surface, std::vector<DrawOp>& ops,
                                            bool inPaint);
  // Used by the combos.
  void FocusControl(int id);
  void ForgetCombo(const TestComboBox* combo);

 private:
  struct ChildEntry {
    int id = 0;
    std::unique_ptr<TestHost> host;  // a child window
    TestComboBox* combo = nullptr;   // or a combo, owned by the window
    Rect Bounds() const;
  };
  enum class MouseEvent { Move, Press, Release };
  TestHost(Window& child, TestHost& parent, int id, const Rect& rect);
  TestHost& Top() { return m_parent ? m_parent->Top() : *this; }
  const TestHost& Top() const { return m_parent ? m_parent->Top() : *this; }
  // Hands a mouse event to the child under the pointer or holding the capture; true when a
  // child took it.
  bool RouteMouse(MouseEvent event, Point client, unsigned keys);
  bool RouteKey(uintptr_t key);
  void PumpPosted();
  void LoseCapture();

  TestHost* m_parent = nullptr;
  int m_id = 0;
  std::vector<ChildEntry> m_children;
  int m_focusId = 0;
  bool m_shiftDown = false;
  uintptr_t m_keyDown = 0;
  std::deque<PostedMessage> m_posted;
  std::vector<PostedMessage> m_delivered;
};

}  // namespace zor::ui
