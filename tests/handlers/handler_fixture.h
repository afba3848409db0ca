#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/form1.h"
#include "app/ui_description.h"
#include "platform/gui/fake/fake_backend.h"
#include "platform/runtime.h"
#include "tests/support/temp_dir.h"

namespace velloran::testing {

// Form1 on the scripted backend, with a scratch folder.
class HandlerTest : public ::testing::Test {
 protected:
  HandlerTest() : form1_(ui_.GetControls()) {}

  // Runs Form_Load, as the backend does before it shows the window.
  void Load() { ui_.Start(form1_); }

  // The open dialog reports `report`, then the list gets its entries.
  void AddFiles(const std::string& report) {
    ui_.commonDialog1.WillAccept(report);
    ui_.ClickCheck1();
  }

  static std::string Joined(const std::string& folder, const std::string& name) {
    return folder + platform::kPathSeparator + name;
  }

  platform::fake::FakeBackend ui_{kUiDescription};
  Form1 form1_;
  TempDir dir_;
};

}  // namespace velloran::testing
