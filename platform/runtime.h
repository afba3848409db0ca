#pragma once

#include <string>

namespace velloran::platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Services of the running program outside its window.
class Runtime {
 public:
  virtual ~Runtime() = default;

  // The folder of the running program, without a trailing separator except
  // for a root folder.
  virtual std::string AppPath() const = 0;

  // The whole screen, in twips; nothing reserved (such as a task bar) is
  // subtracted.
  virtual float ScreenWidth() const = 0;
  virtual float ScreenHeight() const = 0;

  // Width of a vertical scroll bar, in pixels.
  virtual int VerticalScrollBarWidth() const = 0;

  // A modal message with the OK button only, no icon, titled with the
  // program's title (UiDescription::app_title). Each carriage return in
  // `prompt` shows as a line break.
  virtual void MsgBox(const std::string& prompt) = 0;

  // Ends the program at once: every window closes and no further handler runs.
  virtual void End() = 0;
  // True once End has run.
  virtual bool HasEnded() const = 0;
};

}  // namespace velloran::platform
