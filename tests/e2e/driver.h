// Drives a real program from outside its process: starts it, finds its
// windows, reads and sets texts as ANSI bytes, posts keys and clicks, finds
// and dismisses its message boxes, and reads what the browser recorder got.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// "/a/b" as Wine's Z: drive sees it: "Z:\a\b".
std::string WindowsPath(const std::string& unixPath);

// Code page conversions; the tests spell texts in UTF-8 and compare bytes.
std::string Gbk(const std::string& utf8);
std::string Utf8FromGbk(const std::string& gbk);

// Polls the condition every few milliseconds until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

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

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// WM_GETTEXT, as the bytes the window gives.
std::string ReadText(HWND hwnd);
void SetText(HWND hwnd, const std::string& bytes);
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
  std::string path_;
  size_t seen_ = 0;
};

}  // namespace e2e
