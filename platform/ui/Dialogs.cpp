#include "ui/Dialogs.h"

#include <algorithm>
#include <vector>

#include "classes/ClassBuilder.h"
#include "ui/DialogParts.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TMsgDlgType, mtWarning, mtError, mtInformation, mtConfirmation, mtCustom)
MENVARO_DEFINE_ENUM(TMsgDlgBtn, mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll,
                    mbHelp)

namespace {

struct KindInfo {
    const char* name;
    const char* caption;  // the class library's caption
    TModalResult result;
};

const KindInfo kKinds[] = {
    {"Yes", "&Yes", mrYes},
    {"No", "&No", mrNo},
    {"OK", "OK", mrOk},
    {"Cancel", "Cancel", mrCancel},
    {"Abort", "&Abort", mrAbort},
    {"Retry", "&Retry", mrRetry},
    {"Ignore", "&Ignore", mrIgnore},
    {"All", "&All", mrAll},
    {"NoToAll", "N&o to All", mrNoToAll},
    {"YesToAll", "Yes to &All", mrYesToAll},
    {"Help", "&Help", mrNone},
};

const char* const kTypeCaptions[] = {"Warning", "Error", "Information", "Confirm", nullptr};

// Layout of the dialog, in pixels.
constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kIconGap = 12;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 8;
constexpr int kTextToButtons = 16;

// The part of the screen a dialog keeps to.
TRect DialogWorkArea() { return Screen->WorkAreaRect(); }

// `text` as the dialog shows it in lines at most `width` wide and no more
// than `maxLines` of them: unchanged where it fits; otherwise broken into
// its lines, a word wider than a line broken between characters, and a
// text with too many lines cut after a whole line with a note of how many
// are left out.
std::string FitMessageText(TCanvas& measure, const std::string& text, int width, int maxLines) {
    const unsigned flags = DT_WORDBREAK | DT_NOPREFIX;
    TRect plain = Bounds(0, 0, width, 0);
    measure.DrawText(text.empty() ? " " : text, plain, DT_CALCRECT | flags);
    const std::vector<std::string> lines = measure.TextLines(text, width, flags | DT_EDITCONTROL);
    const int count = static_cast<int>(lines.size());
    if (plain.Width() <= width && count <= maxLines) return text;
    const int keep = count <= maxLines ? count : std::max(0, maxLines - 1);
    std::string shown;
    for (int i = 0; i < keep; ++i) shown += (i ? "\r\n" : "") + lines[static_cast<std::size_t>(i)];
    if (keep < count) shown += (keep ? "\r\n" : "") + std::string("…(还有") + std::to_string(count - keep) + "行没有显示)";
    return shown;
}

class TDialogIcon : public TGraphicControl {
    MENVARO_CLASS(TDialogIcon, TGraphicControl)
public:
    explicit TDialogIcon(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, kIconSize, kIconSize); }
    TMsgDlgType Type = mtCustom;

protected:
    void Paint() override { DrawMessageIcon(*Canvas(), 0, 0, Type); }
};

}  // namespace

MENVARO_CLASS_INFO(TDialogIcon) {}

const char* MsgDlgButtonName(TMsgDlgBtn kind) { return kKinds[kind].name; }
TModalResult MsgDlgButtonResult(TMsgDlgBtn kind) { return kKinds[kind].result; }

// ------------------------------------------------------------ TMessageForm

MENVARO_CLASS_INFO(TMessageForm) {}

TMessageForm::TMessageForm(TComponent* owner) : TForm(owner) { SetCreateNew(); }

void TMessageForm::DoShow() {
    // Placed on the screen, it is moved inside the work area.
    const TRect work = DialogWorkArea();
    const int l = std::max(work.Left, std::min(Left(), work.Right - Width()));
    const int t = std::max(work.Top, std::min(Top(), work.Bottom - Height()));
    if (l != Left() || t != Top()) SetBounds(l, t, Width(), Height());
    TForm::DoShow();
}

bool TMessageForm::CloseQuery() {
    // The desktop's close button asks for Cancel; a box that offers no way
    // out but its buttons stays.
    if (!closable_ && ModalResult() == mrCancel) return false;
    return TForm::CloseQuery();
}

struct TMessageFormBuilder {
    struct Button {
        TMsgDlgBtn kind;
        std::string caption;
    };

    // `defaultIndex` and `cancelIndex` point into `buttons` (-1: none).
    static TMessageForm* Build(const std::string& text, TMsgDlgType type, const std::string& caption,
                               const std::vector<Button>& buttons, int defaultIndex, int cancelIndex,
                               bool closable = true) {
        TOwned<TMessageForm> form(Create<TMessageForm>(Application));
        TMessageForm* f = form.get();
        f->closable_ = closable;
        f->SetBorderStyle(bsDialog);
        f->SetBorderIcons({biSystemMenu});
        f->SetPosition(poScreenCenter);
        f->SetCaption(caption);
        SetDialogFont(*f->Font());

        int textLeft = kMargin;
        if (type != mtCustom) {
            auto* icon = Create<TDialogIcon>(f);
            icon->SetName("Image");
            icon->Type = type;
            icon->SetParent(f);
            icon->SetBounds(kMargin, kMargin, kIconSize, kIconSize);
            textLeft += kIconSize + kIconGap;
        }

        // The dialog never exceeds the work area: the text is broken into
        // lines no wider than half of it, and a text taller than the room
        // above the buttons is cut.
        const TRect work = DialogWorkArea();
        const int maxClientWidth = work.Width() - (f->Width() - f->ClientWidth());
        const int maxClientHeight = work.Height() - (f->Height() - f->ClientHeight());
        TCanvas measure;
        measure.Font().Assign(*f->Font());
        const int lineWidth = std::max(1, std::min(std::max(work.Width() / 2, 200), maxClientWidth - textLeft - kMargin));
        const int roomHeight =
            maxClientHeight - kMargin - kTextToButtons - (buttons.empty() ? 0 : kButtonHeight) - kMargin;
        const std::string shown =
            FitMessageText(measure, text, lineWidth, std::max(1, roomHeight / measure.TextMetrics().Height));
        TRect tr = Bounds(0, 0, lineWidth, 0);
        measure.DrawText(shown.empty() ? " " : shown, tr, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        int bandHeight = type != mtCustom ? std::max(tr.Height(), kIconSize) : tr.Height();
        TControl* message = MakeDialogText(f, "Message", shown);
        message->SetBounds(textLeft, kMargin + (bandHeight - tr.Height()) / 2, tr.Width() + 1, tr.Height());

        std::vector<int> widths;
        int buttonsWidth = 0;
        for (const Button& b : buttons) {
            int w = std::max(kButtonWidth, measure.TextWidth(b.caption) + 16);
            widths.push_back(w);
            buttonsWidth += w;
        }
        if (!buttons.empty()) buttonsWidth += kButtonGap * (static_cast<int>(buttons.size()) - 1);
        int clientWidth = std::max(textLeft + tr.Width() + kMargin, buttonsWidth + 2 * kMargin);
        int top = kMargin + bandHeight + kTextToButtons;
        int x = (clientWidth - buttonsWidth) / 2;
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            const Button& b = buttons[i];
            bool isDefault = static_cast<int>(i) == defaultIndex;
            TWinControl* button = MakeDialogButton(f, kKinds[b.kind].name, b.caption, kKinds[b.kind].result, isDefault,
                                                   static_cast<int>(i) == cancelIndex);
            button->SetBounds(x, top, widths[i], kButtonHeight);
            button->SetTabOrder(static_cast<int>(i));
            if (b.kind == mbHelp) button->OnClick = [f](TObject*) { Application->HelpContext(f->HelpContext()); };
            if (isDefault) f->SetActiveControl(button);
            x += widths[i] + kButtonGap;
        }
        f->SetClientSize(clientWidth, top + (buttons.empty() ? 0 : kButtonHeight) + kMargin);
        return form.release();
    }
};

TMessageForm* CreateMessageDialog(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                                  TMsgDlgBtn defaultButton) {
    std::vector<TMessageFormBuilder::Button> list;
    int defaultIndex = -1;
    int cancelIndex = -1;
    TMsgDlgBtn cancelButton = buttons.Contains(mbCancel) ? mbCancel : buttons.Contains(mbNo) ? mbNo : mbOK;
    for (int k = mbYes; k <= mbHelp; ++k) {
        auto kind = static_cast<TMsgDlgBtn>(k);
        if (!buttons.Contains(kind)) continue;
        if (kind == defaultButton) defaultIndex = static_cast<int>(list.size());
        if (kind == cancelButton) cancelIndex = static_cast<int>(list.size());
        list.push_back({kind, kKinds[k].caption});
    }
    std::string caption = kTypeCaptions[type] ? kTypeCaptions[type] : (Application ? Application->Title() : "");
    return TMessageFormBuilder::Build(msg, type, caption, list, defaultIndex, cancelIndex);
}

TMessageForm* CreateMessageDialog(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons) {
    TMsgDlgBtn def = buttons.Contains(mbOK) ? mbOK : buttons.Contains(mbYes) ? mbYes : mbRetry;
    return CreateMessageDialog(msg, type, buttons, def);
}

int MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) {
    TOwned<TMessageForm> dialog(CreateMessageDialog(msg, type, buttons));
    dialog->SetHelpContext(helpContext);
    return dialog->ShowModal();
}

// ------------------------------------------------------------- MessageBox

namespace {

std::vector<TMessageFormBuilder::Button> BoxButtons(UINT flags) {
    // The system's own captions.
    const TMessageFormBuilder::Button ok{mbOK, "确定"}, cancel{mbCancel, "取消"}, abort{mbAbort, "中止(&A)"},
        retry{mbRetry, "重试(&R)"}, ignore{mbIgnore, "忽略(&I)"}, yes{mbYes, "是(&Y)"}, no{mbNo, "否(&N)"};
    switch (flags & 0x0F) {
        case MB_OKCANCEL: return {ok, cancel};
        case MB_ABORTRETRYIGNORE: return {abort, retry, ignore};
        case MB_YESNOCANCEL: return {yes, no, cancel};
        case MB_YESNO: return {yes, no};
        case MB_RETRYCANCEL: return {retry, cancel};
        default: return {ok};
    }
}

TMsgDlgType BoxIcon(UINT flags) {
    switch (flags & 0xF0) {
        case MB_ICONERROR: return mtError;
        case MB_ICONQUESTION: return mtConfirmation;
        case MB_ICONWARNING: return mtWarning;
        case MB_ICONINFORMATION: return mtInformation;
        default: return mtCustom;
    }
}

}  // namespace

int RunMessageBox(const std::string& text, const std::string& caption, UINT flags) {
    std::vector<TMessageFormBuilder::Button> buttons = BoxButtons(flags);
    int count = static_cast<int>(buttons.size());
    int def = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : 0;
    def = std::min(def, count - 1);
    // Esc and the close button answer Cancel; a box with only OK answers OK.
    int cancel = -1;
    for (int i = 0; i < count; ++i)
        if (buttons[static_cast<std::size_t>(i)].kind == mbCancel) cancel = i;
    bool okOnly = count == 1;
    if (okOnly) cancel = 0;
    TOwned<TMessageForm> box(
        TMessageFormBuilder::Build(text, BoxIcon(flags), caption, buttons, def, cancel, cancel >= 0));
    if (flags & (MB_TOPMOST | MB_SYSTEMMODAL | MB_SERVICE_NOTIFICATION)) box->SetFormStyle(fsStayOnTop);
    MessageBeep(flags & 0xF0);
    int answer = box->ShowModal();
    return answer == mrCancel && okOnly ? IDOK : answer;
}

int MessageBox(HWND, const std::string& text, const std::string& caption, UINT flags) {
    // The box is modal to every window of the task, its owner among them.
    return ShowMessageBox(text, caption, flags);
}

// ------------------------------------------------------------------ icons

void DrawMessageIcon(TCanvas& c, int x, int y, TMsgDlgType type) {
    if (type == mtCustom) return;
    TCanvasStateSaver saved(c);
    c.MoveOrigin(x, y);
    c.Pen().SetWidth(1);
    c.Pen().SetStyle(psSolid);
    c.Brush().SetStyle(bsSolid);
    auto disc = [&](TColor fill, TColor rim) {
        c.Pen().SetColor(rim);
        c.Brush().SetColor(fill);
        c.Ellipse(0, 0, 32, 32);
    };
    auto dot = [&](int cx, int cy, TColor colour) {
        c.Pen().SetColor(colour);
        c.Brush().SetColor(colour);
        c.Ellipse(cx - 3, cy - 3, cx + 3, cy + 3);
    };
    auto stroke = [&](std::initializer_list<TPoint> points, TColor colour) {
        c.Pen().SetColor(colour);
        c.Pen().SetWidth(4);
        c.Polyline(points);
        c.Pen().SetWidth(1);
    };
    switch (type) {
        case mtWarning:
            c.Pen().SetColor(RGB(140, 100, 0));
            c.Brush().SetColor(RGB(255, 204, 0));
            c.Polygon({{16, 1}, {31, 29}, {1, 29}});
            c.Pen().SetColor(clBlack);
            c.Brush().SetColor(clBlack);
            c.Polygon({{14, 10}, {18, 10}, {17, 20}, {15, 20}});
            dot(16, 24, clBlack);
            break;
        case mtError:
            disc(RGB(214, 40, 40), RGB(140, 20, 20));
            stroke({{10, 10}, {22, 22}}, clWhite);
            stroke({{22, 10}, {10, 22}}, clWhite);
            break;
        case mtInformation:
            disc(RGB(30, 100, 210), RGB(20, 60, 140));
            dot(16, 8, clWhite);
            c.Brush().SetColor(clWhite);
            c.FillRect(Rect(14, 13, 18, 26));
            c.FillRect(Rect(12, 13, 14, 15));
            c.FillRect(Rect(12, 24, 20, 26));
            break;
        case mtConfirmation:
            disc(RGB(30, 100, 210), RGB(20, 60, 140));
            stroke({{11, 11}, {12, 8}, {15, 6}, {18, 6}, {21, 8}, {21, 12}, {18, 15}, {16, 17}, {16, 19}}, clWhite);
            dot(16, 24, clWhite);
            break;
        case mtCustom: break;
    }
}

}  // namespace menvaro
