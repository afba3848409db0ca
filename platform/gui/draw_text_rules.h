#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velloran::platform {

// The lines DrawText shows for `text` without DT_NOPREFIX and without
// DT_SINGLELINE: CR LF, CR and LF each end a line, a single & is a mnemonic
// prefix and vanishes (the next character is drawn underlined), && shows as
// one &. Backends that measure text themselves measure these lines.
std::vector<std::string> DrawTextLines(std::string_view text);

}  // namespace velloran::platform
