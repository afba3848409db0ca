#include "platform/gui/fake/fake_common_dialog.h"

#include <new>
#include <stdexcept>

namespace velloran::platform::fake {

void FakeCommonDialog::WillAccept(std::string file_name, std::optional<bool> read_only_ticked) {
  answers_.push_back({true, std::move(file_name), read_only_ticked});
}

void FakeCommonDialog::WillCancel() { answers_.push_back({false, {}, {}}); }

void FakeCommonDialog::WillRunOutOfMemory() { answers_.push_back({false, {}, {}, true}); }

bool FakeCommonDialog::Show(Kind kind) {
  showings_.push_back({kind, Flags(), DialogTitle(), Filter(), FileName()});
  if (answers_.empty()) {
    throw std::logic_error("a dialog opened that the test did not expect");
  }
  const Answer answer = answers_.front();
  answers_.pop_front();
  if (answer.out_of_memory) throw std::bad_alloc();
  if (!answer.accept) return false;
  SetFileName(answer.file_name);
  if (kind == Kind::kOpen && answer.read_only_ticked) WriteBackReadOnly(*answer.read_only_ticked);
  return true;
}

}  // namespace velloran::platform::fake
