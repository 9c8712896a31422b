#include "ui/FolderBrowser.h"

#include <algorithm>
#include <filesystem>

#include "base/Files.h"
#include "base/ScopeGuard.h"
#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "ui/DialogParts.h"
#include "ui/Dialogs.h"
#include "ui/Forms.h"

namespace menvaro {

namespace {

constexpr int kIndent = 16;
constexpr int kScrollBarWidth = 8;

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// "/a/b/", "/a//b" and "/a/./b" are "/a/b"; "/" stays.
std::string NormalFolder(const std::string& path) {
    std::string p = std::filesystem::path(path).lexically_normal().string();
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p.empty() ? "/" : p;
}

}  // namespace

struct TFolderTree::Node {
    std::string name;
    std::string path;
    Node* parent = nullptr;
    int depth = 0;
    bool expanded = false;
    bool loaded = false;
    std::vector<std::unique_ptr<Node>> children;

    // A folder shows its box until it is opened and found empty.
    bool MayHaveChildren() const { return !loaded || !children.empty(); }

    void Load() {
        if (loaded) return;
        loaded = true;
        TSearchRec rec;
        ScopeGuard close([&] { FindClose(rec); });
        if (FindFirst(JoinPath(path, "*"), faDirectory, rec) == 0) {
            do {
                if (!(rec.Attr & faDirectory) || rec.Name == "." || rec.Name == "..") continue;
                auto child = std::make_unique<Node>();
                child->name = rec.Name;
                child->path = JoinPath(path, rec.Name);
                child->parent = this;
                child->depth = depth + 1;
                children.push_back(std::move(child));
            } while (FindNext(rec) == 0);
        }
    }

    Node* Child(const std::string& n) {
        Load();
        for (auto& c : children)
            if (c->name == n) return c.get();
        return nullptr;
    }
};

MENVARO_CLASS_INFO(TFolderTree) {}

TFolderTree::TFolderTree(TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 200, 200);
    SetRoot("");
}

TFolderTree::~TFolderTree() = default;

const std::string& TFolderTree::Root() const { return rootPath_; }

void TFolderTree::SetRoot(const std::string& root) {
    rootPath_ = NormalFolder(root.empty() ? "/" : root);
    root_ = std::make_unique<Node>();
    root_->path = rootPath_;
    root_->name = rootPath_ == "/" ? "/" : ExtractFileName(rootPath_);
    selected_ = nullptr;
    topRow_ = 0;
    Invalidate();
}

std::vector<TFolderTree::Node*> TFolderTree::Rows() const {
    std::vector<Node*> rows;
    std::vector<Node*> stack{root_.get()};
    while (!stack.empty()) {
        Node* n = stack.back();
        stack.pop_back();
        rows.push_back(n);
        if (n->expanded)
            for (auto it = n->children.rbegin(); it != n->children.rend(); ++it) stack.push_back(it->get());
    }
    return rows;
}

int TFolderTree::RowOf(const Node* node) const {
    std::vector<Node*> rows = Rows();
    auto it = std::find(rows.begin(), rows.end(), node);
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

TFolderTree::Node* TFolderTree::Find(const std::string& path) const {
    for (Node* n : Rows())
        if (n->path == path) return n;
    return nullptr;
}

int TFolderTree::ItemHeight() const {
    TCanvas measure;
    measure.Font().Assign(*Font());
    return std::max(16, measure.TextHeight("Wg") + 4);
}

int TFolderTree::VisibleRows() const { return std::max(1, (ClientHeight() - 4) / ItemHeight()); }

std::vector<std::string> TFolderTree::ShownPaths() const {
    std::vector<std::string> out;
    std::vector<Node*> rows = Rows();
    int end = std::min(static_cast<int>(rows.size()), topRow_ + VisibleRows());
    for (int i = topRow_; i < end; ++i) out.push_back(rows[static_cast<std::size_t>(i)]->path);
    return out;
}

TRect TFolderTree::RowRect(const std::string& path) const {
    Node* n = Find(path);
    int row = n ? RowOf(n) - topRow_ : -1;
    if (row < 0 || row >= VisibleRows()) return {};
    int h = ItemHeight();
    return Rect(2, 2 + row * h, ClientWidth() - 2 - kScrollBarWidth, 2 + (row + 1) * h);
}

TRect TFolderTree::BoxRect(const std::string& path) const {
    TRect row = RowRect(path);
    Node* n = Find(path);
    if (row.IsEmpty() || !n) return {};
    int x = row.Left + 2 + n->depth * kIndent;
    int y = row.Top + (row.Height() - 9) / 2;
    return Bounds(x, y, 9, 9);
}

std::string TFolderTree::SelectedPath() const { return selected_ ? selected_->path : std::string(); }

bool TFolderTree::Expanded(const std::string& path) const {
    Node* n = Find(path);
    return n && n->expanded;
}

void TFolderTree::SetExpanded(const std::string& path, bool expanded) {
    if (Node* n = Find(path)) Toggle(n, expanded);
}

void TFolderTree::Toggle(Node* node, bool expand) {
    if (expand == node->expanded) return;
    if (expand) node->Load();
    node->expanded = expand && !node->children.empty();
    // Closing a folder that holds the chosen one chooses the folder itself.
    if (!node->expanded && selected_)
        for (Node* p = selected_->parent; p; p = p->parent)
            if (p == node) {
                Choose(node);
                break;
            }
    ScrollTo(topRow_);
    Invalidate();
}

void TFolderTree::Choose(Node* node) {
    if (node == selected_) return;
    selected_ = node;
    KeepInSight(node);
    Invalidate();
    if (OnChange) OnChange(this);
}

void TFolderTree::ScrollTo(int top) {
    int rows = static_cast<int>(Rows().size());
    top = std::clamp(top, 0, std::max(0, rows - VisibleRows()));
    if (top == topRow_) return;
    topRow_ = top;
    Invalidate();
}

void TFolderTree::KeepInSight(Node* node) {
    int row = RowOf(node);
    if (row < 0) return;
    if (row < topRow_)
        ScrollTo(row);
    else if (row >= topRow_ + VisibleRows())
        ScrollTo(row - VisibleRows() + 1);
}

bool TFolderTree::SelectPath(const std::string& path) {
    std::string p = NormalFolder(path);
    // Folder names tell letter case apart.
    bool inside = p == rootPath_ || p.starts_with(rootPath_ == "/" ? "/" : rootPath_ + "/");
    if (!inside) return false;
    Node* n = root_.get();
    bool found = true;
    std::string rest = p.substr(rootPath_.size());
    for (const std::string& part : SplitString(rest, '/')) {
        if (part.empty()) continue;
        Node* next = n->Child(part);
        if (!next) {
            found = false;
            break;
        }
        Toggle(n, true);
        n = next;
    }
    Choose(n);
    KeepInSight(n);
    return found;
}

void TFolderTree::Paint() {
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    c.DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    c.Brush().SetColor(Color());
    c.FillRect(r);
    std::vector<Node*> rows = Rows();
    int h = ItemHeight();
    int shown = VisibleRows();
    c.SetClipRect(Rect(r.Left, r.Top, r.Right - kScrollBarWidth, r.Bottom));
    bool focused = Focused();
    for (int i = 0; i < shown && topRow_ + i < static_cast<int>(rows.size()); ++i) {
        Node* n = rows[static_cast<std::size_t>(topRow_ + i)];
        TRect row = Rect(2, 2 + i * h, r.Right - kScrollBarWidth, 2 + (i + 1) * h);
        int x = row.Left + 2 + n->depth * kIndent;
        int midY = row.Top + h / 2;
        if (n->MayHaveChildren()) {
            TRect box = Bounds(x, midY - 4, 9, 9);
            c.Brush().SetColor(clWindow);
            c.FillRect(box);
            c.Brush().SetColor(clGray);
            c.FrameRect(box);
            c.Brush().SetColor(clWindowText);
            c.FillRect(Rect(x + 2, midY, x + 7, midY + 1));
            if (!n->expanded) c.FillRect(Rect(x + 4, midY - 2, x + 5, midY + 3));
        }
        // A folder of our own drawing: a tab and a body.
        int fx = x + 13, fy = midY - 5;
        c.Brush().SetColor(RGB(200, 150, 30));
        c.FillRect(Rect(fx, fy, fx + 6, fy + 2));
        c.FillRect(Rect(fx, fy + 2, fx + 15, fy + 12));
        c.Brush().SetColor(RGB(250, 210, 90));
        c.FillRect(Rect(fx + 1, fy + 3, fx + 14, fy + 11));
        std::string label = n->name;
        int tx = fx + 19;
        int tw = c.TextWidth(label) + 4;
        TRect textRect = Rect(tx - 2, row.Top + 1, tx - 2 + tw, row.Bottom - 1);
        bool isSelected = n == selected_;
        if (isSelected) {
            c.Brush().SetColor(focused ? clHighlight : clBtnFace);
            c.FillRect(textRect);
        }
        c.Brush().SetStyle(bsClear);
        c.Font().SetColor(isSelected && focused ? clHighlightText : clWindowText);
        c.TextOut(tx, row.Top + (h - c.TextHeight(label)) / 2, label);
        c.Brush().SetStyle(bsSolid);
        if (isSelected && focused) c.DrawFocusRect(textRect);
    }
    c.ClearClip();
    // Where the rows in sight stand among all of them.
    TRect track = Rect(r.Right - kScrollBarWidth, r.Top, r.Right, r.Bottom);
    c.Brush().SetColor(clBtnFace);
    c.FillRect(track);
    int total = static_cast<int>(rows.size());
    if (total > shown) {
        int span = track.Height();
        int thumbTop = track.Top + span * topRow_ / total;
        int thumbBottom = track.Top + span * std::min(total, topRow_ + shown) / total;
        c.Brush().SetColor(clBtnShadow);
        c.FillRect(Rect(track.Left + 1, thumbTop, track.Right - 1, std::max(thumbBottom, thumbTop + 4)));
    }
}

void TFolderTree::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        TRect client = ClientRect();
        if (x >= client.Right - 2 - kScrollBarWidth) {
            // The track pages up or down.
            int total = static_cast<int>(Rows().size());
            int thumbTop = 2 + (client.Height() - 4) * topRow_ / std::max(1, total);
            ScrollTo(topRow_ + (y < thumbTop ? -VisibleRows() : VisibleRows()));
        } else {
            int row = (y - 2) / ItemHeight();
            std::vector<Node*> rows = Rows();
            int index = topRow_ + row;
            if (y >= 2 && row < VisibleRows() && index < static_cast<int>(rows.size())) {
                Node* n = rows[static_cast<std::size_t>(index)];
                TRect box = BoxRect(n->path);
                if (n->MayHaveChildren() && x >= box.Left - 2 && x < box.Right + 2)
                    Toggle(n, !n->expanded);
                else
                    Choose(n);
            }
        }
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TFolderTree::DblClick() {
    TCustomControl::DblClick();
    if (selected_) Toggle(selected_, !selected_->expanded);
}

void TFolderTree::KeyDown(std::uint16_t& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    std::vector<Node*> rows = Rows();
    int at = selected_ ? RowOf(selected_) : -1;
    int last = static_cast<int>(rows.size()) - 1;
    auto go = [&](int row) { Choose(rows[static_cast<std::size_t>(std::clamp(row, 0, last))]); };
    switch (key) {
        case VK_UP: go(at - 1); break;
        case VK_DOWN: go(at + 1); break;
        case VK_PRIOR: go(at - VisibleRows() + 1); break;
        case VK_NEXT: go(at + VisibleRows() - 1); break;
        case VK_HOME: go(0); break;
        case VK_END: go(last); break;
        case VK_RIGHT:
            if (!selected_) break;
            if (!selected_->expanded)
                Toggle(selected_, true);
            else if (!selected_->children.empty())
                Choose(selected_->children.front().get());
            break;
        case VK_LEFT:
            if (!selected_) break;
            if (selected_->expanded)
                Toggle(selected_, false);
            else if (selected_->parent)
                Choose(selected_->parent);
            break;
        case VK_ADD:
            if (selected_) Toggle(selected_, true);
            break;
        case VK_SUBTRACT:
            if (selected_) Toggle(selected_, false);
            break;
        default: return;
    }
    key = 0;
}

void TFolderTree::KeyPress(char& key) {
    TCustomControl::KeyPress(key);
    if (!selected_) return;
    if (key == '+' || key == '-') {
        Toggle(selected_, key == '+');
        key = 0;
    }
}

bool TFolderTree::DoMouseWheel(TShiftState shift, int delta, TPoint mousePos) {
    if (TCustomControl::DoMouseWheel(shift, delta, mousePos)) return true;
    ScrollTo(topRow_ - delta / 120 * 3);
    return true;
}

void TFolderTree::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_GETDLGCODE: m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; return;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_SIZE: Invalidate(); break;
        default: break;
    }
    TCustomControl::Dispatch(m);
}

// ---------------------------------------------------------------- dialog

namespace {

class TFolderBrowserForm : public TForm {
    MENVARO_CLASS(TFolderBrowserForm, TForm)
public:
    explicit TFolderBrowserForm(TComponent* owner) : TForm(owner) { SetCreateNew(); }

    void Build(const std::string& caption, const std::string& root) {
        SetBorderStyle(bsDialog);
        SetBorderIcons({biSystemMenu});
        SetPosition(poScreenCenter);
        SetCaption("浏览文件夹");
        SetDialogFont(*Font());
        constexpr int width = 320, margin = 12;
        TControl* title = MakeDialogText(this, "Title", caption);
        TCanvas measure;
        measure.Font().Assign(*Font());
        TRect tr = Bounds(0, 0, width - 2 * margin, 0);
        measure.DrawText(caption.empty() ? " " : caption, tr, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        title->SetBounds(margin, margin, width - 2 * margin, tr.Height());
        int y = margin + tr.Height() + 8;
        tree_ = Create<TFolderTree>(this);
        tree_->SetName("FolderTree");
        tree_->SetParent(this);
        tree_->SetRoot(root);
        tree_->SetBounds(margin, y, width - 2 * margin, 240);
        tree_->SetTabOrder(0);
        y += 240 + 8;
        path_ = MakeDialogEdit(this, "Folder");
        path_->SetBounds(margin, y, width - 2 * margin, 21);
        path_->SetTabOrder(1);
        y += 21 + 14;
        TWinControl* ok = MakeDialogButton(this, "OK", "确定", mrNone, true, false);
        ok->SetBounds(width - margin - 2 * 75 - 8, y, 75, 25);
        ok->SetTabOrder(2);
        ok->OnClick = [this](TObject*) { Accept(); };
        TWinControl* cancel = MakeDialogButton(this, "Cancel", "取消", mrCancel, false, true);
        cancel->SetBounds(width - margin - 75, y, 75, 25);
        cancel->SetTabOrder(3);
        tree_->OnChange = [this](TObject*) { path_->SetText(tree_->SelectedPath()); };
        SetClientSize(width, y + 25 + margin);
        SetActiveControl(tree_);
    }

    void Start(const std::string& folder) {
        if (folder.empty() || !tree_->SelectPath(folder)) {
            if (tree_->SelectedPath().empty()) tree_->SelectPath(tree_->Root());
        }
        tree_->SetExpanded(tree_->SelectedPath(), true);
    }

    const std::string& Chosen() const { return chosen_; }

private:
    void Accept() {
        std::string text = Trim(path_->Text());
        if (text.empty()) return;
        std::string path = text[0] == '/' ? text : JoinPath(tree_->SelectedPath(), text);
        path = NormalFolder(path);
        if (!DirectoryExists(path)) {
            MessageBox(WindowHandle(), "文件夹不存在:\n" + path, Caption(), MB_OK | MB_ICONERROR);
            return;
        }
        chosen_ = path;
        SetModalResult(mrOk);
    }

    TFolderTree* tree_ = nullptr;
    TWinControl* path_ = nullptr;
    std::string chosen_;
};

}  // namespace

MENVARO_CLASS_INFO(TFolderBrowserForm) {}

bool SelectDirectory(const std::string& caption, const std::string& root, std::string& directory) {
    TOwned<TFolderBrowserForm> form(Create<TFolderBrowserForm>(Application));
    form->Build(caption, root);
    form->Start(directory);
    if (form->ShowModal() != mrOk) return false;
    directory = form->Chosen();
    return true;
}

}  // namespace menvaro
