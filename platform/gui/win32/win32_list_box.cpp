#include "platform/gui/win32/win32_list_box.h"

#include <string>

#include "platform/error.h"
#include "platform/gui/list_index.h"
#include "platform/gui/toolkit_messages.h"
#include "platform/os/win32/win32_text.h"

namespace velloran::platform::win32 {

void Win32ListBox::AddItem(const std::string& text) {
  const std::wstring wide = Widen(text);
  const LRESULT result =
      SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  if (result == LB_ERR || result == LB_ERRSPACE) throw Error(toolkit_messages::ListFull(text));
}

void Win32ListBox::RemoveItem(int index) {
  CheckListIndex(index, ListCount(), "remove");
  SendMessageW(list_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

int Win32ListBox::ListIndex() const {
  const LRESULT selected = SendMessageW(list_, LB_GETCURSEL, 0, 0);
  return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

int Win32ListBox::ListCount() const {
  const LRESULT count = SendMessageW(list_, LB_GETCOUNT, 0, 0);
  return count == LB_ERR ? 0 : static_cast<int>(count);
}

std::string Win32ListBox::List(int index) const {
  CheckListIndex(index, ListCount(), "read");
  const LRESULT length = SendMessageW(list_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(list_, LB_GETTEXT, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(text.data()));
  if (copied == LB_ERR) return {};
  text.resize(static_cast<std::size_t>(copied));
  return Narrow(text);
}

void Win32ListBox::SetHorizontalExtent(int pixels) {
  SendMessageW(list_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(pixels), 0);
}

}  // namespace velloran::platform::win32
