// A portable window: it owns its state, handles its messages and draws on a canvas. Everything it
// needs from the system (timers, capture, cursors, modal loops, message boxes, resources) it asks
// of its host: the Win32 host binds it to an HWND, the test host records and scripts it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/canvas.h"
#include "ui/child_control.h"
#include "ui/geometry.h"
#include "ui/resources.h"

namespace zor::ui {

class Window;

// Results of a modal run, as the platform's dialogs give them.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

// Message numbers and key codes a window may see in PreTranslateMessage (the platform's values).
constexpr unsigned kMsgKeyDown = 0x0100;
constexpr unsigned kMsgMouseMove = 0x0200;
constexpr uintptr_t kKeyReturn = 13;
constexpr uintptr_t kKeyEscape = 27;

// Mouse key state flags passed with mouse messages.
constexpr unsigned kMouseLeft = 0x0001;
constexpr unsigned kMouseRight = 0x0002;
constexpr unsigned kMouseMiddle = 0x0010;

enum class Cursor { Arrow, Hand };

// Hands work to a window from any thread: the window's own thread runs it, in the order it was
// posted, so the window alone touches the state it paints. The host owns what waits, and destroys
// it unrun when the window goes.
class WindowPoster {
 public:
  virtual ~WindowPoster() = default;
  // False when the window is gone; work is then destroyed without running.
  virtual bool Post(std::function<void()> work) = 0;
};

// Runs a window modally; the owner is disabled while it runs.
class ModalHost {
 public:
  virtual ~ModalHost() = default;
  // Initialises, shows and runs dialog until it calls EndModal; returns that value.
  virtual int DoModal(Window& dialog) = 0;
};

class WindowHost : public ModalHost {
 public:
  // Modal runs started here are owned by this window.

  virtual Rect WindowRect() const = 0;  // screen pixels
  virtual void MoveWindow(const Rect& screen, bool repaint) = 0;
  virtual void Invalidate() = 0;
  // A canvas on the client area for drawing outside a paint (the picture stays until repainted).
  virtual std::unique_ptr<Canvas> ClientCanvas() = 0;

  virtual void SetTimer(int id, unsigned milliseconds) = 0;
  virtual void KillTimer(int id) = 0;
  virtual void CaptureMouse() = 0;
  virtual void ReleaseMouse() = 0;
  virtual void SetCursor(Cursor cursor) = 0;
  // The press at `client` may move the window: once the pointer travels beyond the system's drag
  // distance with the button held, the window follows it and gets OnDragStart; the release still
  // arrives as OnLButtonUp.
  virtual void BeginDrag(Point client) = 0;

  // Ends the modal run of this window with result.
  virtual void EndModal(int result) = 0;
  // A plain OK message box owned by this window.
  virtual void ShowMessageBox(const std::string& text, const std::string& caption) = 0;
  // Ends the whole program at once with the status.
  virtual void ExitProcess(int status) = 0;

  // A resource library by full path; null when it cannot be loaded.
  virtual std::unique_ptr<ResourceLibrary> OpenLibrary(const std::string& path) = 0;
  // The program's own bitmaps, by id.
  virtual std::unique_ptr<ResourceLibrary> ProgramResources() = 0;
  virtual unsigned SystemLanguage() const = 0;

  // ---- Top-level window: title, icon, minimise, posts from other threads ----
  // (A child window has none of these; the defaults do nothing.)
  virtual void SetTitle(const std::string& /*title*/) {}
  // The program's icon resource as the window's big and small icon and its drag picture; a
  // minimised window shows it.
  virtual void SetIcon(int /*resourceId*/) {}
  virtual void Minimise() {}
  virtual bool IsIconic() const { return false; }
  // A poster for this window; valid from any thread for as long as anyone holds it. Null for a
  // window that cannot take posts.
  virtual std::shared_ptr<WindowPoster> Poster() { return nullptr; }
  // The window is going: the work still waiting is destroyed unrun and later posts fail (the host
  // does so itself when the window is destroyed; a window that ends the process says so first).
  virtual void DropPosts() {}

  // Child controls, focus and keys
  // For a child window, WindowRect and MoveWindow are in the parent's client pixels.
  // Makes child a child window of this one with control id `id` at rect (client pixels), a tab
  // stop, attached to a host of its own for the child's life. False when it could not be made.
  virtual bool CreateChild(Window& child, int id, const Rect& rect) = 0;
  // A system drop-down list combo box with control id `id` at rect (its height includes the
  // dropped list), a tab stop, painted by skin. Null when it could not be made.
  virtual std::unique_ptr<ComboBox> CreateComboBox(ComboSkin& skin, int id, const Rect& rect) = 0;
  virtual int ControlId() const = 0;  // 0 for a top-level window
  // Queues a message for the parent window's OnMessage, delivered after the present handler.
  virtual void PostToParent(unsigned message, uintptr_t wParam, intptr_t lParam) = 0;
  virtual void SetFocus() = 0;  // this window takes the keyboard focus
  virtual bool HasFocus() const = 0;
  virtual bool IsKeyDown(uintptr_t key) const = 0;
};

class Window {
 public:
  virtual ~Window() = default;

  // Bound by the host before OnInit, for the window's life.
  void Attach(WindowHost* host) { m_host = host; }
  WindowHost& Host() const { return *m_host; }

  // Return false when initialisation failed and the window must not be shown.
  virtual bool OnInit() { return true; }
  virtual void OnPaint(Canvas& /*canvas*/) {}
  virtual void OnMouseMove(Point /*p*/, unsigned /*keys*/) {}
  virtual void OnLButtonDown(Point /*p*/, unsigned /*keys*/) {}
  virtual void OnLButtonUp(Point /*p*/, unsigned /*keys*/) {}
  // The press handed to BeginDrag has turned into a window move.
  virtual void OnDragStart() {}
  virtual void OnTimer(int /*id*/) {}
  // The system has resumed from a suspend; once per resume, however the system announced it.
  virtual void OnResume() {}
  // The session ends (a logoff or a shutdown): the process goes once this returns, without a
  // close. Not called when the end was called off.
  virtual void OnEndSession() {}
  // Any other message (control notifications, other programs' requests); true when handled.
  virtual bool OnMessage(unsigned /*message*/, uintptr_t /*wParam*/, intptr_t /*lParam*/,
                         intptr_t& /*result*/) {
    return false;
  }
  // Sees every keyboard and mouse message of the modal loop before dispatch; true consumes it.
  virtual bool PreTranslateMessage(unsigned /*message*/, uintptr_t /*wParam*/) { return false; }
  // A dialog's Enter and Escape, and the system close command (Escape's path).
  virtual void OnOK() { Host().EndModal(kIdOk); }
  virtual void OnCancel() { Host().EndModal(kIdCancel); }
  // A program's main window: it gets a taskbar button and can be minimised.
  virtual bool IsAppWindow() const { return false; }

  // Child controls, focus and keys
  // False until the window has a host (a child before it is created).
  bool HasHost() const { return m_host != nullptr; }
  virtual void OnKeyDown(uintptr_t /*key*/) {}
  virtual void OnSetFocus() {}
  virtual void OnKillFocus() {}
  // The mouse capture went elsewhere, whoever took it (also after the window's own release).
  virtual void OnCaptureLost() {}
  // The keys the window wants while it has the focus in a dialog (kDlgCode...).
  virtual unsigned OnGetDlgCode() { return 0; }
  // The window is going away (a child with its parent).
  virtual void OnDestroy() {}

 private:
  WindowHost* m_host = nullptr;
};

// What a host does with a key press that PreTranslateMessage let through: Enter and Escape act
// as in a dialog. True when the key was used.
bool HandleDialogKey(Window& window, uintptr_t key);

// Where a dialog of size `window` goes when its initialisation left its position alone: centred
// over the owner's rectangle, or over the work area when there is no visible owner, then moved
// inside the work area.
Point CentredPosition(const Rect& window, const Rect* owner, const Rect& workArea);

}  // namespace zor::ui
