#include "app/form1.h"

#include <gtest/gtest.h>

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtGui/QFontMetrics>
#include <QtTest/QTest>
#include <QtWidgets/QStyle>

#include "app/ui_description.h"
#include "platform/gui/qt/qt_backend.h"
#include "tests/qt/user_steps.h"

namespace velloran::platform::qt {
namespace {

// The real program's window on the Qt backend, driven through the real file
// dialogs and message boxes.
class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_.Attach(form1_);
    form().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form()));
  }

  FormWidget& form() { return backend_.Form(); }
  Controls controls() { return backend_.GetControls(); }

  QString InDir(const QString& name) const { return QDir(dir_.path()).filePath(name); }
  void WriteFile(const QString& name, const QByteArray& bytes) {
    QFile file(InDir(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  QByteArray ReadFile(const QString& name) const {
    QFile file(InDir(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }
  std::vector<std::string> Entries() {
    std::vector<std::string> entries;
    for (int i = 0; i < controls().list1.ListCount(); ++i)
      entries.push_back(controls().list1.List(i));
    return entries;
  }

  static inline int argc_ = 0;
  QtBackend backend_{argc_, nullptr, kUiDescription};
  Form1 form1_{backend_.GetControls()};
  QTemporaryDir dir_;
  ModalDriver user_;
};

TEST_F(Form1Test, LoadCentresTheWindowAndTakesThePointerBesideTheProgram) {
  form1_.Form_Load();
  EXPECT_EQ(form().windowTitle(), QStringLiteral("Velloran"));
  const QRect screen = form().screen()->geometry();
  EXPECT_NEAR(form().frameGeometry().center().x(), screen.center().x(), 1);
  EXPECT_NEAR(form().frameGeometry().center().y(), screen.center().y(), 1);

  QTest::mouseMove(form().list1().viewport(), QPoint(30, 30));
  EXPECT_EQ(form().cursor().shape(), Qt::BitmapCursor);  // HAND-M.CUR from the test's folder
  QTest::mouseMove(&form(), QPoint(276, 150));
  EXPECT_EQ(form().cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Form1Test, AddingThreeFilesInOnePickThenDoubleClickRemovesOne) {
  for (const char* name : {"m1.txt", "m2.txt", "m3.txt"}) WriteFile(name, "x\r\n");
  controls().commonDialog1.SetFileName(dir_.path().toStdString());
  FileDialogSeen seen;
  user_.Then(TypeAndConfirm(QStringLiteral("\"m3.txt\" \"m1.txt\" \"m2.txt\""), &seen));
  QTest::mouseClick(&form().check1(), Qt::LeftButton);

  ASSERT_TRUE(user_.AllStepsRan());
  EXPECT_EQ(seen.title, QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"));
  EXPECT_TRUE(seen.read_only_ticked);
  const std::string folder = dir_.path().toStdString();
  EXPECT_EQ(Entries(),
            (std::vector<std::string>{folder + "/m3.txt", folder + "/m1.txt", folder + "/m2.txt"}));
  EXPECT_FALSE(form().check1().isChecked());

  // The extent: the widest entry in the list's font plus a vertical scroll bar.
  const QFontMetrics metrics(form().list1().font(), &form());
  const int extent = metrics.horizontalAdvance(QString::fromStdString(folder + "/m3.txt")) +
                     form().style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &form());
  EXPECT_EQ(form().list1().horizontalExtent(), extent);

  QListWidget& list = form().list1();
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {},
                     list.visualItemRect(list.item(0)).center());
  EXPECT_EQ(Entries(), (std::vector<std::string>{folder + "/m1.txt", folder + "/m2.txt"}));
  EXPECT_EQ(form().list1().horizontalExtent(), extent);
}

TEST_F(Form1Test, RunWritesChosenOutputsAndReportsEveryFile) {
  WriteFile("a.txt", "a\r\nb\r\na\r\nc\r\nb\r\n");
  WriteFile("clean.txt", "x\r\ny\r\n");
  WriteFile("c.txt", "q\r\nq\r\n");
  for (const char* name : {"a.txt", "clean.txt", "c.txt"}) {
    controls().list1.AddItem(InDir(name).toStdString());
  }
  FileDialogSeen first_save;
  MessageSeen no_duplicates;
  MessageSeen created;
  user_.Then(TypeAndConfirm(QStringLiteral("a_out.txt"), &first_save));
  user_.Then(Answer(&no_duplicates));
  user_.Then(TypeAndConfirm(QStringLiteral("c_out.txt")));
  user_.Then(Answer(&created));
  QTest::mouseClick(&form().check2(), Qt::LeftButton);

  ASSERT_TRUE(user_.AllStepsRan());
  EXPECT_EQ(first_save.title, QStringLiteral("Save ") + InDir("a.txt") + QStringLiteral(" As"));
  EXPECT_EQ(first_save.file_name, QStringLiteral("a.txt"));
  EXPECT_EQ(first_save.mode, QFileDialog::AcceptSave);
  EXPECT_EQ(no_duplicates.title, QStringLiteral("Velloran"));
  EXPECT_EQ(no_duplicates.text, QStringLiteral("No duplicates found in ") + InDir("clean.txt"));
  EXPECT_EQ(created.text, QStringLiteral("File(s) created: \n\n") + InDir("a_out.txt") +
                              QStringLiteral("\n\n") + InDir("c_out.txt"));
  EXPECT_EQ(ReadFile("a_out.txt"), QByteArray("a\r\nb\r\nc\r\n"));
  EXPECT_EQ(ReadFile("c_out.txt"), QByteArray("q\r\n"));
  EXPECT_EQ(ReadFile("a.txt"), QByteArray("a\r\nb\r\na\r\nc\r\nb\r\n"));
  EXPECT_EQ(controls().list1.ListCount(), 3);
  EXPECT_FALSE(form().check2().isChecked());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Form1Test, CancelledSaveWritesNothingAndReportsNothing) {
  WriteFile("a.txt", "a\r\na\r\n");
  controls().list1.AddItem(InDir("a.txt").toStdString());
  user_.Then(Cancel());
  QTest::mouseClick(&form().check2(), Qt::LeftButton);
  QTest::qWait(100);  // a closing message would show up here

  EXPECT_TRUE(user_.AllStepsRan());
  EXPECT_EQ(ReadFile("a.txt"), QByteArray("a\r\na\r\n"));
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.txt")});
}

TEST_F(Form1Test, ATypedMissingFileIsAddedAndFailsOnlyInTheRunWithItsName) {
  controls().commonDialog1.SetFileName(dir_.path().toStdString());
  MessageSeen failure;
  user_.Then(TypeAndConfirm(QStringLiteral("missing.txt")));
  QTest::mouseClick(&form().check1(), Qt::LeftButton);
  ASSERT_EQ(Entries(), std::vector<std::string>{InDir("missing.txt").toStdString()});

  user_.Then(Answer(&failure));
  QTest::mouseClick(&form().check2(), Qt::LeftButton);
  EXPECT_TRUE(user_.AllStepsRan());
  EXPECT_EQ(failure.title, QStringLiteral("Velloran"));
  EXPECT_TRUE(failure.text.contains(InDir("missing.txt"))) << failure.text.toStdString();
  EXPECT_EQ(controls().list1.ListCount(), 1);
  EXPECT_FALSE(form().check2().isChecked());
}

}  // namespace
}  // namespace velloran::platform::qt
