#include <gtest/gtest.h>

#include <QtGui/QFontMetrics>
#include <QtTest/QTest>

#include "tests/qt/qt_fixture.h"

namespace velloran::platform::qt {
namespace {

using WindowTest = QtBackendTest;

TEST_F(WindowTest, IsAFixedWhiteDialogWithCloseButtonOnly) {
  EXPECT_EQ(form().size(), QSize(419, 156));
  EXPECT_EQ(form().minimumSize(), form().maximumSize());
  const Qt::WindowFlags flags = form().windowFlags();
  EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(form().palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_TRUE(form().autoFillBackground());
  EXPECT_FALSE(form().windowIcon().pixmap(32, 32).isNull());

  controls().form.SetCaption("Velloran");
  EXPECT_EQ(form().windowTitle(), QStringLiteral("Velloran"));
  EXPECT_EQ(controls().form.Caption(), "Velloran");
}

TEST_F(WindowTest, ControlsSitAtTheirPixelPlacesWithTheirFonts) {
  EXPECT_EQ(form().list1().geometry(), QRect(8, 8, 265, 139));
  EXPECT_EQ(form().check1().geometry(), QRect(280, 8, 129, 65));
  EXPECT_EQ(form().check2().geometry(), QRect(280, 80, 129, 65));
  // Command1 lies wholly below the client area.
  EXPECT_EQ(form().command1().geometry(), QRect(48, 176, 41, 33));
  EXPECT_GE(form().command1().y(), form().height());
  EXPECT_EQ(form().command1().text(), QStringLiteral("Command1"));

  EXPECT_EQ(form().list1().toolTip(), QStringLiteral("Double click list item to remove it."));
  EXPECT_EQ(form().list1().selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_FALSE(form().list1().isSortingEnabled());
  EXPECT_EQ(controls().list1.GetFont(), (Font{"Arial", false, 9.0}));
  for (QPushButton* button : {&form().check1(), &form().check2()}) {
    EXPECT_EQ(button->font().family(), QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(button->font().pointSizeF(), 11.25);
    EXPECT_TRUE(button->font().bold());
    EXPECT_TRUE(button->isCheckable());
    EXPECT_TRUE(button->text().isEmpty());
    EXPECT_EQ(button->palette().color(QPalette::Button), QColor(Qt::white));
  }
  EXPECT_EQ(form().check1().iconSize(), QSize(106, 66));
  EXPECT_EQ(form().check2().iconSize(), QSize(130, 59));
}

TEST_F(WindowTest, Command1HoldsTheFocusAndTabFollowsTheTabOrder) {
  ShowForm();
  ASSERT_EQ(QApplication::focusWidget(), &form().command1());
  // Space and Enter on the unseen button do nothing.
  QTest::keyClick(&form().command1(), Qt::Key_Space);
  QTest::keyClick(&form().command1(), Qt::Key_Return);
  EXPECT_TRUE(events_.calls.empty());

  const std::vector<QWidget*> order = {&form().list1(), &form().check1(), &form().check2(),
                                       &form().command1()};
  for (QWidget* expected : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), expected) << expected->objectName().toStdString();
  }
}

TEST_F(WindowTest, GeometryIsTheOuterFrameInTwips) {
  Window& window = controls().form;
  window.SetLeft(-150.0f);
  window.SetTop(3000.0f);
  ShowForm();
  EXPECT_FLOAT_EQ(window.Left(), -150.0f);
  EXPECT_FLOAT_EQ(window.Top(), 3000.0f);
  EXPECT_EQ(form().frameGeometry().topLeft(), QPoint(-10, 200));
  EXPECT_FLOAT_EQ(window.Width(), static_cast<float>(form().frameGeometry().width()) * 15.0f);
  EXPECT_FLOAT_EQ(window.Height(), static_cast<float>(form().frameGeometry().height()) * 15.0f);
  EXPECT_GE(window.Width(), 6285.0f);
  EXPECT_GE(window.Height(), 2340.0f);
}

TEST_F(WindowTest, MouseMovesReachTheHandlerOfTheControlUnderThePointer) {
  ShowForm();
  QTest::mouseMove(form().list1().viewport(), QPoint(20, 20));
  QTest::mouseMove(&form().check1(), QPoint(10, 10));
  QTest::mouseMove(&form().check2(), QPoint(10, 10));
  QTest::mouseMove(&form(), QPoint(276, 150));  // between the list and the buttons
  EXPECT_EQ(events_.calls, (std::vector<std::string>{"List1_MouseMove", "Check1_MouseMove",
                                                     "Check2_MouseMove", "Form_MouseMove"}));
}

TEST_F(WindowTest, MeasureTextUsesTheWindowFontAndTheMnemonicRules) {
  Window& window = controls().form;
  window.SetFontName("Arial");
  window.SetFontBold(true);
  window.SetFontSize(9);
  EXPECT_EQ(window.GetFont(), (Font{"Arial", true, 9.0}));
  // The controls keep their own fonts.
  EXPECT_EQ(controls().list1.GetFont(), (Font{"Arial", false, 9.0}));

  QFont arial(QStringLiteral("Arial"));
  arial.setPointSizeF(9);
  arial.setBold(true);
  const QFontMetrics metrics(arial, &form());
  const int amp_path = metrics.horizontalAdvance(QStringLiteral("/tmp/a&b.txt"));
  EXPECT_EQ(window.MeasureText("/tmp/a&b.txt"),
            metrics.horizontalAdvance(QStringLiteral("/tmp/ab.txt")));
  EXPECT_EQ(window.MeasureText("/tmp/a&&b.txt"), amp_path);
  EXPECT_EQ(window.MeasureText("short\rthe longest line\r\nmid"),
            metrics.horizontalAdvance(QStringLiteral("the longest line")));
  EXPECT_EQ(window.MeasureText(""), 0);

  window.SetFontBold(false);
  EXPECT_LT(window.MeasureText("/tmp/a&&b.txt"), amp_path);
}

}  // namespace
}  // namespace velloran::platform::qt
