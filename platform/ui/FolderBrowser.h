// The folder browser: a modal dialog with the caller's caption above a tree
// of folders, a line with the chosen folder's path, OK and Cancel.
//
// The tree opens a folder's subfolders when it is expanded (a click on its
// box, a double click, Right or "+"); Up and Down move, Left closes or goes
// to the parent. The path line follows the tree and may be typed into: OK
// takes what it names (relative to the folder chosen in the tree) when that
// folder exists, and says so otherwise.
//
// A UI script chooses a folder with `type Folder "/path/to/it"` and `click
// OK`, or gives up with `click Cancel` (the dialog's parts are named
// "Title", "FolderTree", "Folder", "OK" and "Cancel").
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/Controls.h"

namespace menvaro {

// Shows the browser. `root` is the top of the tree ("": the file system's
// root); `directory` is where it starts (a missing folder starts at its
// nearest existing parent). OK stores the chosen folder without a trailing
// delimiter ("/" stays) in `directory` and answers true; Cancel leaves it
// and answers false.
bool SelectDirectory(const std::string& caption, const std::string& root, std::string& directory);

class TFolderTree : public TCustomControl {
    MENVARO_CLASS(TFolderTree, TCustomControl)
public:
    explicit TFolderTree(TComponent* owner);
    ~TFolderTree() override;

    // The top folder; "" is "/". Clears the tree.
    void SetRoot(const std::string& root);
    const std::string& Root() const;
    // Opens the folders down to `path` and chooses it; when a folder on the
    // way is missing, the last one that exists is chosen and false answered.
    bool SelectPath(const std::string& path);
    // The chosen folder ("" when none).
    std::string SelectedPath() const;
    bool Expanded(const std::string& path) const;
    void SetExpanded(const std::string& path, bool expanded);

    // The folders shown, top to bottom, and where their rows and boxes are
    // (client coordinates; empty when the folder is not in sight).
    std::vector<std::string> ShownPaths() const;
    TRect RowRect(const std::string& path) const;
    TRect BoxRect(const std::string& path) const;
    int ItemHeight() const;

    TNotifyEvent OnChange;

    void Dispatch(TMessage& m) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void DblClick() override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    bool DoMouseWheel(TShiftState shift, int delta, TPoint mousePos) override;

private:
    struct Node;
    std::vector<Node*> Rows() const;
    Node* Find(const std::string& path) const;
    void Choose(Node* node);
    void Toggle(Node* node, bool expand);
    void ScrollTo(int top);
    void KeepInSight(Node* node);
    int VisibleRows() const;
    int RowOf(const Node* node) const;

    std::unique_ptr<Node> root_;
    Node* selected_ = nullptr;
    int topRow_ = 0;
    std::string rootPath_;
};

}  // namespace menvaro
