// Small controls and a form class for the window, focus and painting tests
// and the form benchmark; the form is forms/TestForm.form.
#pragma once

#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/Forms.h"
#include "ui/Timers.h"

namespace menvaro {

// Every test control writes what it receives here.
std::vector<std::string>& TestLog();
void LogLine(const std::string& s);

// A windowed panel that holds other controls.
class TTestPanel : public TCustomControl {
    MENVARO_CLASS(TTestPanel, TCustomControl)
public:
    explicit TTestPanel(TComponent* owner);
    void Dispatch(TMessage& m) override;
};

// A windowless box painted in its colour.
class TTestBox : public TGraphicControl {
    MENVARO_CLASS(TTestBox, TGraphicControl)
public:
    explicit TTestBox(TComponent* owner);
    void Dispatch(TMessage& m) override;

protected:
    void Paint() override;
};

// A push button: focusable, Default/Cancel answer Enter/Esc, ModalResult
// goes to the form when clicked.
class TTestButton : public TCustomControl {
    MENVARO_CLASS(TTestButton, TCustomControl)
public:
    explicit TTestButton(TComponent* owner);
    bool Default = false;
    bool Cancel = false;
    int ModalResult = 0;
    void Click() override;
    void Dispatch(TMessage& m) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
};

// Takes typed characters into its Text.
class TTestEdit : public TCustomControl {
    MENVARO_CLASS(TTestEdit, TCustomControl)
public:
    explicit TTestEdit(TComponent* owner);
    void Dispatch(TMessage& m) override;

protected:
    void Paint() override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
};

class TTestForm : public TForm {
    MENVARO_CLASS(TTestForm, TForm)
public:
    using TForm::TForm;
    TTestPanel* Top1 = nullptr;
    TTestBox* Box1 = nullptr;
    TTestEdit* Edit1 = nullptr;
    TTestButton* btnOk = nullptr;
    TTestButton* btnCancel = nullptr;
    TTimer* Timer1 = nullptr;
    int ticks = 0;
    int activations = 0;
    std::vector<std::string> events;
    std::function<void()> onActivate;  // a job run inside the activation, as the busy window does
    void FormCreate(TObject*);
    void FormActivate(TObject*);
    void FormClose(TObject*, TCloseAction& action);
    void Timer1Timer(TObject*);
    void btnOkClick(TObject*);
    std::function<void()> onOk;
    void Dispatch(TMessage& m) override;
};

}  // namespace menvaro
