// Menus: TMenuItem (a caption, a shortcut, OnClick, items below it),
// TMenu (a tree of items whose shortcuts work from the keyboard) and
// TPopupMenu, shown by Popup(x, y) as a drop-down window that the mouse and
// the keys drive until an item is chosen or the menu is dismissed.
//
// In a form file the items nest in their menu:
//
//   object pmList: TPopupMenu
//     object miOpen: TMenuItem
//       Caption = '打开(&O)'
//       ShortCut = 16463
//       OnClick = miOpenClick
//     end
//   end
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/Controls.h"

namespace menvaro {

class TMenu;

// A key with its shift state in one word: the virtual key in the low byte.
using TShortCut = std::uint16_t;
enum : TShortCut { scNone = 0, scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000 };
TShortCut ShortCut(std::uint16_t key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, std::uint16_t& key, TShiftState& shift);
// "Ctrl+S", "Shift+Del", "Alt+F4", "F2", "Ctrl+Alt+Enter"; "" for 0.
std::string ShortCutToText(TShortCut shortCut);
// The reverse, letter case ignored; 0 for a text that names no key.
TShortCut TextToShortCut(const std::string& text);

class TMenuItem : public TComponent {
    MENVARO_CLASS(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;
    // Leaves its parent item; its own items go with it.
    void BeforeDestruction() override;

    // "-" makes the item a separator line.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& s);
    bool Checked() const { return checked_; }
    void SetChecked(bool v);
    // Drawn bold: what a double click would choose.
    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut s);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& s) { hint_ = s; }
    bool IsLine() const { return caption_ == "-"; }

    TNotifyEvent OnClick;
    // OnClick when the item is enabled.
    virtual void Click();

    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const;
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    // Takes the item out (it stays its owner's).
    void Remove(TMenuItem* item);
    void Delete(int index);
    // Frees the items below this one.
    void Clear();
    int IndexOf(const TMenuItem* item) const;
    // The item of that caption, '&' and letter case ignored; nullptr when none.
    TMenuItem* Find(const std::string& caption) const;
    TMenuItem* Parent() const { return parent_; }
    // The menu the item belongs to (through its parents), or nullptr.
    TMenu* GetParentMenu() const;
    // A number of its own for the item, for the commands that choose it.
    std::uint32_t Command() const { return command_; }

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

private:
    friend class TMenu;
    void Changed();
    std::string caption_;
    bool checked_ = false;
    bool default_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    TShortCut shortCut_ = 0;
    std::string hint_;
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr;  // set on the menu's own root item
    std::uint32_t command_ = 0;
};

class TMenu : public TComponent {
    MENVARO_CLASS(TMenu, TComponent)
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;
    void BeforeDestruction() override;

    // The root item: the menu's items are its items.
    TMenuItem* Items() const { return items_; }
    // The enabled, visible item of that shortcut (searched depth first);
    // clicks it and answers true.
    bool IsShortCut(std::uint16_t key, TShiftState shift);
    TMenuItem* FindItemByShortCut(TShortCut shortCut) const;

    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

private:
    TMenuItem* items_ = nullptr;
};

enum TPopupAlignment { paLeft, paRight, paCenter };
MENVARO_DECLARE_ENUM(TPopupAlignment)

class TPopupMenu : public TMenu {
    MENVARO_CLASS(TPopupMenu, TMenu)
public:
    explicit TPopupMenu(TComponent* owner);

    // Where Popup's point lies: the menu's left edge, right edge or middle.
    TPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPopupAlignment a) { alignment_ = a; }
    // Shown by a right click on the controls that name it.
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool v) { autoPopup_ = v; }
    // The control it was last shown for.
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* c);
    TNotifyEvent OnPopup;

    // Shows the menu at a screen point (kept inside the work area of the
    // monitor there: a menu that does not fit opens to the other side of
    // the point) and runs until it closes. The mouse and the keys go to the
    // menu meanwhile: Up, Down, Home and End move through the items, Enter
    // or a click chooses one, an accelerator letter chooses its item, Esc,
    // Alt or a click elsewhere (which then goes on to where it was made)
    // dismisses it. A chosen item is clicked once the menu has closed, by
    // the next message handled after Popup returns.
    virtual void Popup(int x, int y);
    // The menu's window while it shows, else nullptr.
    TWinControl* PopupWindow() const { return window_; }

    void BeforeDestruction() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void PostCommand(TMenuItem* item);
    TPopupAlignment alignment_ = paLeft;
    bool autoPopup_ = true;
    TComponent* popupComponent_ = nullptr;
    TWinControl* window_ = nullptr;
    HWND commandWindow_ = 0;                                      // where a chosen item's command comes
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // false once the menu is going
};

}  // namespace menvaro
