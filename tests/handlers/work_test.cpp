// The run's reading and writing as work off the user-interface thread: what
// it reports, a stop at any point of it, the window closed meanwhile, and the
// window taking no clicks while it runs.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/mouse_pointer.h"
#include "tests/handlers/handler_fixture.h"

namespace velloran::testing {
namespace {

using Messages = std::vector<std::string>;
using Reported = platform::fake::FakeRuntime::Reported;
using platform::WorkStep;

constexpr std::string_view kFirst = "a\nb\na\n";
constexpr std::string_view kFirstClean = "a\r\nb\r\n";
constexpr std::string_view kSecond = "x\r\nx\r\ny\r\n";
constexpr std::string_view kSecondClean = "x\r\ny\r\n";

// Two listed files with repeats, in a folder of their own: the user saves the
// first to a new file and the second over itself.
class TwoFileRun {
 public:
  TwoFileRun() {
    WriteBytes(first, kFirst);
    WriteBytes(second, kSecond);
    ui.Start(form1);
    ui.list1.AddItem(first);
    ui.list1.AddItem(second);
    ui.commonDialog1.WillAccept(first_out);
    ui.commonDialog1.WillAccept(second);
  }

  // Runs the remove button; `user` acts at every report of the work.
  void Run(const std::function<void(const Reported&)>& user = nullptr) {
    ui.runtime.WhileWorking(user);
    ui.ClickCheck2();
  }

  // How many files the run wrote, as its closing message names them; fails
  // the test when a message is not one the run may show.
  int FilesCreated() const {
    const Messages& shown = ui.runtime.Messages();
    if (shown.empty()) return 0;
    EXPECT_EQ(shown.size(), 1u);
    if (shown[0] == "File(s) created: \r\r" + first_out) return 1;
    EXPECT_EQ(shown[0], "File(s) created: \r\r" + first_out + "\r\r" + second);
    return 2;
  }

  // Each target either untouched or completely written, as the closing
  // message tells, and nothing else in the folder.
  void ExpectWholeOrUntouched() const {
    const int created = FilesCreated();
    EXPECT_EQ(ReadBytes(first), kFirst);
    if (created >= 1) {
      EXPECT_EQ(ReadBytes(first_out), kFirstClean);
    }
    EXPECT_EQ(ReadBytes(second), created == 2 ? kSecondClean : kSecond);
    EXPECT_EQ(ListFolder(dir.path()),
              created == 0 ? "first.txt second.txt" : "first-out.txt first.txt second.txt");
    EXPECT_EQ(ui.check2.Value(), 0);
    EXPECT_NE(ui.form.MousePointer(), platform::kPointerHourglass);
  }

  TempDir dir;
  platform::fake::FakeBackend ui{kUiDescription};
  Form1 form1{ui.GetControls()};
  const std::string first = dir.File("first.txt");
  const std::string second = dir.File("second.txt");
  const std::string first_out = dir.File("first-out.txt");
};

TEST(WorkTest, EachFileIsReadThenWrittenAsWorkReportedInItsBytes) {
  TwoFileRun run;
  run.Run();
  EXPECT_EQ(run.FilesCreated(), 2);

  const std::vector<Reported>& reports = run.ui.runtime.Reports();
  ASSERT_FALSE(reports.empty());
  std::size_t index = 0;
  for (const std::string& file : {run.first, run.second}) {
    const std::uint64_t source_size = file == run.first ? kFirst.size() : kSecond.size();
    WorkStep last_step = WorkStep::kReading;
    ASSERT_LT(index, reports.size());
    for (; index < reports.size() && reports[index].subject == file; ++index) {
      const platform::WorkReport& report = reports[index].report;
      EXPECT_GE(report.step, last_step) << "steps out of order at report " << index;
      last_step = report.step;
      if (report.total != 0) {
        EXPECT_EQ(report.total, source_size);
      }
      EXPECT_LE(report.done, report.total);
    }
    const platform::WorkReport& end = reports[index - 1].report;
    EXPECT_EQ(end.step, WorkStep::kWriting);
    EXPECT_EQ(end.done, source_size);
  }
  EXPECT_EQ(index, reports.size());
}

// The stop comes at each report in turn: in the reading, the removal of
// repeats, the writing, and at the writing's last report, when the output is
// already in place.
TEST(WorkTest, AStopAtAnyPointLeavesEachTargetWholeOrUntouched) {
  std::size_t report_count = 0;
  {
    TwoFileRun whole;
    whole.Run();
    report_count = whole.ui.runtime.Reports().size();
  }
  std::vector<int> created_per_stop;
  for (std::size_t stop_at = 0; stop_at < report_count; ++stop_at) {
    SCOPED_TRACE("stop at report " + std::to_string(stop_at));
    TwoFileRun run;
    run.Run([&run, stop_at](const Reported&) {
      if (run.ui.runtime.Reports().size() == stop_at + 1) run.ui.runtime.PressCancel();
    });
    run.ExpectWholeOrUntouched();
    EXPECT_EQ(run.ui.runtime.Reports().size(), stop_at + 1) << "work went on after the stop";
    created_per_stop.push_back(run.FilesCreated());
  }
  // Nothing is written before the first file's last report; the first file
  // is complete from there on; the second only at the very last report.
  ASSERT_GE(created_per_stop.size(), 4u);
  EXPECT_EQ(created_per_stop.front(), 0);
  EXPECT_EQ(created_per_stop.back(), 2);
  EXPECT_EQ(std::count(created_per_stop.begin(), created_per_stop.end(), 2), 1);
  EXPECT_GE(std::count(created_per_stop.begin(), created_per_stop.end(), 1), 2);
}

TEST(WorkTest, AStopWithNoFileWrittenYetShowsNoMessage) {
  TwoFileRun run;
  run.Run([&run](const Reported& reported) {
    if (reported.report.step == WorkStep::kWriting) run.ui.runtime.PressCancel();
  });
  EXPECT_TRUE(run.ui.runtime.Messages().empty());
  run.ExpectWholeOrUntouched();
  EXPECT_EQ(run.ui.commonDialog1.Showings().size(), 1u);  // the second file was never reached
}

// The work stops as a cancel would stop it, and the program ends right
// there: the file written before stays, but no closing message follows.
TEST(WorkTest, ClosingTheWindowStopsTheWorkAndEndsTheProgramAtOnce) {
  TwoFileRun run;
  bool ended_during_work = false;
  run.Run([&run, &ended_during_work](const Reported& reported) {
    if (reported.subject == run.second) run.ui.CloseWindow();
    ended_during_work = ended_during_work || run.ui.runtime.HasEnded();
  });
  EXPECT_FALSE(ended_during_work) << "the program ended before the work had stopped";
  EXPECT_TRUE(run.ui.runtime.HasEnded());
  EXPECT_TRUE(run.ui.runtime.Messages().empty());
  EXPECT_EQ(run.ui.commonDialog1.Showings().size(), 1u);  // the first file's save dialog only
  EXPECT_EQ(ReadBytes(run.first_out), kFirstClean);
  EXPECT_EQ(ReadBytes(run.second), kSecond);
  EXPECT_EQ(ListFolder(run.dir.path()), "first-out.txt first.txt second.txt");
}

TEST(WorkTest, ClosingTheWindowBeforeAnyOutputEndsWithoutAMessage) {
  TwoFileRun run;
  run.Run([&run](const Reported& reported) {
    if (reported.report.step == WorkStep::kRemoving) run.ui.CloseWindow();
  });
  EXPECT_TRUE(run.ui.runtime.Messages().empty());
  EXPECT_TRUE(run.ui.runtime.HasEnded());
  EXPECT_TRUE(run.ui.commonDialog1.Showings().empty());
  run.ExpectWholeOrUntouched();
}

TEST(WorkTest, TheWindowTakesNoClicksWhileWorkRuns) {
  TwoFileRun run;
  run.ui.commonDialog1.WillAccept(run.dir.File("picked.txt"));  // for an open dialog, if one came
  run.ui.MoveMouseOverCheck2();
  run.Run([&run](const Reported&) {
    run.ui.ClickCheck1();
    run.ui.ClickCheck2();
    run.ui.list1.Select(0);
    run.ui.DoubleClickList();
    run.ui.MoveMouseOverList();
    run.ui.MoveMouseOverBackground();
  });
  EXPECT_EQ(run.FilesCreated(), 2);
  EXPECT_EQ(run.ui.list1.Entries(), (std::vector<std::string>{run.first, run.second}));
  for (const auto& showing : run.ui.commonDialog1.Showings()) {
    EXPECT_EQ(showing.kind, platform::fake::FakeCommonDialog::Kind::kSave);
  }
  EXPECT_EQ(run.ui.commonDialog1.Showings().size(), 2u);
  EXPECT_EQ(run.ui.check1.Value(), 0);
  EXPECT_EQ(run.ui.check2.Value(), 0);
  // The busy pointer stayed while the work ran: no mouse move reset it.
  EXPECT_EQ(run.ui.form.PointerHistory(), "99 11 99 11 99 11 99 11 99");
}

}  // namespace
}  // namespace velloran::testing
