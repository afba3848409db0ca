#pragma once

#include "platform/common_dialog.h"
#include "platform/list_box.h"
#include "platform/picture_button.h"
#include "platform/runtime.h"
#include "platform/window.h"

namespace velloran::platform {

// Everything the window's handlers reach, supplied by a backend. The backend
// owns the objects; they live as long as the backend. Each is named as the
// window knows it (commonDialog1, not common_dialog1); a toolkit that hands
// out its controls under names of its own uses the same ones.
struct Controls {
  Window& form;
  ListBox& list1;
  PictureButton& check1;
  PictureButton& check2;
  CommonDialog& commonDialog1;
  Runtime& runtime;
};

}  // namespace velloran::platform
