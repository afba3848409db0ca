#include "app/horizontal_list.h"

namespace velloran {

void SetHorizontalExtent(platform::Window& form, platform::ListBox& list,
                         const platform::Runtime& runtime) {
  const platform::Font list_font = list.GetFont();
  form.SetFontName(list_font.name);
  form.SetFontBold(list_font.bold);
  form.SetFontSize(list_font.size);

  const int scroll_bar_width = runtime.VerticalScrollBarWidth();
  int widest = 0;
  const int count = list.ListCount();
  for (int i = 0; i < count; ++i) {
    const int width = form.MeasureText(list.List(i)) + scroll_bar_width;
    if (width >= widest) widest = width;
  }
  list.SetHorizontalExtent(widest);
}

}  // namespace velloran
