// Drives a real program from outside its process: starts it, finds its
// windows, reads and sets texts as ANSI bytes, posts keys and clicks, finds
// and dismisses its message boxes, and reads what the browser recorder got.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// The class of the program's window, and how long a start or a link may take
// under Wine on a loaded machine.
constexpr char kWindowClass[] = "RuntimeFormWindow";
constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kLinkTimeoutMs = 30000;

// "/a/b" as Wine's Z: drive sees it: "Z:\a\b".
std::string WindowsPath(const std::string& unixPath);

// Code page conversions; the tests spell texts in UTF-8 and compare bytes.
std::string Gbk(const std::string& utf8);
std::string Utf8FromGbk(const std::string& gbk);

// Polls the condition every few milliseconds until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// %XX (either case) becomes its byte; every other byte stays as it is.
std::string PercentDecode(const std::string& text);

// What a process holds, read from outside. Wine 8 answers 0 for
// PrivateUsage, GetProcessHandleCount and GetGuiResources of another
// process, so the committed private pages are summed from VirtualQueryEx and
// the handles taken from the system's process list as well.
struct ProcessFigures {
  bool read = false;             // false: the figures could not be read
  SIZE_T privateUsage = 0;       // GetProcessMemoryInfo
  SIZE_T workingSet = 0;         // GetProcessMemoryInfo
  SIZE_T committedPrivate = 0;   // MEM_COMMIT and MEM_PRIVATE pages
  DWORD handleCount = 0;         // GetProcessHandleCount
  DWORD listedHandles = 0;       // NtQuerySystemInformation's process list
  DWORD userObjects = 0;         // GetGuiResources
  DWORD gdiObjects = 0;
  DWORD windows = 0;             // its top-level and child windows
};

// One started process; still running at destruction, it is terminated.
class Program {
 public:
  // arguments follow the quoted executable path on the command line; an empty
  // directory keeps the caller's current directory.
  Program(const std::string& exe, const std::string& arguments = "", const std::string& directory = "");
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool started() const { return process_ != nullptr; }
  DWORD id() const { return id_; }

  // The first top-level window of the process with that class, or null.
  HWND FindTopLevel(const char* className, bool visibleOnly) const;
  HWND WaitForWindow(const char* className, DWORD timeoutMs) const;

  // True when the process ended within the time; its exit code in *code.
  bool WaitForExit(DWORD timeoutMs, DWORD* code) const;
  bool Running() const;

  // Its top-level windows, class, visibility and text, for failure messages.
  std::string DescribeWindows() const;

  // The process's current directory, read from its process parameters.
  std::string CurrentDirectory() const;

  ProcessFigures Figures() const;

  // How often the bytes, followed by a NUL, lie in its committed private
  // memory (its heap among it).
  size_t CountInMemory(const std::string& bytes) const;

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// WM_GETTEXT, as the bytes the window gives.
std::string ReadText(HWND hwnd);
// False when the window did not take the text within the time.
bool SetText(HWND hwnd, const std::string& bytes, DWORD timeoutMs = 5000);
std::string ClassName(HWND hwnd);

struct Child {
  HWND hwnd;
  std::string className;
  RECT place;  // in the parent's client coordinates
  bool visible;
};
std::vector<Child> Children(HWND parent);
// The child of that class whose outer rectangle is exactly left, top, width x height.
HWND FindChildAt(HWND parent, const char* className, int left, int top, int width, int height);

// Waits for the window's thread to answer WM_NULL.
bool Responsive(HWND hwnd, DWORD timeoutMs);
// BM_CLICK sent, not posted: true once the click's handler has returned.
bool SendClick(HWND button, DWORD timeoutMs);

// Every process and every visible top-level window there is now.
struct ProcessEntry {
  DWORD id;
  std::string exeName;
};
std::vector<ProcessEntry> Processes();
std::vector<HWND> VisibleTopLevelWindows();

// Real input through SendInput (the window must be in the foreground):
// the keys go down in order and up in reverse order.
bool PressKeys(const std::vector<WORD>& virtualKeys);
// A left click at a screen point.
bool ClickAt(POINT screen);
// Brings the window to the foreground; true once it is there.
bool BringToFront(HWND window, DWORD timeoutMs);

// Posts each byte as WM_CHAR; a two-byte character goes as its two bytes.
void PostChars(HWND hwnd, const std::string& bytes);
// Posts WM_KEYDOWN and WM_KEYUP for a virtual key, with its scan code.
void PostKey(HWND hwnd, UINT virtualKey);

// The process's message box ("#32770") once it shows, or null; its text is
// that of its static control, and dismissing it presses its first button.
HWND WaitForMessageBox(const Program& program, DWORD timeoutMs);
std::string MessageBoxText(HWND box);
void DismissMessageBox(HWND box);

// The file the browser recorder appends each link it is handed to.
class Recorder {
 public:
  Recorder();  // from QQ_RECORDER_LOG
  bool available() const { return !path_.empty(); }
  std::vector<std::string> Lines() const;
  // The next line after the ones there are now: call Mark() before acting.
  void Mark();
  bool WaitForNext(DWORD timeoutMs, std::string* line);

 private:
  // Finished lines from offset_ on go to pending_.
  void ReadOn();

  std::string path_;
  unsigned long long offset_ = 0;
  std::vector<std::string> pending_;
  size_t taken_ = 0;  // of pending_
};

}  // namespace e2e
