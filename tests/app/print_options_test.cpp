// The batch options of printing and the preview on the command line.
#include <gtest/gtest.h>

#include "app/shell/command_line.h"

namespace rix {
namespace {

CommandLine parse(const std::vector<std::string>& args, bool* ok = nullptr) {
    CommandLine line;
    const bool parsed = parse_command_line(args, &line);
    if (ok) *ok = parsed;
    return line;
}

TEST(PrintOptions, PrintFormatPagesAndPreview) {
    CommandLine line = parse({"--print", "out.pdf", "--print-format", "2", "--pages", "3-7", "doc.txt"});
    EXPECT_EQ(line.print_path, "out.pdf");
    EXPECT_EQ(line.print_format, 6);
    EXPECT_EQ(line.pages_start, 3);
    EXPECT_EQ(line.pages_end, 7);
    EXPECT_EQ(line.document, "doc.txt");
    EXPECT_TRUE(line.batch());
    line = parse({"--preview-snapshot", "p.png", "--sheet", "4", "doc.txt"});
    EXPECT_EQ(line.preview_path, "p.png");
    EXPECT_EQ(line.preview_sheet, 4);
    EXPECT_TRUE(line.batch());
}

TEST(PrintOptions, BadValuesAreRefusedWithAMessage) {
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--print-format", "4"}, {"--print-format", "0"}, {"--pages", "7-3"}, {"--pages", "0-3"},
             {"--pages", "2"}, {"--pages", "1-70000"}, {"--sheet", "0"}, {"--sheet", "2x"}, {"--print"}}) {
        bool ok = true;
        const CommandLine line = parse(bad, &ok);
        EXPECT_FALSE(ok) << bad[0];
        EXPECT_FALSE(line.error.empty()) << bad[0];
    }
}

}  // namespace
}  // namespace rix
