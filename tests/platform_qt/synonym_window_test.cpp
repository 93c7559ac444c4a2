// The synonym window on real widgets (offscreen): the word at the cursor
// looked up at opening fills the box, the list and the line above it; a
// click on a hit shows its class; 関連語 and a click on あやふや, then 入 力,
// put the word into the document. With RIX_DIALOG_SHOTS naming a folder the
// filled window is saved there as SYNONYM_filled.png, to look at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <cstdlib>

#include "../editing/edit_fixture.h"
#include "app/synonyms/synonym_window.h"
#include "platform/files.h"
#include "platform/qt/qt_dialogs.h"
#include "rix_synonym_paths.h"
#include "tests/support/temp_folder.h"

namespace rix::test {
namespace {

template <class W>
W* child(QDialog* d, int id) {
    W* w = d->findChild<W*>(QString::number(id));
    EXPECT_NE(w, nullptr) << "control " << id;
    return w;
}

struct QtSynonymWindowTest : EditFixture {
    QtDialogHost host;
    SynonymUi ui;
    SettingsState settings;
    TempFolder dir;

    void SetUp() override {
        EditFixture::SetUp();
        install_dialog_host(&host);
    }
    void TearDown() override { close_synonym_window(ui); }
};

TEST_F(QtSynonymWindowTest, LooksUpShowsAClassAndInserts) {
    build(doc, {sj("曖昧な話"), ""});
    at(0, 0);
    SynonymServices s;
    s.edit = [this](const std::function<void(EditContext&)>& work) {
        work(c);
        return true;
    };
    s.settings = &settings;
    s.dictionary_path = join_path(RIX_SYNONYM_SAMPLE_DIR, SYNONYM_FILE_NAME);
    s.history_path = dir.file(SYNONYM_HISTORY_FILE_NAME);
    const DialogHandle h = open_synonym_window(ui, std::move(s), false);
    ASSERT_NE(h, 0u);
    QDialog* d = host.window(h);
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->isModal());
    EXPECT_EQ(child<QLineEdit>(d, SYNONYM_TERM)->text(), QString::fromUtf8("曖昧"));
    auto* list = child<QListWidget>(d, SYNONYM_LIST);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QString::fromUtf8(" 1 曖昧"));
    EXPECT_EQ(child<QLabel>(d, SYNONYM_HEADER)->text(), QString::fromUtf8("［部分］1分類 1語ﾋｯﾄ"));

    list->setCurrentRow(0);   // as a click does
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), QString::fromUtf8("あいまい"));
    child<QRadioButton>(d, SYNONYM_RELATED)->click();
    ASSERT_EQ(list->count(), 10);
    list->setCurrentRow(5);
    EXPECT_EQ(list->currentItem()->text(), QString::fromUtf8("あやふや"));
    EXPECT_EQ(child<QLabel>(d, SYNONYM_HEADER)->text(), QString::fromUtf8("［部分］1分類中1［4 /6］"));
    if (const char* shots = std::getenv("RIX_DIALOG_SHOTS"))
        d->grab().save(QString::fromUtf8(shots) + "/SYNONYM_filled.png");

    child<QPushButton>(d, SYNONYM_INSERT)->click();
    EXPECT_EQ(line(0), sj("あやふや曖昧な話"));
    child<QPushButton>(d, SYNONYM_CLOSE)->click();
    EXPECT_FALSE(synonym_window_open(ui));
}

}  // namespace
}  // namespace rix::test
