// A document, its state and an editing context for the editing tests, with
// helpers that read the stored text back and type keys as the dispatcher does.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../document/doc_builder.h"
#include "document/edit_convert.h"
#include "document/export.h"
#include "editing/cursor.h"
#include "editing/edit_text.h"
#include "../support/notices.h"
#include "platform/fake_messages.h"

namespace rix::test {

struct EditFixture : ::testing::Test {
    FakeMessages messages;         // what the layers above editing show (the tests built on this one)
    Document doc;
    DocumentState state;
    EditState edit;
    EditContext c{doc, state, edit, nullptr};
    SeenNotices told{c.notices};   // what the operations on c reported

    void SetUp() override {
        doc.rules = rules(10, 1);
        edit.frame.screen_lines = 20;
    }

    // The stored bytes of a line without its end mark.
    std::string line(std::uint32_t n) const {
        std::string raw = edit_text_of_line(doc, n);
        return raw.substr(0, raw.back() == '\x1A' ? raw.size() - 1 : raw.size() - 2);
    }
    // The whole text in raw form (line ends CR LF, the end mark 0x1A).
    std::string text() const {
        std::string out;
        ExportOptions o;
        o.form = ExportForm::RAW;
        TextPos at(0, 0);
        while (!export_text(doc, o, &at, TextPos(0xFFFFFFFFu), &out).finished) {
        }
        return out;
    }
    void at(std::uint32_t l, std::uint32_t col) { place_cursor(c, TextPos(l, col)); }
    bool type(std::string_view utf8, bool insert = true) { return insert_text(c, sj(utf8), insert); }
    std::string invariant() const { return check_document_invariant(doc); }
};

}  // namespace rix::test
