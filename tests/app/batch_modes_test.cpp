// The one table of batch forms: which program runs each, the checks of the
// command line and their order, and the forms the window program runs with
// what only it can give.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/shell/application.h"
#include "app/shell/batch_modes.h"
#include "app/shell/command_line.h"
#include "app/shell/process_start.h"

using namespace rix;

namespace {

CommandLine parsed(const std::vector<std::string>& args) {
    CommandLine line;
    EXPECT_TRUE(parse_command_line(args, &line)) << line.error;
    return line;
}

}  // namespace

TEST(BatchModes, TheFrontProgramAnswersOnlyWhatNeedsNoQt) {
    EXPECT_TRUE(answered_without_window(parsed({"--info", "a.txt"})));
    EXPECT_TRUE(answered_without_window(parsed({"--pdf", "o.pdf", "a.txt"})));
    EXPECT_TRUE(answered_without_window(parsed({"--epub", "o.epub", "a.txt"})));
    EXPECT_TRUE(answered_without_window(parsed({"--html", "o.htm", "a.txt"})));
    EXPECT_FALSE(answered_without_window(parsed({"--print", "o.pdf", "a.txt"})));
    EXPECT_FALSE(answered_without_window(parsed({"--save-as", "b.txt", "a.txt"})));
    EXPECT_FALSE(answered_without_window(parsed({"a.txt"})));
    // Each form has its check; the front program's forms run from the table,
    // the others from the window program's runs, one for each.
    const BatchServices window = window_batch_runs(nullptr, {});
    for (const BatchMode& m : batch_modes()) {
        EXPECT_TRUE(m.chosen && m.check) << m.options;
        EXPECT_EQ(m.run != nullptr, m.stage == BatchStage::FRONT) << m.options;
        EXPECT_EQ(window.runs.count(m.options), m.stage == BatchStage::FRONT ? 0u : 1u) << m.options;
    }
}

TEST(BatchModes, ChecksNameWhatIsMissingInTheirOrder) {
    EXPECT_EQ(check_batch_stage(parsed({"--print", "o.pdf"}), BatchStage::WITH_GUI),
              "--print and --preview-snapshot need a document");
    // Both wrong: the sheets' check comes first, as before the table.
    EXPECT_EQ(check_batch_stage(parsed({"--db-pdf", "o.pdf", "--preview-snapshot", "p.png"}), BatchStage::WITH_GUI),
              "--print and --preview-snapshot need a document");
    EXPECT_EQ(check_batch_stage(parsed({"--db-pdf", "o.pdf", "--db-table", "t", "db.ksl"}), BatchStage::WITH_GUI),
              "--db-pdf needs --db-table, --db-row and a database file");
    EXPECT_EQ(check_batch_stage(parsed({"--db-pdf", "o.pdf", "--db-table", "t", "--db-row", "2", "db.ksl"}),
                                BatchStage::WITH_GUI),
              "");
    EXPECT_EQ(check_batch_stage(parsed({"--pdf", "o.pdf", "--html", "o.htm", "a.txt"}), BatchStage::FRONT),
              "--pdf, --epub, --html, --print and --preview-snapshot go one at a time");
    EXPECT_EQ(check_batch_stage(parsed({"--save-as", "b.txt", "--write-out", "c.txt", "a.txt"}),
                                BatchStage::BEFORE_GUI),
              "--save-as and --write-out go one at a time");
    EXPECT_EQ(check_batch_stage(parsed({"--encoding", "utf8", "--write-out", "c.txt", "a.txt"}),
                                BatchStage::BEFORE_GUI),
              "--encoding goes with --save-as");
}

TEST(BatchModes, StagesRunTheFirstChosenFormWithTheWindowProgramsServices) {
    Application app;
    app.line = parsed({"a.txt"});
    EXPECT_EQ(run_batch_stage(app, BatchStage::BEFORE_GUI, {}), START_NEEDS_WINDOW);
    EXPECT_EQ(run_batch_stage(app, BatchStage::WITH_GUI, {}), START_NEEDS_WINDOW);

    int uploads = 0;
    BatchServices services;
    services.runs["--ftp-put"] = [&uploads](Application&) { return ++uploads == 1 ? 0 : 5; };
    app.line = parsed({"--ftp-put", "2", "a.txt"});
    EXPECT_EQ(run_batch_stage(app, BatchStage::BEFORE_GUI, services), 0);
    EXPECT_EQ(uploads, 1);
    // A command line in error runs nothing and ends with the usage error's code.
    app.line = parsed({"--save-as", "b.txt", "--write-out", "c.txt", "a.txt"});
    EXPECT_EQ(run_batch_stage(app, BatchStage::BEFORE_GUI, services), 2);
    EXPECT_EQ(uploads, 1);
}
