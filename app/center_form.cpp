#include "app/center_form.h"

namespace velloran {

void CenterForm(platform::Window& form, const platform::Runtime& screen) {
  const float form_width = form.Width();
  const float screen_width = screen.ScreenWidth();
  form.SetLeft((screen_width - form_width) / 2.0f);

  const float form_height = form.Height();
  const float screen_height = screen.ScreenHeight();
  form.SetTop((screen_height - form_height) / 2.0f);
}

}  // namespace velloran
