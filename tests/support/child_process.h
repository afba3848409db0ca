#pragma once

// Work run in a child process, possibly as another user: for tests of what
// one user's write does to another user's file, and of processes that die.

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velloran::testing {

struct UserIdentity {
  uid_t uid;
  gid_t gid;
  std::vector<gid_t> groups;  // supplementary groups
};

// The unprivileged user "nobody", without supplementary groups.
UserIdentity Nobody();
bool IsRoot();

// Runs `work` in a forked child, as `as` when given (which takes root), and
// returns what `work` returned: empty when all went well, otherwise what
// went wrong. A child that dies returns a text saying so.
std::string InChild(const std::function<std::string()>& work,
                    const std::optional<UserIdentity>& as = std::nullopt);

// Runs `work` as an ordinary user: in a child as Nobody() when this process
// is root, else in a child as this process's own user.
std::string AsOrdinaryUser(const std::function<std::string()>& work);

// The folder holding this test program, where its helper programs are.
std::string ProgramFolder();

}  // namespace velloran::testing
