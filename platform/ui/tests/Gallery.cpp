// The gallery: every standard control on one form (forms/Gallery.form),
// with the updater's banner, buttons and busy-window parts; pnlFree holds
// the backup tool's pages with their date pickers, and the first page a
// list box with its popup menu, a scroll bar, a shape and a masked edit. Run under a UI script by
// GalleryTest.
#include "classes/ClassBuilder.h"
#include "ui/Animate.h"
#include "ui/Buttons.h"
#include "ui/DateTimePicker.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/ListBox.h"
#include "ui/MaskEdit.h"
#include "ui/Menus.h"
#include "ui/PageControl.h"
#include "ui/ProgressBar.h"
#include "ui/ScrollBar.h"
#include "ui/StdCtrls.h"

using namespace menvaro;

class TGalleryForm : public TForm {
    MENVARO_CLASS(TGalleryForm, TForm)
public:
    using TForm::TForm;
    TPanel* Panel1 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* lblHint = nullptr;
    TImage* imgLogo = nullptr;
    TSpeedButton* btnSource = nullptr;
    TEdit* edSource = nullptr;
    TBitBtn* btnBuildData = nullptr;
    TBitBtn* btnUpdateData = nullptr;
    TEdit* edUser = nullptr;
    TLabel* lblCount = nullptr;
    TProgressBar* ProgressBar = nullptr;
    TAnimate* Animate1 = nullptr;
    TPanel* pnlFree = nullptr;
    TPageControl* pgTooltype = nullptr;
    TDateTimePicker* dtpBackupDate = nullptr;
    TListBox* lbxDishes = nullptr;
    TLabel* lblPicked = nullptr;
    int builds = 0;

    void FormCreate(TObject*) { lblHint->SetCaption("请生成资料"); }
    void btnSourceClick(TObject*) { edSource->SetText("/home/menvaro/数据/"); }
    void btnBuildDataClick(TObject*) {
        lblCount->SetCaption(std::to_string(++builds));
        btnUpdateData->SetEnabled(true);
        ProgressBar->StepIt();
    }
    void btnOkClick(TObject*) { lblCount->SetCaption(edUser->Text()); }
    void lbxDishesClick(TObject*) { lblPicked->SetCaption(lbxDishes->Items()->Strings(lbxDishes->ItemIndex())); }
    void miRecommendClick(TObject*) { lblPicked->SetCaption("推荐: " + lblPicked->Caption()); }
};

MENVARO_CLASS_INFO(TGalleryForm){
    MENVARO_PUBLISHED_FIELDS(Panel1, Label1, lblHint, imgLogo, btnSource, edSource, btnBuildData, btnUpdateData, edUser,
                             lblCount, ProgressBar, Animate1, pnlFree, pgTooltype, dtpBackupDate, lbxDishes, lblPicked)
        MENVARO_PUBLISHED_METHODS(FormCreate, btnSourceClick, btnBuildDataClick, btnOkClick, lbxDishesClick,
                                  miRecommendClick)}

TGalleryForm* Gallery = nullptr;

int main() {
    Application->Initialize();
    Application->SetTitle("Gallery");
    Application->CreateForm(Gallery);
    Application->Run();
    return Application->ExitCode;
}
