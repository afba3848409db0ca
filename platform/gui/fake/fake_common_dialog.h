#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/common_dialog.h"

namespace velloran::platform::fake {

// A common dialog driven by a script of the user's answers. Every showing is
// recorded with the properties it was shown with.
class FakeCommonDialog final : public CommonDialog {
 public:
  enum class Kind { kOpen, kSave };
  struct Showing {
    Kind kind;
    std::uint32_t flags;
    std::string title;
    std::string filter;
    std::string file_name;  // FileName as the dialog opened
  };

  // The user confirms with this report (open) or chosen path (save). In an
  // open dialog the user may tick or clear the read-only box first; without
  // `read_only_ticked` it stays as it was shown.
  void WillAccept(std::string file_name, std::optional<bool> read_only_ticked = std::nullopt);
  void WillCancel();
  // The next showing throws std::bad_alloc, as when memory runs out.
  void WillRunOutOfMemory();

  bool ShowOpen() override { return Show(Kind::kOpen); }
  bool ShowSave() override { return Show(Kind::kSave); }

  const std::vector<Showing>& Showings() const { return showings_; }
  bool AllAnswersUsed() const { return answers_.empty(); }

 private:
  struct Answer {
    bool accept;
    std::string file_name;
    std::optional<bool> read_only_ticked;
    bool out_of_memory = false;
  };
  bool Show(Kind kind);

  std::deque<Answer> answers_;
  std::vector<Showing> showings_;
};

}  // namespace velloran::platform::fake
