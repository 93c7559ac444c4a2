// The sample database a writer finds on the first use of the browser: the
// three tables a novelist keeps most often, with a few rows each, so that
// every button has something to work on.
#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

#include "database/document_db.h"
#include "platform/codec.h"
#include "platform/files.h"

namespace rix {

namespace {

struct SampleTable {
    const char* name;                                 // UTF-8
    std::vector<const char*> fields;                  // UTF-8
    std::vector<std::vector<const char*>> rows;       // UTF-8; "\n" becomes CR LF
};

std::string stored_text(const char* utf8) {
    std::string out;
    for (char c : utf8_to_sjis(utf8)) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

const std::vector<SampleTable>& sample_tables() {
    static const std::vector<SampleTable> tables = {
        {"登場人物",
         {"名前", "読み", "役割", "人物像"},
         {{"佐伯　透", "さえき　とおる", "主人公",
           "三十二歳。港町の古書店を継いだ元新聞記者。\n口数は少ないが、人の話を最後まで聞く。\n左手首に古い火傷の痕がある。"},
          {"水野　葉子", "みずの　ようこ", "相手役",
           "二十八歳。図書館の司書。\n祖父の日記を探して古書店を訪れる。\n几帳面で、几帳面すぎることを気にしている。"},
          {"佐伯　源三", "さえき　げんぞう", "透の父（故人）",
           "古書店の先代。\n店の奥の金庫に、誰にも見せなかった帳面を残した。"},
          {"黒田", "くろだ", "敵役",
           "古物商。下の名前は誰も知らない。\n源三とは三十年来の因縁がある。"}}},
        {"年表",
         {"年月日", "出来事", "場所"},
         {{"昭和四十八年春", "源三、港町に古書店「潮文堂」を開く", "港町"},
          {"平成二年秋", "源三と黒田、競売で同じ日記を争う", "東京・神田"},
          {"令和五年三月", "源三死去。透が店を継ぐ", "港町"},
          {"令和五年六月", "葉子が初めて店を訪れる（第一章）", "潮文堂"},
          {"令和五年七月", "金庫の帳面が見つかる（第三章）", "潮文堂"}}},
        {"取材メモ",
         {"題目", "日付", "内容"},
         {{"古書店の一日", "2024-04-12",
           "開店は十時。午前中は値付けと掃除。\n買い取りは午後が多い。\n「棚は三日で顔が変わる」と店主。"},
          {"港町の祭り", "2024-07-20",
           "山車が六台。夜は提灯の灯りだけになる。\n潮の匂いと綿菓子の匂いが混じる。"},
          {"古い日記の扱い", "2024-09-03",
           "紙が酸で弱っているものは中性紙の箱へ。\n素手で触る店主もいるが、綿の手袋が無難。"}}},
    };
    return tables;
}

bool fill_sample(DocumentDb& db) {
    for (const auto& t : sample_tables()) {
        std::vector<std::string> fields;
        for (const char* f : t.fields) fields.push_back(stored_text(f));
        const std::string table = stored_text(t.name);
        if (!db.create_table(table, fields)) return false;
        std::string sql = "INSERT INTO " + quote_identifier(table) + " VALUES (";
        for (std::size_t j = 0; j < fields.size(); ++j) sql += j ? ", ?" : "?";
        sql += ")";
        for (const auto& row : t.rows) {
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(db.handle(), sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return false;
            for (std::size_t j = 0; j < row.size(); ++j) {
                const std::string v = stored_text(row[j]);
                sqlite3_bind_text(st, static_cast<int>(j + 1), v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
            }
            const int rc = sqlite3_step(st);
            sqlite3_finalize(st);
            if (rc != SQLITE_DONE) return false;
        }
    }
    return true;
}

}  // namespace

bool create_sample_database(const std::string& path) {
    if (file_exists(path)) return true;
    // Built under a temporary name and renamed into place, so that a
    // failure never leaves half a sample behind.
    const std::string temp = path + ".making";
    std::remove(temp.c_str());
    bool ok;
    {
        DocumentDb db;
        ok = db.open(temp) == DbOpenResult::OPENED_NEW && fill_sample(db);
        std::vector<std::string> tables, fields;
        if (ok && db.list_tables(&tables)) {
            // Room for the long texts: the last column of each table wider.
            for (std::size_t i = 0; i < tables.size(); ++i)
                if (db.list_fields(tables[i], &fields) && !fields.empty())
                    db.widths().set(static_cast<int>(i), static_cast<int>(fields.size()) - 1, 360);
        }
        ok = db.close() && ok;
    }
    std::remove(database_backup_path(temp).c_str());
    if (!ok || !rename_no_overwrite(temp, path)) {
        std::remove(temp.c_str());
        return file_exists(path);
    }
    return true;
}

}  // namespace rix
