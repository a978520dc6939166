// Writes the sessions CSV of a few generated sessions and one with awkward texts to the file
// named by the first argument; check_sessions_csv.py reads it back.
#include <fstream>
#include <iostream>

#include "history/history_test_records.h"
#include "history/session_table.h"
#include "settings/settings.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: history_csv_writer <file.csv>\n";
        return 2;
    }
    std::vector<SessionRecord> sessions;
    for (int i = 0; i < 3; ++i) sessions.push_back(GeneratedSession(i));
    SessionRecord awkward = GeneratedSession(3);
    awkward.source = SOURCE_CHARSET;
    awkward.lessonSize = 0;
    awkward.lessonCharacters = "=,\"\x06";  // a formula sign, a comma, a quote and \SK
    awkward.wordSpeedCpm = 92;
    sessions.push_back(awkward);

    SessionTableTexts texts;
    texts.headers = {"日期", "训练内容", "课程", "课程字符", "词速", "字速", "时长（秒）",
                     "正确", "错误", "正确率（%）"};
    texts.sourceName = [](int32_t source) {
        return source == SOURCE_KOCH ? std::string("Koch 训练法") : std::string("指定字符集, 自选");
    };
    std::ofstream out(argv[1], std::ios::binary);
    return WriteSessionsCsv(out, sessions, texts) ? 0 : 1;
}
