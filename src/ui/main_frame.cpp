#include "ui/main_frame.h"

#include <wx/accel.h>
#include <wx/app.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include <iterator>

#include "ui/app.h"
#include "ui/artwork.h"
#include "ui/command_ids.h"
#include "ui/training_view.h"

bool g_bRoutingCommand = false;

namespace {

// The window title.
const char* const kTitle = "韦朗特 Veltrane";
// The idle text of the status bar's message pane.
const char* const kIdleText = "准备";
// Frame size when there is no saved placement and the frame is not maximized.
const wxSize kDefaultFrameSize(900, 640);

// One entry of the menu table. id 0 is a separator; prompt is the status-bar text, tip the
// tool tip of the tool-bar button (when there is one).
struct MenuEntry {
    int id;
    const char* text;
    const char* prompt;
    const char* tip;
    wxItemKind kind;
};

struct MenuPopup {
    const char* title;
    std::initializer_list<MenuEntry> entries;
};

constexpr MenuEntry kSeparator{0, "", "", "", wxITEM_SEPARATOR};

// The menu bar, in order. Items that show a check mark are check items.
const MenuPopup kMenu[] = {
    {"文件(&F)", {{CMD_EXIT, "退出(&X)\tCtrl+Q", "退出本程序", "退出", wxITEM_NORMAL}}},
    {"编辑(&E)",
     {{CMD_UNDO, "撤销(&U)\tCtrl+Z", "撤销上一步所做的编辑", "撤销", wxITEM_NORMAL},
      kSeparator,
      {CMD_CUT, "剪切(&T)\tCtrl+X", "将选择的部分剪切到剪贴板", "剪切", wxITEM_NORMAL},
      {CMD_COPY, "复制(&C)\tCtrl+C", "将选择的部分复制到剪贴板", "复制", wxITEM_NORMAL},
      {CMD_PASTE, "粘贴(&P)\tCtrl+V", "将剪贴板中的内容粘贴到当前位置", "粘贴", wxITEM_NORMAL}}},
    {"查看(&V)",
     {{CMD_VIEW_OUTPUT, "报底(&O)", "显示或隐藏报底窗口", "报底显示", wxITEM_CHECK},
      {CMD_USE_CAPS, "大写字母(&U)", "报底显示大小写切换", "报底大小写切换", wxITEM_CHECK},
      {CMD_VIEW_CODES, "码表(&C)", "显示或隐藏码表面板", "码表显示切换", wxITEM_CHECK},
      kSeparator,
      {CMD_VIEW_TOOLBAR, "工具栏(&T)", "显示或隐藏工具栏", "工具栏", wxITEM_CHECK},
      {CMD_VIEW_STATUS_BAR, "状态栏(&S)", "显示或隐藏状态栏", "状态栏", wxITEM_CHECK}}},
    {"操作(&A)",
     {{CMD_START, "开始(&P)\tF2", "开始训练", "开始", wxITEM_CHECK},
      {CMD_PAUSE, "暂停(&U)\tF3", "拍发完当前字符后暂停训练", "暂停", wxITEM_CHECK},
      {CMD_STOP, "停止(&S)\tF4", "拍发完当前字符后结束训练", "停止", wxITEM_CHECK},
      {CMD_ABORT, "中止练习(&I)\tCtrl+I", "立即中止训练", "中止", wxITEM_NORMAL},
      {CMD_RECORD, "录音(&R)", "录制音频文件", "录制", wxITEM_NORMAL},
      {CMD_VIEW_LAST_RESULTS, "查看上次结果(&L)", "再次显示上次训练的结果", "", wxITEM_NORMAL},
      kSeparator,
      {CMD_DONATE, "捐助", "", "", wxITEM_NORMAL}}},
    {"训练内容(&S)",
     {{CMD_SOURCE_KOCH, "Koch 训练法(&C)", "使用 Koch 法进行摩尔斯电码听抄训练", "", wxITEM_CHECK},
      {CMD_SOURCE_CHARSET, "指定字符集(&S)", "练习指定字符", "", wxITEM_CHECK},
      kSeparator,
      {CMD_SOURCE_TEXT_FILE, "文本文件(&T)", "拍发外部文本文件进行摩尔斯电码听抄训练", "",
       wxITEM_CHECK},
      {CMD_SOURCE_LINE_FILE, "分行文本文件(&L)", "从指定的外部文件中随机抽取文本行进行听抄训练", "",
       wxITEM_CHECK},
      {CMD_SOURCE_TYPED_TEXT, "输入文本(&E)", "拍发用户输入的文本进行训练", "", wxITEM_CHECK},
      {CMD_SOURCE_QSO_PLAIN, "QSO &fragments (plain)",
       "Generate Morse code using plain text QSO fragments", "", wxITEM_CHECK},
      {CMD_SOURCE_QSO_REAL, "QSO fragments (&real)",
       "Generate Morse code using real life QSO fragments", "", wxITEM_CHECK},
      kSeparator,
      {CMD_SOURCE_WORDS, "常用单词(&W)", "练习听抄常用英语单词", "", wxITEM_CHECK},
      {CMD_SOURCE_ABBREVIATIONS, "缩语(&A)", "练习听抄常见缩写词汇", "", wxITEM_CHECK},
      {CMD_SOURCE_Q_CODES, "Q简语(&C)", "练习听抄Q简语", "", wxITEM_CHECK}}},
    {"工具(&T)", {{CMD_OPTIONS, "选项(&O)", "更改选项", "", wxITEM_NORMAL}}},
    {"帮助(&H)",
     {{CMD_USER_MANUAL, "使用手册(&C)\tF1", "", "", wxITEM_NORMAL},
      kSeparator,
      {CMD_DONATE, "捐助(&B)", "", "", wxITEM_NORMAL},
      kSeparator,
      {CMD_PRODUCT_PAGE, "&Veltrane 官方网站", "", "", wxITEM_NORMAL},
      {CMD_MAKER_PAGE, "Korvanel 作者网站", "", "", wxITEM_NORMAL},
      kSeparator,
      {CMD_ABOUT, "关于...(&A)", "显示本软件的版权信息", "关于", wxITEM_NORMAL}}},
};

// The tool bar, left to right; 0 is a separator.
constexpr int kToolBarCommands[] = {CMD_START, CMD_PAUSE, CMD_STOP,        CMD_RECORD,
                                    CMD_ABORT, 0,         CMD_VIEW_OUTPUT, CMD_USE_CAPS,
                                    0,         CMD_CUT,   CMD_COPY,        CMD_PASTE};

const MenuEntry* FindMenuEntry(int id) {
    for (const MenuPopup& popup : kMenu)
        for (const MenuEntry& entry : popup.entries)
            if (entry.id == id) return &entry;
    return nullptr;
}

wxString Utf8(const char* text) {
    return wxString::FromUTF8(text);
}

// The status-bar panes after the message pane: time, count and the three lock keys.
struct LockPane {
    wxKeyCode key;
    const char* text;
};
constexpr LockPane kLockPanes[] = {
    {WXK_CAPITAL, "CAPS"}, {WXK_NUMLOCK, "NUM"}, {WXK_SCROLL, "SCRL"}};
constexpr int kTimePane = 1;
constexpr int kCountPane = 2;
constexpr int kFirstLockPane = 3;

}  // namespace

bool EventTableHandlesCommand(const wxEventTable* table, int id) {
    for (; table != nullptr; table = table->baseTable) {
        for (const wxEventTableEntry* entry = table->entries; entry->m_fn != nullptr; ++entry) {
            if (entry->m_eventType != wxEVT_MENU) continue;
            const bool inRange = entry->m_lastId == wxID_ANY
                                     ? entry->m_id == id
                                     : entry->m_id <= id && id <= entry->m_lastId;
            if (inRange) return true;
        }
    }
    return false;
}

// clang-format off
wxBEGIN_EVENT_TABLE(CMainFrame, wxFrame)
    EVT_MENU(CMD_EXIT, CMainFrame::OnExit)
    EVT_MENU(CMD_VIEW_TOOLBAR, CMainFrame::OnViewToolBar)
    EVT_MENU(CMD_VIEW_STATUS_BAR, CMainFrame::OnViewStatusBar)

    EVT_UPDATE_UI(CMD_EXIT, CMainFrame::OnUpdateAlwaysEnabled)
    EVT_UPDATE_UI(CMD_VIEW_TOOLBAR, CMainFrame::OnUpdateViewToolBar)
    EVT_UPDATE_UI(CMD_VIEW_STATUS_BAR, CMainFrame::OnUpdateViewStatusBar)

    EVT_CLOSE(CMainFrame::OnClose)
    EVT_IDLE(CMainFrame::OnIdle)
    EVT_SIZE(CMainFrame::OnSize)
    EVT_MOVE(CMainFrame::OnMove)
    EVT_SET_FOCUS(CMainFrame::OnSetFocus)
wxEND_EVENT_TABLE()
    // clang-format on

    CMainFrame::~CMainFrame() {
    if (m_placementSink) m_placementSink(IsPlacementMaximized(), NormalPlacement());
    m_bands.UnInit();
}

bool CMainFrame::Create(std::unique_ptr<SoundBackend> backend) {
    if (!wxFrame::Create(nullptr, wxID_ANY, Utf8(kTitle), wxDefaultPosition, kDefaultFrameSize,
                         wxDEFAULT_FRAME_STYLE | wxCLIP_CHILDREN))
        return false;
    m_bands.SetManagedWindow(this);
    CreateMenus();
    CreateTools();
    CreateStatusPanes();

    m_wndView = new CTrainingView();
    if (!m_wndView->Create(this, m_bands, std::move(backend))) return false;
    m_bands.AddPane(m_wndView, wxAuiPaneInfo().Name("view").CenterPane().PaneBorder(false));

    SetAccelerators();
    SetIcons(ApplicationIcons());
    m_bands.Update();
    RememberNormalRect();
    return true;
}

void CMainFrame::CreateMenus() {
    auto* bar = new wxMenuBar();
    for (const MenuPopup& popup : kMenu) {
        auto* menu = new wxMenu();
        for (const MenuEntry& entry : popup.entries) {
            if (entry.id == 0)
                menu->AppendSeparator();
            else
                menu->Append(MenuItemId(entry.id), Utf8(entry.text), Utf8(entry.prompt),
                             entry.kind);
        }
        bar->Append(menu, Utf8(popup.title));
    }
    // The two QSO-fragment sources are never offered.
    for (int id : {CMD_SOURCE_QSO_PLAIN, CMD_SOURCE_QSO_REAL}) {
        wxMenu* owner = nullptr;
        if (bar->FindItem(MenuItemId(id), &owner) != nullptr) owner->Destroy(MenuItemId(id));
    }
    SetMenuBar(bar);
}

void CMainFrame::CreateTools() {
    m_wndToolBar = new wxToolBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                 wxTB_FLAT | wxTB_HORIZONTAL | wxTB_NODIVIDER);
    m_wndToolBar->SetToolBitmapSize(wxSize(16, 16));
    for (int id : kToolBarCommands) {
        if (id == 0) {
            m_wndToolBar->AddSeparator();
            continue;
        }
        const MenuEntry& entry = *FindMenuEntry(id);
        m_wndToolBar->AddTool(id, wxString(), ToolBitmap(id), wxNullBitmap, entry.kind,
                              Utf8(entry.tip), Utf8(entry.prompt));
    }
    m_wndToolBar->Realize();
    m_bands.AddPane(m_wndToolBar, wxAuiPaneInfo()
                                      .Name("toolbar")
                                      .ToolbarPane()
                                      .Top()
                                      .Row(0)
                                      .Position(0)
                                      .Floatable(false)
                                      .CloseButton(false));
}

void CMainFrame::CreateStatusPanes() {
    constexpr int kPanes = kFirstLockPane + static_cast<int>(std::size(kLockPanes));
    wxStatusBar* bar = CreateStatusBar(kPanes, wxSTB_DEFAULT_STYLE);
    // Each pane is as wide as its widest text plus the pane's own padding.
    const auto width = [bar](const char* sample) { return bar->GetTextExtent(sample).x + 12; };
    int widths[kPanes] = {-1, width("00:00"), width("0000")};
    for (size_t i = 0; i < std::size(kLockPanes); ++i)
        widths[kFirstLockPane + i] = width(kLockPanes[i].text);
    bar->SetStatusWidths(kPanes, widths);
    SetStatusBarPane(0);
    SetStatusText(Utf8(kIdleText), 0);
}

void CMainFrame::SetAccelerators() {
    const wxAcceleratorEntry entries[] = {
        {wxACCEL_CTRL, 'C', CMD_COPY},          {wxACCEL_CTRL, WXK_INSERT, CMD_COPY},
        {wxACCEL_CTRL, 'X', CMD_CUT},           {wxACCEL_SHIFT, WXK_DELETE, CMD_CUT},
        {wxACCEL_CTRL, 'V', CMD_PASTE},         {wxACCEL_SHIFT, WXK_INSERT, CMD_PASTE},
        {wxACCEL_CTRL, 'Z', CMD_UNDO},          {wxACCEL_ALT, WXK_BACK, CMD_UNDO},
        {wxACCEL_CTRL, 'I', CMD_ABORT},         {wxACCEL_NORMAL, WXK_F1, CMD_HELP},
        {wxACCEL_NORMAL, WXK_F2, CMD_START},    {wxACCEL_NORMAL, WXK_F3, CMD_PAUSE},
        {wxACCEL_NORMAL, WXK_F4, CMD_STOP},     {wxACCEL_NORMAL, WXK_F6, CMD_NEXT_PANE},
        {wxACCEL_SHIFT, WXK_F6, CMD_PREV_PANE}, {wxACCEL_CTRL, 'Q', CMD_EXIT},
    };
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(std::size(entries)), entries));
}

// ---- Command routing -----------------------------------------------------------------------

bool CMainFrame::RouteCommand(wxEvent& event) {
    if (g_bRoutingCommand) return false;
    g_bRoutingCommand = true;
    // The view first, then the frame itself, then the application.
    bool handled = m_wndView != nullptr && m_wndView->GetEventHandler()->ProcessEventLocally(event);
    if (!handled) handled = GetEventHandler()->ProcessEventLocally(event);
    if (!handled && wxTheApp != nullptr) handled = wxTheApp->ProcessEvent(event);
    g_bRoutingCommand = false;
    return handled;
}

bool CMainFrame::HasCommandHandler(int id) const {
    if (m_wndView != nullptr && m_wndView->HandlesCommand(id)) return true;
    if (EventTableHandlesCommand(GetEventTable(), id)) return true;
    const auto* app = dynamic_cast<const CTrainerApp*>(wxTheApp);
    return app != nullptr && app->HandlesCommand(id);
}

bool CMainFrame::IsCommandEnabled(int id) {
    if (!HasCommandHandler(id)) return false;
    wxUpdateUIEvent update(id);
    update.SetEventObject(this);
    if (!RouteCommand(update)) return true;  // handled, with no rule: always available
    return !update.GetSetEnabled() || update.GetEnabled();
}

bool CMainFrame::TryBefore(wxEvent& event) {
    const wxEventType type = event.GetEventType();
    const int command = CommandOfEventId(event.GetId());
    if ((type != wxEVT_MENU && type != wxEVT_UPDATE_UI) || command == 0 || g_bRoutingCommand)
        return wxFrame::TryBefore(event);

    if (type == wxEVT_UPDATE_UI) {
        wxUpdateUIEvent update(command);
        update.SetEventObject(event.GetEventObject());
        RouteCommand(update);
        // A command that nobody handles is shown disabled, whatever its update rule says.
        if (!HasCommandHandler(command)) update.Enable(false);
        auto& asked = static_cast<wxUpdateUIEvent&>(event);
        if (update.GetSetEnabled()) asked.Enable(update.GetEnabled());
        if (update.GetSetChecked()) asked.Check(update.GetChecked());
        if (update.GetSetText()) asked.SetText(update.GetText());
        return true;
    }
    // A disabled command is ignored, also when it comes from a key; once the view is closing,
    // every command is.
    if (m_wndView == nullptr || m_wndView->IsClosing() || !IsCommandEnabled(command)) return true;
    wxCommandEvent routed(static_cast<wxCommandEvent&>(event));
    routed.SetId(command);
    RouteCommand(routed);
    return true;
}

// ---- Frame commands ------------------------------------------------------------------------

void CMainFrame::OnExit(wxCommandEvent&) {
    Close();
}

void CMainFrame::OnViewToolBar(wxCommandEvent&) {
    wxAuiPaneInfo& pane = m_bands.GetPane(m_wndToolBar);
    pane.Show(!pane.IsShown());
    m_bands.Update();
}

void CMainFrame::OnViewStatusBar(wxCommandEvent&) {
    wxStatusBar* bar = GetStatusBar();
    bar->Show(!bar->IsShown());
    SendSizeEvent();
}

void CMainFrame::OnUpdateAlwaysEnabled(wxUpdateUIEvent& event) {
    event.Enable(true);
}

void CMainFrame::OnUpdateViewToolBar(wxUpdateUIEvent& event) {
    event.Enable(true);
    event.Check(m_bands.GetPane(m_wndToolBar).IsShown());
}

void CMainFrame::OnUpdateViewStatusBar(wxUpdateUIEvent& event) {
    event.Enable(true);
    event.Check(GetStatusBar()->IsShown());
}

// ---- Status bar, focus, placement, closing -------------------------------------------------

void CMainFrame::UpdateStatusPanes() {
    wxStatusBar* bar = GetStatusBar();
    if (bar == nullptr || !bar->IsShown() || m_wndView == nullptr) return;
    const auto show = [bar](int pane, const wxString& text) {
        if (bar->GetStatusText(pane) != text) bar->SetStatusText(text, pane);
    };
    for (const auto& [id, pane] :
         {std::pair{CMD_PANE_TIME, kTimePane}, std::pair{CMD_PANE_COUNT, kCountPane}}) {
        wxUpdateUIEvent update(id);
        update.SetEventObject(this);
        if (RouteCommand(update) && update.GetSetText()) show(pane, update.GetText());
    }
    for (size_t i = 0; i < std::size(kLockPanes); ++i)
        show(kFirstLockPane + static_cast<int>(i),
             wxGetKeyState(kLockPanes[i].key) ? wxString(kLockPanes[i].text) : wxString());
}

void CMainFrame::OnIdle(wxIdleEvent& event) {
    event.Skip();
    UpdateStatusPanes();
    // A close that came while a view handler was waiting completes once that has returned.
    if (m_bDestroyPending && m_wndView != nullptr && !m_wndView->IsInNestedWait()) {
        m_bDestroyPending = false;
        Destroy();
    }
}

void CMainFrame::OnSetFocus(wxFocusEvent&) {
    if (m_wndView != nullptr) m_wndView->SetFocus();
}

void CMainFrame::RememberNormalRect() {
    if (IsMaximized() || IsIconized()) return;
    const wxRect rect = GetRect();
    // The sizes a window passes through while it is made and mapped are not a place to return
    // to.
    const NormalRect normal{rect.GetLeft(), rect.GetTop(), rect.GetLeft() + rect.GetWidth(),
                            rect.GetTop() + rect.GetHeight()};
    if (IsUsablePlacement(normal)) m_rcLastNormal = normal;
}

void CMainFrame::RememberNormalRect(const NormalRect& rect) {
    m_rcLastNormal = rect;
}

void CMainFrame::OnSize(wxSizeEvent& event) {
    event.Skip();
    RememberNormalRect();
}

void CMainFrame::OnMove(wxMoveEvent& event) {
    event.Skip();
    RememberNormalRect();
}

bool CMainFrame::IsPlacementMaximized() const {
    return IsMaximized() && !IsIconized();
}

NormalRect CMainFrame::NormalPlacement() const {
    if (IsMaximized() || IsIconized()) return m_rcLastNormal;
    const wxRect rect = GetRect();
    const NormalRect normal{rect.GetLeft(), rect.GetTop(), rect.GetLeft() + rect.GetWidth(),
                            rect.GetTop() + rect.GetHeight()};
    return IsUsablePlacement(normal) ? normal : m_rcLastNormal;
}

void CMainFrame::SetPlacementSink(std::function<void(bool, const NormalRect&)> sink) {
    m_placementSink = std::move(sink);
}

void CMainFrame::OnClose(wxCloseEvent&) {
    m_wndView->OnClosingNotice();
    if (m_wndView->IsInNestedWait()) {
        // A view handler still waits in a nested message loop (the countdown, a dialog); the
        // closing notice ends its wait, and the frame goes at the first idle time after.
        m_bDestroyPending = true;
        return;
    }
    Destroy();
}
