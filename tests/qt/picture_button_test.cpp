#include <gtest/gtest.h>

#include <QtWidgets/QMessageBox>
#include <stdexcept>

#include "tests/qt/modal_driver.h"
#include "tests/qt/qt_fixture.h"

namespace velloran::platform::qt {
namespace {

// Check1's handler as the program writes it: acts only on Value 1, first
// setting Value back to 0, which raises the click again, nested.
class PictureButtonTest : public QtBackendTest {
 protected:
  PictureButtonTest() {
    events_.actions["Check1_Click"] = [this] {
      values_seen_.push_back(controls().check1.Value());
      if (controls().check1.Value() != 1) return;
      controls().check1.SetValue(0);
      ++actions_;
      if (fail_action_) throw std::runtime_error("Cannot read \"/x\": gone");
    };
  }
  std::vector<int> values_seen_;
  int actions_ = 0;
  bool fail_action_ = false;
};

TEST_F(PictureButtonTest, AClickActsOnceThroughTheNestedClickAndLeavesTheButtonRaised) {
  ShowForm();
  QTest::mouseClick(&form().check1(), Qt::LeftButton);
  EXPECT_EQ(values_seen_, (std::vector<int>{1, 0}));
  EXPECT_EQ(actions_, 1);
  EXPECT_EQ(controls().check1.Value(), 0);
  EXPECT_FALSE(form().check1().isChecked());

  // The space bar on the focused button is a click as well.
  form().check1().setFocus();
  QTest::keyClick(&form().check1(), Qt::Key_Space);
  EXPECT_EQ(actions_, 2);
  EXPECT_EQ(controls().check1.Value(), 0);
}

TEST_F(PictureButtonTest, SettingValueRaisesTheClickOnlyWhenItChanges) {
  controls().check1.SetValue(0);
  EXPECT_TRUE(values_seen_.empty());
  controls().check1.SetValue(1);
  EXPECT_EQ(values_seen_, (std::vector<int>{1, 0}));
  EXPECT_EQ(actions_, 1);
  EXPECT_TRUE(events_.calls.end() ==
              std::find(events_.calls.begin(), events_.calls.end(), "Check2_Click"));
}

TEST_F(PictureButtonTest, AnErrorInAHandlerIsShownAndTheProgramGoesOn) {
  ShowForm();
  fail_action_ = true;
  ModalDriver user;
  QString shown;
  user.Then([&shown](QWidget& modal) {
    auto& box = dynamic_cast<QMessageBox&>(modal);
    shown = box.text();
    box.button(QMessageBox::Ok)->click();
  });
  QTest::mouseClick(&form().check1(), Qt::LeftButton);
  EXPECT_TRUE(user.AllStepsRan());
  EXPECT_EQ(shown, QStringLiteral("Cannot read \"/x\": gone"));

  fail_action_ = false;
  QTest::mouseClick(&form().check1(), Qt::LeftButton);
  EXPECT_EQ(actions_, 2);
  EXPECT_EQ(controls().check1.Value(), 0);
}

}  // namespace
}  // namespace velloran::platform::qt
