#include "ui/testing/test_host.h"

#include "ui/post_queue.h"
#include "ui/testing/test_children.h"

namespace zor::ui {

namespace {

// Wraps a canvas, records each drawing, and forwards it. An off-screen canvas taken from it
// records into its own list and hands the list on only when it is destroyed, as the picture
// reaches the screen only then.
class RecordingCanvas : public Canvas {
 public:
  using Sink = std::function<void(DrawOp)>;

  RecordingCanvas(std::unique_ptr<Canvas> owned, Canvas* inner, Sink sink, TestHost& host,
                  bool inPaint, bool deferred)
      : m_owned(std::move(owned)),
        m_inner(inner ? inner : m_owned.get()),
        m_sink(std::move(sink)),
        m_host(host),
        m_inPaint(inPaint),
        m_deferred(deferred) {}

  ~RecordingCanvas() override {
    m_owned.reset();
    for (DrawOp& op : m_pending) m_sink(std::move(op));
  }

  void Copy(const Image& image, int x, int y) override {
    DrawOp op = Make(DrawOp::Kind::Copy, x, y);
    op.image = &image;
    Emit(std::move(op));
    m_inner->Copy(image, x, y);
  }
  void MaskedCopy(const Image& image, const Image& mask, int x, int y) override {
    DrawOp op = Make(DrawOp::Kind::MaskedCopy, x, y);
    op.image = &image;
    op.mask = &mask;
    Emit(std::move(op));
    m_inner->MaskedCopy(image, mask, x, y);
  }
  void Stretch(const Image& image, const Rect& from, const Rect& to) override {
    DrawOp op = Make(DrawOp::Kind::Stretch, to.left, to.top);
    op.image = &image;
    op.rect = to;
    Emit(std::move(op));
    m_inner->Stretch(image, from, to);
  }
  void Fill(const Rect& area, ColorRef color) override {
    DrawOp op = Make(DrawOp::Kind::Fill, area.left, area.top);
    op.rect = area;
    op.color = color;
    Emit(std::move(op));
    m_inner->Fill(area, color);
  }
  void SetTextColor(ColorRef color) override {
    m_textColor = color;
    m_inner->SetTextColor(color);
  }
  void SetTransparentText(bool transparent) override {
    m_inner->SetTransparentText(transparent);
  }
  void Text(int x, int y, const std::string& text) override {
    DrawOp op = Make(DrawOp::Kind::Text, x, y);
    op.text = text;
    op.color = m_textColor;
    op.rect = Rect{x, y, x, y};
    Emit(std::move(op));
    m_inner->Text(x, y, text);
  }
  void SetWindowRegion(const RegionPtr& region, bool /*redraw*/) override {
    DrawOp op = Make(DrawOp::Kind::Region, 0, 0);
    op.region = region;
    Emit(std::move(op));
    m_host.ApplyRegion(region);
  }
  Rect ClipBox() const override { return m_inner->ClipBox(); }
  std::unique_ptr<Canvas> BeginOffscreen(const Rect& area, bool copyBackground) override {
    return std::make_unique<RecordingCanvas>(
        m_inner->BeginOffscreen(area, copyBackground), nullptr,
        [this](DrawOp op) { Emit(std::move(op)); }, m_host, m_inPaint, true);
  }
  void TextInRect(const Rect& area, const std::string& text, unsigned format,
                  FontHandle font) override {
    DrawOp op = Make(DrawOp::Kind::Text, area.left, area.top);
    op.text = text;
    op.color = m_textColor;
    op.rect = area;
    op.format = format;
    op.font = font;
    Emit(std::move(op));
    m_inner->TextInRect(area, text, format, font);
  }
  void FocusRect(const Rect& area) override {
    DrawOp op = Make(DrawOp::Kind::FocusRect, area.left, area.top);
    op.rect = area;
    Emit(std::move(op));
    m_inner->FocusRect(area);
  }
  Image ReadPixels(const Rect& area) override { return m_inner->ReadPixels(area); }

 private:
  DrawOp Make(DrawOp::Kind kind, int x, int y) const {
    DrawOp op;
    op.kind = kind;
    op.at = Point{x, y};
    op.inPaint = m_inPaint;
    return op;
  }
  // Off-screen canvases hold their drawings back until they are destroyed.
  void Emit(DrawOp op) {
    if (m_deferred)
      m_pending.push_back(std::move(op));
    else
      m_sink(std::move(op));
  }

  std::unique_ptr<Canvas> m_owned;
  Canvas* m_inner;
  Sink m_sink;
  TestHost& m_host;
  bool m_inPaint;
  bool m_deferred;
  std::vector<DrawOp> m_pending;
  ColorRef m_textColor = 0;
};

}  // namespace

Bitmap TestResourceLibrary::GetBitmap(const std::string& name) const {
  const auto it = m_named.find(name);
  return it == m_named.end() ? nullptr : it->second;
}

Bitmap TestResourceLibrary::GetBitmap(int id) const {
  const auto it = m_numbered.find(id);
  return it == m_numbered.end() ? nullptr : it->second;
}

TestHost::TestHost(Window& window, Rect windowRect)
    : m_window(window),
      m_rect(windowRect),
      m_initialRect(windowRect),
      m_screen(windowRect.Width(), windowRect.Height()) {
  m_window.Attach(this);
}

TestHost::~TestHost() {
  DropPosts();
  // Children go with their window, as child windows do.
  for (ChildEntry& c : m_children) {
    if (c.host) c.host->m_window.OnDestroy();
    if (c.combo) c.combo->Destroy();
  }
  m_window.Attach(nullptr);
}

void TestHost::AddLibrary(const std::string& path,
                          std::shared_ptr<const TestResourceLibrary> library) {
  m_libraries[path] = std::move(library);
}

bool TestHost::Init() {
  const bool ok = m_window.OnInit();
  if (!ok || !Live()) return false;
  // Dialogs whose initialisation left their position alone are centred, as the platform does.
  if (m_rect.left == m_initialRect.left && m_rect.top == m_initialRect.top) {
    const Point p = CentredPosition(m_rect, m_owner ? &*m_owner : nullptr, m_workArea);
    MoveWindow(Rect{p.x, p.y, p.x + m_rect.Width(), p.y + m_rect.Height()}, false);
  }
  return true;
}

std::shared_ptr<WindowPoster> TestHost::Poster() {
  if (!m_threadPosts) m_threadPosts = std::make_shared<PostQueue>();
  return m_threadPosts;
}

void TestHost::DropPosts() {
  if (m_threadPosts) m_threadPosts->Close();
}

int TestHost::RunPosted() {
  if (!m_threadPosts) return 0;
  int ran = 0;
  while (Live() && m_threadPosts->RunOne()) ++ran;
  // An ended window is gone: what still waits is never run.
  if (!Live()) DropPosts();
  return ran;
}

void TestHost::FireTimer(int id) {
  if (Live() && m_timers.count(id)) m_window.OnTimer(id);
}

void TestHost::PowerBroadcast(PowerEvent event) {
  if (Live() && m_resumes.IsNewResume(event)) m_window.OnResume();
}

void TestHost::EndSession(bool ending) {
  if (Live() && ending) m_window.OnEndSession();
}

bool TestHost::Deliver(unsigned message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
  intptr_t ignored = 0;
  if (!Live()) return false;
  return m_window.OnMessage(message, wParam, lParam, result ? *result : ignored);
}

void TestHost::Paint() {
  if (m_iconic) {
    // A minimised window shows its icon; the host draws it, as the system's default would.
    DrawOp op;
    op.kind = DrawOp::Kind::Icon;
    op.inPaint = true;
    op.color = static_cast<ColorRef>(m_icon);
    Record(std::move(op));
    return;
  }
  ImageCanvas screen(m_screen, Point{}, 0xFFFFFF);
  RecordingCanvas canvas(nullptr, &screen, [this](DrawOp op) { Record(std::move(op)); }, *this,
                         true, false);
  m_window.OnPaint(canvas);
  m_invalidated = false;
  for (ChildEntry& c : m_children) {
    if (c.host) c.host->Paint();
    if (c.combo) c.combo->PaintFace();
  }
}

void TestHost::MouseMove(Point client, unsigned keys) {
  m_pointer = Point{m_rect.left + client.x, m_rect.top + client.y};
  MovePointerBy(0, 0, keys);
}

void TestHost::MovePointerBy(int dx, int dy, unsigned keys) {
  m_pointer.x += dx;
  m_pointer.y += dy;
  if (!Live()) return;
  if (RouteMouse(MouseEvent::Move, ClientPointer(), keys)) return;
  if (m_drag.Armed() && (keys & kMouseLeft)) {
    const DragTracker::Step step = m_drag.Move(m_pointer);
    if (step == DragTracker::Step::Started) m_window.OnDragStart();
    if (step != DragTracker::Step::None) {
      const Point p = m_drag.TopLeft();
      MoveWindow(Rect{p.x, p.y, p.x + m_rect.Width(), p.y + m_rect.Height()}, false);
      return;  // the window follows the pointer; it sees no moves of its own meanwhile
    }
  }
  if (m_window.PreTranslateMessage(kMsgMouseMove, keys)) return;
  m_window.OnMouseMove(ClientPointer(), keys);
}

void TestHost::Press(Point client) {
  m_pointer = Point{m_rect.left + client.x, m_rect.top + client.y};
  if (!Live() || m_window.PreTranslateMessage(0x0201, kMouseLeft)) return;
  if (RouteMouse(MouseEvent::Press, client, kMouseLeft)) return;
  m_window.OnLButtonDown(client, kMouseLeft);
}

void TestHost::Release(Point client) {
  m_pointer = Point{m_rect.left + client.x, m_rect.top + client.y};
  Release();
}

void TestHost::Release() {
  if (!Live()) return;
  if (!m_window.PreTranslateMessage(0x0202, 0) && !RouteMouse(MouseEvent::Release, ClientPointer(), 0))
    m_window.OnLButtonUp(ClientPointer(), 0);
  m_drag.Release();
}

bool TestHost::Key(uintptr_t key) {
  if (!Live()) return false;
  if (m_window.PreTranslateMessage(kMsgKeyDown, key)) return true;
  if (!m_children.empty()) return RouteKey(key);
  return HandleDialogKey(m_window, key);
}

void TestHost::Close() {
  if (Live()) m_window.OnCancel();
}

const DrawOp* TestHost::LastOpAt(Point at) const {
  for (auto it = m_ops.rbegin(); it != m_ops.rend(); ++it)
    if (it->at == at && it->kind != DrawOp::Kind::Region) return &*it;
  return nullptr;
}

int TestHost::DoModal(Window& dialog) {
  TestHost child(dialog);
  child.m_libraries = m_libraries;
  child.m_programResources = m_programResources;
  child.m_language = m_language;
  child.m_workArea = m_workArea;
  child.m_owner = m_rect;
  if (child.Init()) {
    child.Paint();
    if (onModal) onModal(child);
  }
  if (child.m_exitStatus) m_exitStatus = child.m_exitStatus;
  m_messageBoxes.insert(m_messageBoxes.end(), child.m_messageBoxes.begin(),
                        child.m_messageBoxes.end());
  // A dialog the script left open never returns; -1 tells the test so.
  return child.m_ended ? child.m_result : -1;
}

void TestHost::MoveWindow(const Rect& screen, bool repaint) {
  if (screen.Width() != m_rect.Width() || screen.Height() != m_rect.Height())
    m_screen = Image(screen.Width(), screen.Height());
  m_rect = screen;
  if (repaint) m_invalidated = true;
}

std::unique_ptr<Canvas> TestHost::ClientCanvas() {
  auto screen = std::make_unique<ImageCanvas>(m_screen, Point{}, 0xFFFFFF);
  return std::make_unique<RecordingCanvas>(std::move(screen), nullptr,
                                           [this](DrawOp op) { Record(std::move(op)); }, *this,
                                           false, false);
}

void TestHost::BeginDrag(Point client) {
  m_drag.Arm(Point{m_rect.left + client.x, m_rect.top + client.y}, Point{m_rect.left, m_rect.top});
}

void TestHost::EndModal(int result) {
  m_ended = true;
  m_result = result;
}

void TestHost::ShowMessageBox(const std::string& text, const std::string& caption) {
  m_messageBoxes.emplace_back(text, caption);
}

void TestHost::ExitProcess(int status) {
  if (!m_exitStatus) m_exitStatus = status;
}

std::unique_ptr<ResourceLibrary> TestHost::OpenLibrary(const std::string& path) {
  m_loaded.push_back(path);
  const auto it = m_libraries.find(path);
  if (it == m_libraries.end()) return nullptr;
  return std::make_unique<TestResourceLibrary>(*it->second);
}

std::unique_ptr<ResourceLibrary> TestHost::ProgramResources() {
  if (!m_programResources) return std::make_unique<TestResourceLibrary>();
  return std::make_unique<TestResourceLibrary>(*m_programResources);
}

std::unique_ptr<Canvas> TestHost::RecordingCanvasOn(Image& surface, std::vector<DrawOp>& ops,
                                                   bool inPaint) {
  return std::make_unique<RecordingCanvas>(std::make_unique<ImageCanvas>(surface), nullptr,
                                           [&ops](DrawOp op) { ops.push_back(std::move(op)); },
                                           *this, inPaint, false);
}

}  // namespace zor::ui
