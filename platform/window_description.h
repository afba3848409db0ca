#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/font.h"
#include "platform/progress.h"

namespace velloran::platform {

// What the program's windows look like and the texts a toolkit shows of its
// own accord, written once by the program and handed to the toolkit when it
// is created (CreateBackend). A toolkit only turns this into calls of its
// own; it writes no place, size, font, colour or text of its own.
//
// Places and sizes are in twips (1/1440 inch; 15 make a pixel at 96 dots per
// inch), relative to the window's client area. Where a value is left empty,
// the toolkit's default holds. Texts point at the program's constants, which
// live as long as the program.
//
// A new window is described the same way: a struct of its own with its
// client size and one ControlDescription per control (a control of a new
// kind adds that kind to ControlKind), added as a member of UiDescription;
// its texts go where the program keeps all of its texts.

struct Colour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  bool operator==(const Colour&) const = default;
};

inline constexpr Colour kWhite{255, 255, 255};

// A control's place and size in its window, in twips.
struct Placement {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

enum class ControlKind {
  kCommandButton,  // a push button showing its caption
  kListBox,        // an unsorted, single-selection list of texts (platform/list_box.h)
  kPictureButton,  // a check box in graphical style (platform/picture_button.h)
  kLabel,          // one line of text; a text too long for it loses its middle to "..."
  kProgressBar,    // a horizontal bar that fills from the left as work goes on
};

struct ControlDescription {
  std::string_view name;  // as the handlers know it: "List1"
  ControlKind kind = ControlKind::kCommandButton;
  Placement place;
  // The keyboard's order through the window's controls, lowest first; the
  // lowest holds the focus when the window opens.
  int tab_index = 0;
  std::string_view caption;
  std::string_view tool_tip;
  std::optional<Font> font;
  std::optional<Colour> background;
  // The picture in the middle of a picture button's face: the base name of an
  // artwork file in assets/ ("add_files"), which each toolkit builds in.
  std::string_view picture;
  // What assistive technology (a screen reader) speaks for the control: its
  // name, and a longer description. An empty name leaves the caption, or the
  // text a label shows.
  std::string_view accessible_name;
  std::string_view accessible_description;
};

// Form1, the program's window: a fixed dialog frame (title bar, system menu
// and close button; no sizing, no minimise or maximise button), kept out of
// the task bar.
struct Form1Description {
  std::string_view name;
  int client_width = 0;  // twips
  int client_height = 0;
  std::optional<Colour> background;
  ControlDescription command1;
  ControlDescription list1;
  ControlDescription check1;
  ControlDescription check2;

  // Every control, in no particular order (tab_index gives the keyboard's).
  std::array<const ControlDescription*, 4> Controls() const {
    return {&command1, &list1, &check1, &check2};
  }
};

// The progress window of long work (Runtime::RunWork): modal to Form1, with
// the same fixed dialog frame, titled with the program's title. Its
// controls: the path of the file worked on, what is being done, how far it
// has come, and a command button that asks the work to stop, which Escape
// and the frame's close button press too.
struct ProgressWindowDescription {
  std::string_view name;
  int client_width = 0;  // twips
  int client_height = 0;
  ControlDescription path;    // a label
  ControlDescription step;    // a label
  ControlDescription bar;     // a progress bar
  ControlDescription cancel;  // a command button
  // What `step` shows during each step of the work.
  std::string_view reading;
  std::string_view removing;
  std::string_view writing;

  std::array<const ControlDescription*, 4> Controls() const {
    return {&path, &step, &bar, &cancel};
  }
  std::string_view StepText(WorkStep work_step) const {
    switch (work_step) {
      case WorkStep::kReading:
        return reading;
      case WorkStep::kRemoving:
        return removing;
      case WorkStep::kWriting:
        return writing;
    }
    return {};
  }
};

struct UiDescription {
  // The program's title: the caption of every message box, and its name
  // where the window system asks for one.
  std::string_view app_title;
  // Shown for an exception that carries no message of its own.
  std::string_view unexpected_error;
  // The label of the open dialog's read-only box, where the toolkit draws
  // the file dialog itself (Qt); & marks the access key. The native Win32
  // dialog writes its own.
  std::string_view open_read_only;
  Form1Description form1;
  ProgressWindowDescription progress;
};

}  // namespace velloran::platform
