// The updater's only window: where the data files are built on the PC and
// where they go on the handheld, the hint line, and the build, update and
// quit buttons.
#pragma once

#include <string>
#include <vector>

#include "base/StringList.h"
#include "ui/Buttons.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

namespace pelgrane {

using namespace menvaro;

class TUpdateForm : public TForm {
    MENVARO_CLASS(TUpdateForm, TForm)
public:
    using TForm::TForm;

    TPanel* Panel1 = nullptr;
    TLabel* Label1 = nullptr;
    TImage* imgLogo = nullptr;
    TLabel* lblHint = nullptr;
    TPanel* Panel2 = nullptr;
    TPanel* pnlParent = nullptr;
    TLabel* lblDataSource = nullptr;
    TSpeedButton* btnSource = nullptr;
    TLabel* Label2 = nullptr;
    TSpeedButton* btnDestination = nullptr;
    TEdit* edSource = nullptr;
    TEdit* edDestination = nullptr;
    TBitBtn* btnBuildData = nullptr;
    TBitBtn* btnUpdateData = nullptr;
    TBitBtn* btnClose = nullptr;

    // PC folder of the built files, ending in the path delimiter.
    std::string SourceFolder;
    // The folder on the handheld.
    std::string DeviceFolder;
    // The database connection string made at start-up.
    std::string ConnectionString;

    void FormCreate(TObject* Sender);
    void btnSourceClick(TObject* Sender);
    void btnCloseClick(TObject* Sender);
    void btnBuildDataClick(TObject* Sender);
    void btnUpdateDataClick(TObject* Sender);

private:
    struct TLocks;
    // Takes the locks of the PC folders and, with `handheld`, the handheld's,
    // each waiting a few seconds for another updater to let go. False (and
    // told in a message box) when another updater keeps one or a lock file
    // cannot be made; nothing is held then.
    bool TakeLocks(std::vector<std::string> folders, bool handheld, TLocks& locks);
    void LoadConnectionSettings();
    // The update's job: deletes the emptied files on the handheld and copies
    // the built ones; notes each file it could not copy.
    void CopyFilesToDevice(TObject* Sender);
    TStringList failedCopies_;
    bool copyRan_ = false;
};

extern TUpdateForm* UpdateForm;

// The bare names of the files in `Folder` that match the masks (";"
// between them), in search order, mask by mask: a name two masks match is
// listed twice. Folders are left out.
void ListFiles(const std::string& Folder, const std::string& Masks, TStringList& List);
// Deletes the files matching `Mask` in the program's subfolder `Sub`,
// creating the subfolder when it is missing.
void ClearExeSubfolder(const std::string& Sub, const std::string& Mask);

}  // namespace pelgrane
