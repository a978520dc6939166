#include "ui/history_notice_text.h"

#include "ui/translate.h"

wxString HistoryNoticeText(const HistoryNotice& notice) {
    const wxString moved = wxString::FromUTF8(notice.movedAsidePath);
    wxString text;
    switch (notice.problem) {
        case HistoryProblem::None:
            return {};
        case HistoryProblem::Damaged:
            text = wxString::Format(_("训练记录文件已损坏，已移至：\n%s\n已建立新的记录文件，以后的训练记入新文件。"), moved);
            break;
        case HistoryProblem::Unwritable:
            text = wxString::Format(_("训练记录文件无法写入，已移至：\n%s\n已建立新的记录文件，以后的训练记入新文件。"), moved);
            break;
        case HistoryProblem::Busy:
            text = _("训练记录文件正被其他程序占用。未写入的记录暂存在内存中，文件空闲后自动写入。");
            break;
        case HistoryProblem::Unavailable:
            text = _("训练记录暂时无法写入文件。未写入的记录暂存在内存中，稍后自动重试；程序退出前未写入的记录将会丢失。");
            if (!moved.empty())
                text += wxString::Format(_("\n原记录文件已移至：\n%s"), moved);
            break;
    }
    return text;
}
