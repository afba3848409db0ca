#include <gtest/gtest.h>

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtWidgets/QCheckBox>

#include "app/texts.h"
#include "platform/gui/qt/file_dialog_format.h"
#include "tests/qt/qt_fixture.h"
#include "tests/qt/user_steps.h"

namespace velloran::platform::qt {
namespace {

using namespace std::string_literals;

constexpr std::uint32_t kAddFileFlags =
    kOfnReadOnly | kOfnAllowMultiselect | kOfnExplorer | kOfnLongNames;

TEST(FileDialogFormatTest, FilterPatternsAndReports) {
  EXPECT_EQ(NameFiltersFromFilter("All Files (*.*)|*.*|"),
            QStringList{QStringLiteral("All Files (*.*) (*)")});
  EXPECT_EQ(NameFiltersFromFilter("Text|*.txt; *.log|Everything|*.*"),
            (QStringList{QStringLiteral("Text (*.txt *.log)"), QStringLiteral("Everything (*)")}));
  EXPECT_TRUE(NameFiltersFromFilter("").isEmpty());

  EXPECT_EQ(ExplorerReport(QStringLiteral("/d/work"), {QStringLiteral("/d/work/m1.txt")}),
            "/d/work/m1.txt");
  EXPECT_EQ(ExplorerReport(QStringLiteral("/d/work/"),
                           {QStringLiteral("/d/work/m2.txt"), QStringLiteral("/d/work/m1.txt")}),
            "/d/work\0m2.txt\0m1.txt"s);
  EXPECT_EQ(ExplorerReport(QStringLiteral("/"), {QStringLiteral("/a"), QStringLiteral("/b")}),
            "/\0a\0b"s);

  // Only the report's first part, the folder, counts as a starting place.
  const QTemporaryDir dir;
  const StartingPlace in_folder = StartingPlaceFromFileName(dir.path().toStdString() + "\0a\0b"s);
  EXPECT_EQ(in_folder.folder, dir.path());
  EXPECT_TRUE(in_folder.file_name.isEmpty());
  const StartingPlace at_file = StartingPlaceFromFileName("/no/such/place.txt");
  EXPECT_EQ(at_file.folder, QStringLiteral("/no/such"));
  EXPECT_EQ(at_file.file_name, QStringLiteral("place.txt"));
}

class CommonDialogTest : public QtBackendTest {
 protected:
  void SetUp() override {
    ShowForm();
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
      QFile file(QDir(dir_.path()).filePath(QString::fromLatin1(name)));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write("x\r\n");
    }
  }
  CommonDialog& dialog() { return controls().commonDialog1; }
  std::string InDir(const char* name) const {
    return QDir(dir_.path()).filePath(name).toStdString();
  }

  QTemporaryDir dir_;
  ModalDriver user_;
};

TEST_F(CommonDialogTest, OpenReportsSeveralPicksAsFolderAndNamesInTheirOrder) {
  dialog().SetFlags(kAddFileFlags);
  dialog().SetDialogTitle("Add File(s) - Hold Ctrl to select multiple files");
  dialog().SetFilter("All Files (*.*)|*.*|");
  dialog().SetFileName(dir_.path().toStdString());
  FileDialogSeen seen;
  user_.Then(TypeAndConfirm(QStringLiteral("\"c.txt\" \"a.txt\""), &seen));

  ASSERT_TRUE(dialog().ShowOpen());
  EXPECT_EQ(dialog().FileName(), dir_.path().toStdString() + "\0c.txt\0a.txt"s);
  EXPECT_EQ(seen.title, QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"));
  EXPECT_EQ(seen.folder, dir_.path());
  EXPECT_EQ(seen.filter, QStringLiteral("All Files (*.*)"));
  EXPECT_TRUE(seen.read_only_box);
  EXPECT_TRUE(seen.read_only_ticked);
  EXPECT_TRUE(seen.several_allowed);
  EXPECT_EQ(seen.mode, QFileDialog::AcceptOpen);
}

TEST_F(CommonDialogTest, OpenTakesATypedNameOfAMissingFileAndStartsAtTheLastReport) {
  dialog().SetFlags(kAddFileFlags);
  dialog().SetFileName(InDir("a.txt"));
  FileDialogSeen seen;
  user_.Then(TypeAndConfirm(QStringLiteral("missing.txt"), &seen));
  ASSERT_TRUE(dialog().ShowOpen());
  EXPECT_EQ(dialog().FileName(), InDir("missing.txt"));
  EXPECT_EQ(seen.folder, dir_.path());
  EXPECT_EQ(seen.file_name, QStringLiteral("a.txt"));
}

// Whatever folder the dialog opens in (the current one; the folder of the
// previous pick, with that file chosen, as on the second showing of a
// session; or another folder), it takes a typed full path, a bare name,
// several quoted names and the name of a missing file, each typed key by key
// and confirmed with one Enter.
TEST_F(CommonDialogTest, OpenTakesWhatIsTypedWhereverItOpens) {
  const QTemporaryDir elsewhere;
  const std::string several = dir_.path().toStdString() + "\0c.txt\0a.txt"s;
  struct Case {
    QString typed;
    std::string report;
  };
  const std::vector<Case> cases = {
      {QString::fromStdString(InDir("b.txt")), InDir("b.txt")},
      {QStringLiteral("b.txt"), InDir("b.txt")},
      {QStringLiteral("\"c.txt\" \"a.txt\""), several},
      {QStringLiteral("missing.txt"), InDir("missing.txt")},
      {QString::fromStdString(InDir("missing.txt")), InDir("missing.txt")},
  };
  for (const std::string& start : {std::string(), InDir("a.txt"), dir_.path().toStdString(),
                                   elsewhere.path().toStdString() + "/x.txt"}) {
    for (const Case& typed : cases) {
      // Typed names are taken in the folder the dialog shows.
      const bool relative = !typed.typed.startsWith(u'/');
      if (relative && start.rfind(dir_.path().toStdString(), 0) != 0) continue;
      dialog().SetFlags(kAddFileFlags);
      dialog().SetFileName(start);
      user_.Then(TypeKeysAndConfirm(typed.typed));
      EXPECT_TRUE(dialog().ShowOpen()) << start << " + " << typed.typed.toStdString();
      EXPECT_EQ(dialog().FileName(), typed.report) << start << " + " << typed.typed.toStdString();
    }
  }
}

TEST_F(CommonDialogTest, CancelledDialogsLeaveFileNameAsItWas) {
  dialog().SetFlags(0);
  dialog().SetFileName(InDir("b.txt"));
  FileDialogSeen open_seen;
  user_.Then(Cancel(&open_seen));
  user_.Then(Cancel());
  EXPECT_FALSE(dialog().ShowOpen());
  EXPECT_FALSE(dialog().ShowSave());
  EXPECT_TRUE(user_.AllStepsRan());
  EXPECT_EQ(dialog().FileName(), InDir("b.txt"));
  EXPECT_FALSE(open_seen.read_only_ticked);
  EXPECT_FALSE(open_seen.several_allowed);
}

TEST_F(CommonDialogTest, OpenWritesTheReadOnlyBoxBackIntoFlags) {
  dialog().SetFileName(dir_.path().toStdString());
  for (const bool tick : {false, true}) {
    dialog().SetFlags(tick ? kOfnExplorer : kOfnReadOnly | kOfnExplorer);
    user_.Then([tick](QWidget& modal) {
      auto* box = modal.findChild<QCheckBox*>(QStringLiteral("readOnlyCheckBox"));
      // Labelled from the window's description.
      EXPECT_EQ(box->text(),
                QString::fromUtf8(texts::kOpenReadOnly.data(),
                                  static_cast<qsizetype>(texts::kOpenReadOnly.size())));
      box->setChecked(tick);
      TypeAndConfirm(QStringLiteral("a.txt"))(modal);
    });
    ASSERT_TRUE(dialog().ShowOpen());
    EXPECT_EQ(dialog().Flags(), tick ? kOfnReadOnly | kOfnExplorer : kOfnExplorer);
  }
  // A cancel writes nothing back.
  user_.Then([](QWidget& modal) {
    modal.findChild<QCheckBox*>(QStringLiteral("readOnlyCheckBox"))->setChecked(false);
    Cancel()(modal);
  });
  EXPECT_FALSE(dialog().ShowOpen());
  EXPECT_EQ(dialog().Flags(), kOfnReadOnly | kOfnExplorer);
}

TEST_F(CommonDialogTest, SaveStartsAtThePresetNameAndAsksBeforeReplacing) {
  dialog().SetFlags(kAddFileFlags);
  dialog().SetFilter("All Files (*.*)|*.*|");
  dialog().SetDialogTitle("Save " + InDir("a.txt") + " As");
  dialog().SetFileName(InDir("a.txt"));
  FileDialogSeen seen;
  MessageSeen replace_question;
  user_.Then(TypeAndConfirm(QStringLiteral("b.txt"), &seen));
  user_.Then(Answer(&replace_question, QMessageBox::No));
  user_.Then(TypeAndConfirm(QStringLiteral("new.txt")));

  ASSERT_TRUE(dialog().ShowSave());
  EXPECT_EQ(dialog().FileName(), InDir("new.txt"));
  EXPECT_EQ(seen.title, QString::fromStdString("Save " + InDir("a.txt") + " As"));
  EXPECT_EQ(seen.folder, dir_.path());
  EXPECT_EQ(seen.file_name, QStringLiteral("a.txt"));
  EXPECT_EQ(seen.filter, QStringLiteral("All Files (*.*)"));
  EXPECT_EQ(seen.mode, QFileDialog::AcceptSave);
  EXPECT_TRUE(replace_question.text.contains(QStringLiteral("b.txt")));
  EXPECT_FALSE(
      QFile::exists(QString::fromStdString(InDir("new.txt"))));  // the dialog writes nothing
}

}  // namespace
}  // namespace velloran::platform::qt
