#include <gtest/gtest.h>

#include <QtGui/QFontMetrics>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QStyle>

#include "platform/error.h"
#include "tests/qt/qt_fixture.h"

namespace velloran::platform::qt {
namespace {

using ListTest = QtBackendTest;

TEST_F(ListTest, HorizontalExtentScrollsExactlyThatManyPixels) {
  ShowForm();
  HorizontalListWidget& list = form().list1();
  // The entry is far wider than the list, but the extent alone decides.
  controls().list1.AddItem(std::string(200, 'W'));
  QTest::qWait(50);
  EXPECT_FALSE(list.horizontalScrollBar()->isVisible());

  controls().list1.SetHorizontalExtent(600);
  QTest::qWait(50);
  const int visible_width = list.viewport()->width();
  ASSERT_TRUE(list.horizontalScrollBar()->isVisible());
  EXPECT_EQ(list.horizontalScrollBar()->maximum(), 600 - visible_width);
  list.horizontalScrollBar()->setValue(list.horizontalScrollBar()->maximum());
  // Scrolled to the end, the right edge of the view shows pixel 600.
  EXPECT_EQ(list.visualItemRect(list.item(0)).left() + 600, visible_width);

  controls().list1.SetHorizontalExtent(visible_width);
  QTest::qWait(50);
  EXPECT_EQ(list.horizontalScrollBar()->maximum(), 0);
  EXPECT_FALSE(list.horizontalScrollBar()->isVisible());
  EXPECT_EQ(list.visualItemRect(list.item(0)).left(), 0);
}

TEST_F(ListTest, EntriesKeepTheirOrderAndRemovalMovesTheRestUp) {
  ShowForm();
  ListBox& list = controls().list1;
  for (const char* entry : {"/b/z.txt", "/a/y.txt", "/c/x.txt", "/a/y.txt"}) list.AddItem(entry);
  EXPECT_EQ(list.ListCount(), 4);
  EXPECT_EQ(list.ListIndex(), -1);
  EXPECT_EQ(list.List(0), "/b/z.txt");

  QListWidget& widget = form().list1();
  QTest::mouseClick(widget.viewport(), Qt::LeftButton, {},
                    widget.visualItemRect(widget.item(1)).center());
  EXPECT_EQ(list.ListIndex(), 1);
  list.RemoveItem(1);
  EXPECT_EQ(list.ListCount(), 3);
  EXPECT_EQ(list.List(1), "/c/x.txt");
  EXPECT_EQ(list.List(2), "/a/y.txt");
  EXPECT_EQ(list.ListIndex(), -1);
  EXPECT_THROW(list.RemoveItem(-1), Error);
  EXPECT_THROW(list.List(3), Error);
}

TEST_F(ListTest, DoubleClickOnAnEntryOrBelowTheEntriesRaisesDblClick) {
  ShowForm();
  controls().list1.AddItem("/tmp/one.txt");
  QListWidget& widget = form().list1();
  QTest::mouseDClick(widget.viewport(), Qt::LeftButton, {},
                     widget.visualItemRect(widget.item(0)).center());
  EXPECT_EQ(controls().list1.ListIndex(), 0);
  QTest::mouseDClick(widget.viewport(), Qt::LeftButton, {}, QPoint(20, 120));
  EXPECT_EQ(std::count(events_.calls.begin(), events_.calls.end(), "List1_DblClick"), 2);
}

TEST_F(ListTest, MeasureTextUsesTheWindowFontAndTheMnemonicRules) {
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

TEST_F(ListTest, RuntimeReportsTheWholeScreenInTwipsAndTheScrollBarWidth) {
  Runtime& runtime = controls().runtime;
  const QRect screen = form().screen()->geometry();
  EXPECT_FLOAT_EQ(runtime.ScreenWidth(), static_cast<float>(screen.width()) * 15.0f);
  EXPECT_FLOAT_EQ(runtime.ScreenHeight(), static_cast<float>(screen.height()) * 15.0f);
  ShowForm();
  controls().list1.AddItem("x");
  form().list1().setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QTest::qWait(50);
  EXPECT_EQ(runtime.VerticalScrollBarWidth(), form().list1().verticalScrollBar()->width());
  EXPECT_EQ(runtime.AppPath(), QCoreApplication::applicationDirPath().toStdString());
}

}  // namespace
}  // namespace velloran::platform::qt
