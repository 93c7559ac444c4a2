// The ruby dialog through the fake host: what it shows, adding over a marked
// word, replacing and removing, the refusals that keep it open, the spin
// held to the base, the order of rebuild and edit; and the "_ruby" file of
// the HTML writer.
//
// Tests still owed: the placement beside the cursor's column in vertical writing.
#include "app/edit/ruby_dialog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "document/export.h"
#include "editing/cursor.h"
#include "editing/edit_text.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "publish/ruby_embed.h"
#include "tests/document/doc_builder.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::ruby;
using test::sj;

struct RubyDialogFixture : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    Document doc;
    DocumentState state;
    EditState edit;
    EditContext c{doc, state, edit, nullptr};
    std::vector<std::string> calls;   // the services in the order they ran

    void SetUp() override {
        doc.rules = test::rules(10, 1);
        edit.frame.screen_lines = 20;
    }
    std::string line(std::uint32_t n) const {
        std::string out;
        ExportOptions o;
        o.form = ExportForm::RAW;
        TextPos at(n, 0);
        export_text(doc, o, &at, TextPos(n + 1, 0), &out);
        return out.substr(0, out.size() - 2);
    }
    int run() {
        RubyDialogServices s;
        s.after_change = [this] { calls.push_back("change"); };
        s.rebuild_screen = [this] {
            // The edit waits for the rebuild.
            calls.push_back(edit.journal.record_ends.empty() ? "rebuild" : "rebuild after edit");
        };
        return run_ruby_dialog(c, s, 0);
    }
};

TEST_F(RubyDialogFixture, MarkedWordGetsARubyAfterTheRebuild) {
    test::build(doc, {sj("かな漢字です"), ""});
    edit.mark = Marking{true, TextPos(0, 2), TextPos(0, 8), false};
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.caption(), sj("　ルビ (ﾌﾘｶﾞﾅ)"));
        EXPECT_EQ(d.get_text(RUBY_WORD_SHOWN), "3");
        EXPECT_EQ(d.get_number(RUBY_CELLS_EDIT), 3);
        EXPECT_EQ(d.get_text(RUBY_BASE_SHOWN), sj("な漢字"));
        EXPECT_FALSE(d.is_enabled(RUBY_DELETE));
        EXPECT_TRUE(d.get_check(RUBY_ALLOT_FIRST));
        d.spin(RUBY_CELLS_SPIN, 5);   // held at the word
        EXPECT_EQ(d.get_number(RUBY_CELLS_EDIT), 3);
        d.press(RUBY_ALLOT_FIRST + 2);
        d.type_text(RUBY_TEXT_EDIT, sj("なかんじ"));
        d.press(RUBY_ADD);
    });
    EXPECT_EQ(run(), DIALOG_OK);
    EXPECT_EQ(line(0), sj("か") + "\xFF\x23" + sj("なかんじ") + "\xFF" + sj("な漢字です"));
    EXPECT_FALSE(edit.mark.on);
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 2));
    EXPECT_EQ(state.modified, MODIFIED_EXTENSION);
    EXPECT_EQ(calls, (std::vector<std::string>{"change", "rebuild", "change"}));
    EXPECT_TRUE(host.missing.empty());
}

TEST_F(RubyDialogFixture, TypedLengthIsHeldToTheBaseAndFifteen) {
    std::string run20;
    for (int i = 0; i < 20; ++i) run20 += sj("漢");
    test::build(doc, {sj("かな") + run20, sj("二")});
    place_cursor(c, TextPos(0, 4));
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.get_text(RUBY_WORD_SHOWN), "20");
        EXPECT_EQ(d.get_number(RUBY_CELLS_EDIT), 15);
        d.type_text(RUBY_CELLS_EDIT, "99");   // would spill into the allotment bits
        d.type_text(RUBY_TEXT_EDIT, sj("よみ"));
        d.press(RUBY_ALLOT_FIRST + 1);
        d.press(RUBY_ADD);
    });
    ASSERT_EQ(run(), DIALOG_OK);
    EXPECT_EQ(line(0), sj("かな") + "\xFF\x1F" + sj("よみ") + "\xFF" + run20);
}

TEST_F(RubyDialogFixture, EmptyAndOddRubyTextsKeepTheDialogOpen) {
    test::build(doc, {sj("漢字"), ""});
    host.script([](DialogSession& d) {
        d.press(RUBY_ADD);
        EXPECT_FALSE(d.ended());
        d.type_text(RUBY_TEXT_EDIT, "abc");
        d.press(RUBY_ADD);
        EXPECT_FALSE(d.ended());
        d.press(RUBY_DELETE);   // disabled: no ruby here
        EXPECT_FALSE(d.ended());
        d.press(RUBY_HELP);
        d.press(RUBY_CLOSE);
    });
    EXPECT_EQ(run(), DIALOG_CANCEL);
    EXPECT_EQ(messages.log.size(), 2u);
    EXPECT_TRUE(messages.saw("ルビは偶数桁でなければなりません｡\n半角文字は文字数を偶数にしてください｡"));
    EXPECT_EQ(messages.help_topics, std::vector<std::string>{"RUBY"});
    EXPECT_EQ(line(0), sj("漢字"));
    EXPECT_EQ(state.modified, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"change", "rebuild"}));
}

TEST_F(RubyDialogFixture, ExistingRubyIsReplacedOrRemoved) {
    test::build(doc, {sj("あ") + "\xFF\x12" + sj("ふる") + "\xFF" + sj("古今"), ""});
    place_cursor(c, TextPos(0, 2));
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.get_text(RUBY_TEXT_EDIT), sj("ふる"));
        EXPECT_EQ(d.get_number(RUBY_CELLS_EDIT), 2);
        EXPECT_TRUE(d.get_check(RUBY_ALLOT_FIRST + 1));
        EXPECT_TRUE(d.is_enabled(RUBY_DELETE));
        d.spin(RUBY_CELLS_SPIN, -1);
        EXPECT_EQ(d.get_text(RUBY_BASE_SHOWN), sj("古 今"));
        d.type_text(RUBY_TEXT_EDIT, sj("いにしえ"));
        d.press_enter();
    });
    ASSERT_EQ(run(), DIALOG_OK);
    EXPECT_EQ(line(0), sj("あ") + "\xFF\x11" + sj("いにしえ") + "\xFF" + sj("古今"));

    host.script([](DialogSession& d) { d.press(RUBY_DELETE); });
    EXPECT_EQ(run(), RUBY_DELETE);
    EXPECT_EQ(line(0), sj("あ古今"));
    EXPECT_EQ(state.modified, MODIFIED_EXTENSION);
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(line(0), sj("あ") + "\xFF\x11" + sj("いにしえ") + "\xFF" + sj("古今"));
}

TEST_F(RubyDialogFixture, NoDialogOnALineEnd) {
    test::build(doc, {sj("字"), ""});
    place_cursor(c, TextPos(0, 2));
    EXPECT_EQ(run(), DIALOG_CANCEL);
    EXPECT_TRUE(host.opened.empty());
    EXPECT_TRUE(messages.saw(" CR や EOF にはルビを付けられません｡"));
}

TEST(RubyEmbed, FileNameQuestionsAndTarget) {
    EXPECT_EQ(ruby_file_path("/d/a.b/原稿.txt"), "/d/a.b/原稿_ruby.txt");
    EXPECT_EQ(ruby_file_path("/d/a.b/README"), "/d/a.b/README_ruby");

    test::TempFolder folder;
    Document doc;
    test::build(doc, {ruby("はる", 1) + sj("春と") + test::tag("x") + sj("夏"), ""});
    DocumentState state;
    state.save_name = folder.file("doc.txt");
    LoadSession session;
    ExportOptions notation;
    notation.ruby_notation = 3;
    std::string target = "before";

    test::ScriptedQuestions no;
    no.answer(false);
    EXPECT_FALSE(embed_rubies(doc, state, session, notation, &target, no, 5).written);
    EXPECT_FALSE(std::ifstream(folder.file("doc_ruby.txt")).good());
    EXPECT_EQ(no.asked, (std::vector<std::string>{"ルビを本文に組込んだテキスト\n\n" + folder.file("doc_ruby.txt") +
                                                  "\n\nを作成しますか？"}));
    EXPECT_EQ(no.owners, (std::vector<std::uintptr_t>{5}));

    // Made, but the pages keep their target.
    test::ScriptedQuestions made_only;
    made_only.answer(true);
    made_only.answer(false);
    RubyEmbedResult r = embed_rubies(doc, state, session, notation, &target, made_only);
    EXPECT_TRUE(r.written);
    EXPECT_FALSE(r.made_target);
    EXPECT_EQ(target, "before");
    ASSERT_EQ(made_only.asked.size(), 2u);
    EXPECT_EQ(made_only.asked[1], "ルビを本文に組込んだ文書\n" + folder.file("doc_ruby.txt") +
                                      "\nを作成しました。\nこれをhtmlの対象ファイルにしますか？");

    test::ScriptedQuestions yes;
    yes.answer(true);
    yes.answer(true);
    r = embed_rubies(doc, state, session, notation, &target, yes);
    EXPECT_TRUE(r.written && r.made_target);
    EXPECT_EQ(target, folder.file("doc_ruby.txt"));
    EXPECT_EQ(yes.unexpected, 0);
    std::stringstream written;
    written << std::ifstream(target, std::ios::binary).rdbuf();
    EXPECT_EQ(written.str(), sj("春《はる》と夏\r\n") + "\x1A");

    // A document never saved has no name to derive the file from: nothing is asked.
    DocumentState unsaved;
    test::ScriptedQuestions none;
    EXPECT_FALSE(embed_rubies(doc, unsaved, session, notation, &target, none).written);
    EXPECT_TRUE(none.asked.empty());
}

}  // namespace
}  // namespace rix
