#include "ui/ErrorReports.h"
#include "support/TestEnv.h"

#include <stdexcept>

class ErrorReportsTest : public AppTest {};

// What the layers below kept for showing reaches the operator once, before the window goes on,
// also when the call breaks; a report only logged is not shown.
TEST_F(ErrorReportsTest, TheWindowShowsWhatItsCallKeptForShowing) {
  const int answer = WithErrorReports([] {
    LogError(QStringLiteral("quiet"), QStringLiteral("1"), QStringLiteral("only logged"));
    LogErrorToShow(QStringLiteral("PostToMaster"), QStringLiteral("2"), QStringLiteral("disk full"));
    return 7;
  });
  EXPECT_EQ(answer, 7);
  QStringList boxes = dialogs_->texts(QStringLiteral("messageBox"));
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_EQ(boxes[0], ErrorReportText(QStringLiteral("PostToMaster"), QStringLiteral("2"), QStringLiteral("disk full")));
  EXPECT_EQ(dialogs_->beeps, 1);

  dialogs_->clear();
  EXPECT_THROW(WithErrorReports([] {
                 LogErrorToShow(QStringLiteral("InsertCard"), QStringLiteral("3"), QStringLiteral("locked"));
                 throw std::runtime_error("broken");
               }),
               std::runtime_error);
  boxes = dialogs_->texts(QStringLiteral("messageBox"));
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("處理程序: (InsertCard)")));

  // Shown once: a later call does not show them again.
  dialogs_->clear();
  WithErrorReports([] {});
  EXPECT_TRUE(dialogs_->shown.empty());
}
