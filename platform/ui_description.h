#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/font.h"

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

struct UiDescription {
  // The program's title: the caption of every message box, and its name
  // where the window system asks for one.
  std::string_view app_title;
  // Shown for an exception that carries no message of its own.
  std::string_view unexpected_error;
  Form1Description form1;
};

}  // namespace velloran::platform
