#include "app/win32/CheckWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "app/core/features/FileFeatures.h"
#include "app/core/features/PrintedPages.h"
#include "report/CertificateDocument.h"
#include "app/win32/SideWindow.h"
#include "app/win32/Utf16.h"

namespace orv::app::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"OrvaneCheck";
constexpr int kMargin = 8, kGap = 6, kPad = 10;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

COLORREF ColourOf(Shade shade) {
    const Rgb c = ShadeColour(shade);
    return RGB(c.r, c.g, c.b);
}

int FieldId(FormField f) { return CheckWindow::kField + static_cast<int>(f); }
int LabelId(FormField f) { return CheckWindow::kFieldLabel + static_cast<int>(f); }

}  // namespace

CheckWindow::CheckWindow(HWND owner, CheckWindowModel& model, Hooks hooks)
    : owner_(owner), model_(model), hooks_(std::move(hooks)) {
    Create();
}

CheckWindow::~CheckWindow() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    if (font_) DeleteObject(font_);
    if (bold_) DeleteObject(bold_);
}

void CheckWindow::Create() {
    RegisterSideClass(kWindowClass, MAKEINTRESOURCEW(32512) /* IDC_ARROW */, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    filling_ = true;  // the edits' first texts are no one's typing
    // The dialog's font also for a tag or location in Chinese.
    LOGFONTW face = DialogFace(owner_);
    font_ = CreateFontIndirectW(&face);
    face.lfWeight = FW_BOLD;
    bold_ = CreateFontIndirectW(&face);

    // Not clipping its children: the group boxes paint no inside, so the
    // window's own background must show through them.
    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, Widen(text::kCheckCaption).c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 860, 780, owner_,
                            nullptr, Instance(), nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CheckWindow::Proc));

    const auto child = [&](const wchar_t* cls, const std::string& text, DWORD style, int id, DWORD exStyle = 0) {
        HWND c = CreateWindowExW(exStyle, cls, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
        // The font before the text: a check box measures its label as the text is set.
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        SetWindowTextW(c, Widen(text).c_str());
        return c;
    };
    const auto label = [&](const std::string& text, int id) {
        return child(L"STATIC", text, SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE, id);
    };
    const auto edit = [&](int id) {
        return child(L"EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, id, WS_EX_CLIENTEDGE);
    };
    const auto button = [&](const char* text, int id) { return child(L"BUTTON", text, BS_PUSHBUTTON | WS_TABSTOP, id); };

    // Group boxes first, so the controls lie above them.
    child(L"BUTTON", text::kCheckSetupGroup, BS_GROUPBOX, kSetupGroup);
    child(L"BUTTON", text::kCheckPointGroup, BS_GROUPBOX, kPointGroup);
    for (std::size_t k = 0; k < kFormFields; ++k) {
        const auto f = static_cast<FormField>(k);
        label(kFormLabels[k], LabelId(f));
        edit(FieldId(f));
        if (f == FormField::Points) child(L"BUTTON", text::kDownwards, BS_AUTOCHECKBOX | WS_TABSTOP, kDownwards);
    }
    child(L"STATIC", "", SS_LEFT | SS_NOPREFIX, kProblems);
    button(text::kAsFound, kAsFound);
    button(text::kAsLeft, kAsLeft);
    button(text::kNewCheck, kNewCheck);
    button(text::kOpenRecord, kOpen);
    button(text::kSaveRecord, kSave);
    button(text::kPrintCertificate, kCertificate);
    SendMessageW(child(L"STATIC", "", SS_LEFT | SS_NOPREFIX, kHeading), WM_SETFONT, reinterpret_cast<WPARAM>(bold_), FALSE);
    label(text::kApplyLabel, kApplyLabel);
    SendMessageW(label("", kApply), WM_SETFONT, reinterpret_cast<WPARAM>(bold_), FALSE);
    label(text::kMeasuredLabel, kMeasuredLabel);
    SendMessageW(label("", kMeasured), WM_SETFONT, reinterpret_cast<WPARAM>(bold_), FALSE);
    label("", kState);
    label("", kReferenceLabel);
    edit(kReference);
    label(text::kMeterLabel, kMeterLabel);
    edit(kMeter);
    button(text::kAccept, kAccept);
    button(text::kCutShort, kCutShort);
    button(text::kAbort, kAbort);

    child(L"STATIC", "", SS_LEFT | SS_NOPREFIX, kDevice);
    table_ = child(WC_LISTVIEWW, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP,
                   kTable, WS_EX_CLIENTEDGE);
    SendMessageW(table_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (std::size_t c = 0; c < kCheckColumns.size(); ++c) {
        std::wstring title = Widen(kCheckColumns[c]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = c >= 2 && c + 1 < kCheckColumns.size() ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = 80;
        column.pszText = title.data();
        column.iSubItem = static_cast<int>(c);
        SendMessageW(table_, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
    SizeColumns({});
    SendMessageW(child(L"STATIC", "", SS_LEFT | SS_NOPREFIX, kResult), WM_SETFONT, reinterpret_cast<WPARAM>(bold_), FALSE);
    child(L"STATIC", "", SS_LEFT | SS_NOPREFIX, kNotice);
    Layout();
    Refresh();
}

void CheckWindow::Show(const RECT& frame) {
    SetWindowPos(hwnd_, nullptr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
}

void CheckWindow::Layout() {
    RECT client{};
    GetClientRect(hwnd_, &client);
    HDC dc = GetDC(hwnd_);
    const HGDIOBJ old = SelectObject(dc, font_);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    const auto widthOf = [&](int id) {
        const std::wstring text = ItemText(id);
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    const int line = tm.tmHeight + tm.tmExternalLeading;
    const int edit = line + 8, row = edit + 4, buttonHeight = line + 10;
    const auto place = [&](int id, int x, int y, int w, int h) { MoveWindow(GetDlgItem(hwnd_, id), x, y, w, h, TRUE); };
    const int width = client.right - 2 * kMargin;

    // The set-up: two columns, each label as wide as the widest of its column.
    const FormField left[] = {FormField::Points, FormField::Tolerance, FormField::SettleTime, FormField::ReferenceName,
                              FormField::Technician, FormField::Location};
    const FormField right[] = {FormField::Readings, FormField::ReferenceDue, FormField::ReferenceSerial, FormField::Tag};
    int leftLabel = 0, rightLabel = 0;
    for (FormField f : left) leftLabel = std::max(leftLabel, widthOf(LabelId(f)) + 8);
    for (FormField f : right) rightLabel = std::max(rightLabel, widthOf(LabelId(f)) + 8);
    const int x0 = kMargin + kPad, inner = width - 2 * kPad;
    const int half = (inner - kGap) / 2, x1 = x0 + half + kGap, end = x0 + inner;
    int y = kMargin + line + 4;
    const auto pair = [&](FormField f, int x, int labelWidth, int to, int at) {
        place(LabelId(f), x, at, labelWidth, edit);
        place(FieldId(f), x + labelWidth, at, to - x - labelWidth, edit);
    };
    pair(FormField::Points, x0, leftLabel, x0 + half, y);
    place(kDownwards, x1, y, end - x1, edit);
    const FormField rows[][2] = {{FormField::Tolerance, FormField::Readings},
                                 {FormField::SettleTime, FormField::ReferenceDue},
                                 {FormField::ReferenceName, FormField::ReferenceSerial},
                                 {FormField::Technician, FormField::Tag}};
    for (const auto& r : rows) {
        y += row;
        pair(r[0], x0, leftLabel, x0 + half, y);
        pair(r[1], x1, rightLabel, end, y);
    }
    y += row;
    pair(FormField::Location, x0, leftLabel, end, y);
    y += row;
    place(kProblems, x0, y, inner, 3 * line);
    y += 3 * line + kPad / 2;
    place(kSetupGroup, kMargin, kMargin, width, y - kMargin);

    // The run's buttons and the record's.
    y += kGap;
    int x = kMargin;
    for (int id : {kAsFound, kAsLeft}) {
        const int w = std::max(widthOf(id) + 24, 90);
        place(id, x, y, w, buttonHeight);
        x += w + kGap;
    }
    x = kMargin + width;
    for (int id : {kCertificate, kSave, kOpen, kNewCheck}) {
        const int w = std::max(widthOf(id) + 24, 90);
        x -= w;
        place(id, x, y, w, buttonHeight);
        x -= kGap;
    }
    y += buttonHeight + kGap;

    // The point.
    const int pointTop = y;
    y += line + 4;
    place(kHeading, x0, y, inner, line + 2);
    y += line + 6;
    int px = x0;
    for (int id : {kApplyLabel, kApply, kMeasuredLabel, kMeasured}) {
        const int w = id == kApply || id == kMeasured ? std::max(140, widthOf(id) + 8) : widthOf(id) + 8;
        place(id, px, y, w, edit);
        px += w + kGap;
    }
    place(kState, px, y, end - px, edit);
    y += row;
    px = x0;
    const int referenceLabel = std::max(widthOf(kReferenceLabel), 100) + 8;
    place(kReferenceLabel, px, y, referenceLabel, edit);
    px += referenceLabel;
    place(kReference, px, y, 110, edit);
    px += 110 + 2 * kGap;
    const int meterLabel = widthOf(kMeterLabel) + 8;
    place(kMeterLabel, px, y, meterLabel, edit);
    px += meterLabel;
    place(kMeter, px, y, 80, edit);
    int bx = end;
    for (int id : {kAbort, kCutShort, kAccept}) {
        const int w = std::max(widthOf(id) + 24, 80);
        bx -= w;
        place(id, bx, y - 1, w, buttonHeight);
        bx -= kGap;
    }
    y += row + kPad / 2;
    place(kPointGroup, kMargin, pointTop, width, y - pointTop);

    // The device, then the table in what is left above the result and the notice.
    y += kGap;
    place(kDevice, kMargin, y, width, line + 2);
    y += line + 2 + kGap;
    const int noticeHeight = 2 * line, resultHeight = line + 4;
    const int bottom = client.bottom - kMargin;
    place(kNotice, kMargin, bottom - noticeHeight, width, noticeHeight);
    place(kResult, kMargin, bottom - noticeHeight - kGap - resultHeight, width, resultHeight);
    place(kTable, kMargin, y, width, std::max(40, bottom - noticeHeight - resultHeight - 2 * kGap - y));
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
}

std::wstring CheckWindow::ItemText(int id) const {
    HWND item = GetDlgItem(hwnd_, id);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
    return text;
}

void CheckWindow::Edited() {
    CheckForm form;
    for (std::size_t k = 0; k < kFormFields; ++k) form.fields[k] = Narrow(ItemText(FieldId(static_cast<FormField>(k))));
    form.downwards = IsDlgButtonChecked(hwnd_, kDownwards) == BST_CHECKED;
    model_.Edit(form);
}

void CheckWindow::Refresh() {
    filling_ = true;
    if (model_.FormKey() != shownForm_) {
        shownForm_ = model_.FormKey();
        const CheckForm& form = model_.Form();
        for (std::size_t k = 0; k < kFormFields; ++k)
            SetDlgItemTextW(hwnd_, FieldId(static_cast<FormField>(k)), Widen(form.fields[k]).c_str());
        CheckDlgButton(hwnd_, kDownwards, form.downwards ? BST_CHECKED : BST_UNCHECKED);
    }
    const CheckControls can = model_.Controls();
    for (std::size_t k = 0; k < kFormFields; ++k)
        EnableWindow(GetDlgItem(hwnd_, FieldId(static_cast<FormField>(k))), can.form);
    EnableWindow(GetDlgItem(hwnd_, kDownwards), can.form);
    std::string problems;
    for (const std::string& p : model_.Problems()) problems += (problems.empty() ? "" : "\n") + p;
    SetDlgItemTextW(hwnd_, kProblems, Widen(problems).c_str());

    const CheckPoint point = model_.Point();
    SetDlgItemTextW(hwnd_, kHeading, Widen(point.heading).c_str());
    SetDlgItemTextW(hwnd_, kApply, Widen(point.apply).c_str());
    SetDlgItemTextW(hwnd_, kMeasured, Widen(point.measured).c_str());
    SetDlgItemTextW(hwnd_, kState, Widen(point.state).c_str());
    SetDlgItemTextW(hwnd_, kReferenceLabel, Widen(point.referenceLabel.empty() ? "Reference:" : point.referenceLabel).c_str());
    if (point.key != shownPoint_) {
        shownPoint_ = point.key;
        SetDlgItemTextW(hwnd_, kReference, Widen(point.referenceDefault).c_str());
        SetDlgItemTextW(hwnd_, kMeter, L"");
    }
    const std::pair<int, bool> enabled[] = {{kReference, can.accept}, {kMeter, can.accept},     {kAsFound, can.start},
                                            {kAsLeft, can.start},     {kAccept, can.accept},    {kCutShort, can.cutShort},
                                            {kAbort, can.abort},      {kNewCheck, can.newCheck}, {kOpen, can.open},
                                            {kSave, can.save},        {kCertificate, can.certificate}};
    for (const auto& [id, on] : enabled) EnableWindow(GetDlgItem(hwnd_, id), on);
    ShowRows();
    SetDlgItemTextW(hwnd_, kDevice, Widen(model_.Device()).c_str());
    SetDlgItemTextW(hwnd_, kResult, Widen(model_.Result()).c_str());
    SetDlgItemTextW(hwnd_, kNotice, Widen(model_.Notice()).c_str());
    InvalidateRect(GetDlgItem(hwnd_, kResult), nullptr, TRUE);
    filling_ = false;
}

void CheckWindow::ShowRows() {
    std::vector<CheckRow> rows = model_.Rows();
    if (rows == shownRows_) return;
    SendMessageW(table_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(table_, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].cells.size(); ++c) {
            std::wstring text = Widen(rows[r].cells[c]);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(r);
            item.iSubItem = static_cast<int>(c);
            item.pszText = text.data();
            SendMessageW(table_, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, c == 0 ? 0 : r, reinterpret_cast<LPARAM>(&item));
        }
    }
    SizeColumns(rows);
    if (rows.size() > shownRows_.size() && !rows.empty()) SendMessageW(table_, LVM_ENSUREVISIBLE, rows.size() - 1, FALSE);
    SendMessageW(table_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(table_, nullptr, TRUE);
    shownRows_ = std::move(rows);
}

void CheckWindow::SizeColumns(const std::vector<CheckRow>& rows) {
    // Each column as wide as its widest text, its title included.
    HDC dc = GetDC(table_);
    const HGDIOBJ old = SelectObject(dc, font_);
    for (std::size_t c = 0; c < kCheckColumns.size(); ++c) {
        const auto widthOf = [&](const std::string& text) {
            const std::wstring w = Widen(text);
            SIZE size{};
            GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
            return static_cast<int>(size.cx);
        };
        int width = widthOf(kCheckColumns[c]);
        for (const CheckRow& row : rows) width = std::max(width, widthOf(row.cells[c]));
        SendMessageW(table_, LVM_SETCOLUMNWIDTH, c, width + 16);
    }
    SelectObject(dc, old);
    ReleaseDC(table_, dc);
}

bool CheckWindow::TakeDialogKeys(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
    return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

void CheckWindow::OnCommand(int id, int code) {
    if (id >= kField && id < kField + static_cast<int>(kFormFields)) {
        if (code == EN_CHANGE && !filling_) Edited();
        return;
    }
    const auto ask = [&](bool save, const char* caption, std::wstring filter) {
        return hooks_.ask ? hooks_.ask(hwnd_, save, caption, std::move(filter), L"json")
                          : std::optional<std::filesystem::path>();
    };
    switch (id) {
        case kDownwards:
            if (code == BN_CLICKED) Edited();
            return;
        case IDOK:  // Enter, from the dialog keys: in the point's edits it accepts
        case kAccept:
            if (IsWindowEnabled(GetDlgItem(hwnd_, kAccept)))
                model_.Accept(Narrow(ItemText(kReference)), Narrow(ItemText(kMeter)));
            return;
        case kAsFound: model_.Start(calib::RunKind::AsFound); return;
        case kAsLeft: model_.Start(calib::RunKind::AsLeft); return;
        case kCutShort: model_.CutShort(); return;
        case kAbort: model_.Abort(); return;
        case kNewCheck: model_.NewCheck(); return;
        case kSave: {
            const auto file = ask(true, text::kSaveRecordCaption, FileFilter({{text::kCheckRecordFiles, L"*.json"}}));
            if (!file) return;
            if (const std::string error = model_.SaveRecord(*file); !error.empty() && hooks_.complain) hooks_.complain(error);
            return;
        }
        case kCertificate: {
            if (!hooks_.print) return;
            const std::string error = hooks_.print(hwnd_, report::CertificateDocument(model_.Check().Session().Record()));
            if (!error.empty() && hooks_.complain) hooks_.complain(error);
            return;
        }
        case kOpen: {
            const auto file = ask(false, text::kOpenRecordCaption,
                                  FileFilter({{text::kCheckRecordFiles, L"*.json"}, {text::kAllFiles, L"*.*"}}));
            if (!file) return;
            if (const std::string error = model_.OpenRecord(*file); !error.empty() && hooks_.complain) hooks_.complain(error);
            return;
        }
        default: return;
    }
}

LRESULT CheckWindow::OnNotify(const NMHDR& header, LPARAM lParam) {
    if (header.hwndFrom != table_ || header.code != NM_CUSTOMDRAW) return 0;
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            // The verdict in its colour; every other cell as the system draws text.
            const auto row = static_cast<std::size_t>(draw->nmcd.dwItemSpec);
            const bool verdict = draw->iSubItem == static_cast<int>(kCheckColumns.size()) - 1;
            draw->clrText = verdict && row < shownRows_.size() ? ColourOf(shownRows_[row].shade)
                                                                : GetSysColor(COLOR_WINDOWTEXT);
            return CDRF_NEWFONT;
        }
        default: return CDRF_DODEFAULT;
    }
}

LRESULT CALLBACK CheckWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = ServedBy<CheckWindow>(hwnd);
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return Guarded(self->hooks_.complain, [&] { return self->Handle(message, wParam, lParam); });
}

LRESULT CheckWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE: Layout(); return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {720, 640};
            return 0;
        }
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lParam), lParam);
        case WM_CTLCOLORSTATIC: {
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            auto* dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            if (id == kProblems) SetTextColor(dc, ColourOf(Shade::Fail));
            if (id == kResult) SetTextColor(dc, ColourOf(model_.ResultShade()));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_CLOSE:
            // A run ends with the window; the record stays for its next opening.
            model_.Close();
            ShowWindow(hwnd_, SW_HIDE);
            return 0;
        default: return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

}  // namespace orv::app::win32
