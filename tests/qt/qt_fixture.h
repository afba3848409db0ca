#pragma once

#include <gtest/gtest.h>

#include <QtTest/QTest>

#include "app/ui_description.h"
#include "platform/gui/qt/qt_backend.h"
#include "tests/qt/recording_events.h"

namespace velloran::platform::qt {

// A fresh backend per test, its events going to RecordingEvents.
class QtBackendTest : public ::testing::Test {
 protected:
  QtBackendTest() : backend_(argc_, nullptr, kUiDescription) { backend_.Attach(events_); }

  void ShowForm() {
    form().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form()));
    form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
  }

  FormWidget& form() { return backend_.Form(); }
  Controls controls() { return backend_.GetControls(); }

  static inline int argc_ = 0;
  RecordingEvents events_;
  QtBackend backend_;
};

}  // namespace velloran::platform::qt
