#include <gtest/gtest.h>

#include <QtWidgets/QScrollBar>

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
  try {
    list.List(3);
    ADD_FAILURE() << "read entry 3";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find("entry 3"), std::string::npos) << error.what();
  }
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

}  // namespace
}  // namespace velloran::platform::qt
