// The message service seen from the core: the test fake's script and its
// count of unforeseen questions, and the batch service's answers.
#include <gtest/gtest.h>

#include "platform/codec.h"
#include "platform/fake_messages.h"

namespace rix {
namespace {

TEST(FakeMessages, ScriptAnswersInOrderAndUnforeseenQuestionsCount) {
    {
        FakeMessages fake;
        EXPECT_EQ(&messages(), &fake);
        fake.answer(MSG_RESULT_NO);
        fake.answer(MSG_RESULT_YES);
        EXPECT_EQ(show_message(MSG_NOTICE, 0, utf8_to_sjis("保存しました"), 3000), MSG_RESULT_OK);
        EXPECT_EQ(show_message(MSG_YES_NO | MSG_CAPTION, 0, "t\nq"), MSG_RESULT_NO);
        EXPECT_EQ(show_message(MSG_YES_NO_CANCEL, 0, "q"), MSG_RESULT_YES);
        EXPECT_EQ(fake.unexpected, 0);
        EXPECT_EQ(show_message(MSG_YES_NO_CANCEL, 0, "q"), MSG_RESULT_CANCEL);
        EXPECT_EQ(show_message(MSG_YES_NO, 0, "q"), MSG_RESULT_NO);
        EXPECT_EQ(fake.unexpected, 2);
        ASSERT_EQ(fake.log.size(), 5u);
        EXPECT_EQ(fake.log[1].kind, MSG_YES_NO | MSG_CAPTION);
        EXPECT_EQ(fake.utf8(0), "保存しました");
        EXPECT_TRUE(fake.saw("保存"));
        EXPECT_EQ(fake.utf8(9), "");
    }
    EXPECT_NE(dynamic_cast<BatchMessages*>(&messages()), nullptr);
}

TEST(BatchMessages, PrintsMessagesAndTakesTheGivenAnswer) {
    BatchMessages batch;
    testing::internal::CaptureStderr();
    EXPECT_EQ(batch.show_message(MSG_NOTICE, 0, utf8_to_sjis("終了します"), 1000), MSG_RESULT_OK);
    EXPECT_EQ(batch.show_message(MSG_NOTICE, 0, utf8_to_sjis("壊れています｡\n/d/a.rix\n読込みました｡"), 1000),
              MSG_RESULT_OK);
    EXPECT_EQ(batch.show_message(MSG_YES_NO_CANCEL, 0, "q", 0), MSG_RESULT_NO);
    batch.question_answer = MSG_RESULT_CANCEL;
    EXPECT_EQ(batch.show_message(MSG_YES_NO_CANCEL, 0, "q", 0), MSG_RESULT_CANCEL);
    EXPECT_EQ(batch.show_message(MSG_YES_NO, 0, "q", 0), MSG_RESULT_NO);  // no cancel there
    std::string out = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("ミルトア: 終了します\n"), std::string::npos);
    EXPECT_NE(out.find("ミルトア: 壊れています｡ /d/a.rix 読込みました｡\n"), std::string::npos);   // one line
    EXPECT_NE(out.find("  -> いいえ\n"), std::string::npos);
    EXPECT_NE(out.find("  -> 取消\n"), std::string::npos);
}

}  // namespace
}  // namespace rix
