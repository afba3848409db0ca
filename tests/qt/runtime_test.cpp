#include <gtest/gtest.h>

#include <QtCore/QFileInfo>
#include <QtCore/QTimer>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QScrollBar>

#include "platform/gui/qt/qt_runtime.h"
#include "tests/qt/modal_driver.h"
#include "tests/qt/qt_fixture.h"

namespace velloran::platform::qt {
namespace {

struct ShownMessage {
  QString title;
  QString text;
  QMessageBox::StandardButtons buttons;
  QMessageBox::Icon icon = QMessageBox::Warning;
  Qt::TextFormat format = Qt::AutoText;
  QWidget* parent = nullptr;
};

ModalDriver::Step ReadAndConfirm(ShownMessage& shown) {
  return [&shown](QWidget& modal) {
    auto& box = dynamic_cast<QMessageBox&>(modal);
    shown = {box.windowTitle(), box.text(),       box.standardButtons(),
             box.icon(),        box.textFormat(), box.parentWidget()};
    box.button(QMessageBox::Ok)->click();
  };
}

using RuntimeTest = QtBackendTest;

TEST_F(RuntimeTest, MessageBoxShowsEachCarriageReturnAsALineBreak) {
  ShowForm();
  ModalDriver user;
  ShownMessage shown;
  user.Then(ReadAndConfirm(shown));
  controls().runtime.MsgBox("File(s) created: \r\r/tmp/a <b>.txt\r\r/tmp/c.txt\r\nend");
  ASSERT_TRUE(user.AllStepsRan());
  EXPECT_EQ(shown.title, QStringLiteral("Velloran"));
  EXPECT_EQ(shown.text, QStringLiteral("File(s) created: \n\n/tmp/a <b>.txt\n\n/tmp/c.txt\nend"));
  EXPECT_EQ(shown.buttons, QMessageBox::Ok);
  EXPECT_EQ(shown.icon, QMessageBox::NoIcon);
  EXPECT_EQ(shown.format, Qt::PlainText);
  EXPECT_EQ(shown.parent, &form());
}

TEST_F(RuntimeTest, MessageBoxLiftsTheBusyPointerWhileItWaits) {
  controls().form.SetMousePointer(11);
  ModalDriver user;
  bool busy_while_shown = true;
  user.Then([&busy_while_shown](QWidget& modal) {
    busy_while_shown = QApplication::overrideCursor() != nullptr;
    dynamic_cast<QMessageBox&>(modal).accept();
  });
  controls().runtime.MsgBox("No duplicates found in /tmp/a.txt");
  EXPECT_FALSE(busy_while_shown);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  controls().form.SetMousePointer(1);
}

TEST_F(RuntimeTest, ClosingTheWindowUnloadsAndEndEndsRun) {
  events_.actions["Form_Unload"] = [this] { controls().runtime.End(); };
  events_.actions["Form_Load"] = [this] { QTimer::singleShot(0, &form(), &QWidget::close); };
  EXPECT_EQ(backend_.Run(events_), 0);
  EXPECT_EQ(events_.calls, (std::vector<std::string>{"Form_Load", "Form_Unload"}));
  EXPECT_FALSE(form().isVisible());

  // Nothing reaches the handlers any more.
  QTest::mouseClick(&form().check1(), Qt::LeftButton);
  form().close();
  EXPECT_EQ(events_.calls.size(), 2u);
}

TEST_F(RuntimeTest, ACancelledUnloadKeepsTheWindowOpen) {
  ShowForm();
  events_.cancel_unload = 1;
  EXPECT_FALSE(form().close());
  EXPECT_TRUE(form().isVisible());
  events_.cancel_unload = 0;
  EXPECT_TRUE(form().close());
  EXPECT_EQ(events_.calls, (std::vector<std::string>{"Form_Unload", "Form_Unload"}));
}

TEST_F(RuntimeTest, ReportsTheWholeScreenInTwipsAndTheScrollBarWidth) {
  Runtime& runtime = controls().runtime;
  const QRect screen = form().screen()->geometry();
  EXPECT_FLOAT_EQ(runtime.ScreenWidth(), static_cast<float>(screen.width()) * 15.0f);
  EXPECT_FLOAT_EQ(runtime.ScreenHeight(), static_cast<float>(screen.height()) * 15.0f);
  ShowForm();
  controls().list1.AddItem("x");
  form().list1().setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QTest::qWait(50);
  EXPECT_EQ(runtime.VerticalScrollBarWidth(), form().list1().verticalScrollBar()->width());
}

// The build puts every program in one folder.
TEST_F(RuntimeTest, AppPathIsTheFolderOfTheProgram) {
  const QString folder = QString::fromStdString(controls().runtime.AppPath());
  EXPECT_FALSE(folder.endsWith(u'/'));
  EXPECT_EQ(QFileInfo(folder).canonicalFilePath(),
            QFileInfo(QStringLiteral(VELLORAN_PROGRAM_DIR)).canonicalFilePath());
}

}  // namespace
}  // namespace velloran::platform::qt
