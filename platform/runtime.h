#pragma once

#include <functional>
#include <string>

#include "platform/progress.h"

namespace velloran::platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Long work that Runtime::RunWork runs off the user-interface thread. It
// reports to `progress` and asks it, between blocks, whether to stop.
using Work = std::function<void(Progress& progress)>;

// How work run by Runtime::RunWork ended.
enum class WorkEnd {
  kFinished,       // it ran to its end and nobody asked it to stop
  kStopRequested,  // the user asked it to stop: it stopped (threw Stopped), or
                   // it had got to its end before it noticed; its results tell
};

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
  // `prompt` shows as a line break. Once the program has ended, nothing
  // shows.
  virtual void MsgBox(const std::string& prompt) = 0;

  // Runs `work` on a thread of its own and returns on this thread once it has
  // ended; an exception it throws, other than Stopped, is thrown again here.
  // Meanwhile the windows keep being painted and no handler runs: clicks and
  // keys on the window are not acted on. Once the work has lasted about half
  // a second, a progress window, modal to the window, shows `subject` (the
  // path of the file worked on), the step the work reports and how far it
  // has come, with a Cancel button (Escape too) that asks the work to stop.
  // Closing the window meanwhile asks the work to stop as well; once it has
  // stopped, the window closes (Form_Unload runs) before RunWork returns, so
  // a program that ends there shows nothing more.
  virtual WorkEnd RunWork(const std::string& subject, const Work& work) = 0;

  // Ends the program at once: every window closes and no further handler runs.
  virtual void End() = 0;
  // True once End has run.
  virtual bool HasEnded() const = 0;
};

}  // namespace velloran::platform
