// The backup tool's main window. Its creation handler does the whole
// start-up: the default backup folder, the server objects, the connection
// settings, the login and the connection. Its two pages back the product
// database up into a dated file, deleting older backups, and restore it from
// such a file. The server writes and reads the backup files; the tool names
// them.
#pragma once

#include <functional>
#include <string>

#include "base/DateTime.h"
#include "dbadmin/ServerObjects.h"
#include "decorated/MyCoolGroupBox.h"
#include "decorated/MyCoolLabel.h"
#include "decorated/UGlassPanel.h"
#include "decorated/fxLabel.h"
#include "decorated/fxShapeBtn.h"
#include "edit/DBCtrlsEx.h"
#include "ui/Buttons.h"
#include "ui/DateTimePicker.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/PageControl.h"
#include "ui/StdCtrls.h"

namespace storvik {

class TfrmDataTools : public menvaro::TForm {
    MENVARO_CLASS(TfrmDataTools, menvaro::TForm)
public:
    using TForm::TForm;

    menvaro::TUGlassPanel* uglpanelBg = nullptr;
    menvaro::TUGlassPanel* uglpanelInfo = nullptr;
    menvaro::TImage* imgIsgn = nullptr;
    menvaro::TfxLabel* lblName = nullptr;
    menvaro::TPageControl* pgTooltype = nullptr;
    menvaro::TTabSheet* TabSheet4 = nullptr;
    menvaro::TMyCoolGroupBox* MyCoolGroupBox4 = nullptr;
    menvaro::TSpeedButton* sbtnBackupDir = nullptr;
    menvaro::TEdit* edBackupDir = nullptr;
    menvaro::TMyCoolLabel* MyCoolLabel1 = nullptr;
    menvaro::TDateTimePicker* dtpBackupDate = nullptr;
    menvaro::TMyCoolLabel* MyCoolLabel4 = nullptr;
    menvaro::TDBNumberEditEx* edtSaveBackupDays = nullptr;
    menvaro::TfxShapeBtn* fxbtnBackup = nullptr;
    menvaro::TfxShapeBtn* fxSbtnClose1 = nullptr;
    menvaro::TTabSheet* TabSheet5 = nullptr;
    menvaro::TMyCoolGroupBox* MyCoolGroupBox5 = nullptr;
    menvaro::TSpeedButton* sbtnResumeDir = nullptr;
    menvaro::TEdit* edResumeDir = nullptr;
    menvaro::TMyCoolLabel* MyCoolLabel2 = nullptr;
    menvaro::TDateTimePicker* dtpResumeDate = nullptr;
    menvaro::TMyCoolLabel* MyCoolLabel3 = nullptr;
    menvaro::TfxShapeBtn* fxbtnResume = nullptr;
    menvaro::TfxShapeBtn* fxSbtnClose2 = nullptr;

    // The folder of the current backup or restore, ending in the path delimiter.
    std::string BackupDir;
    // The backup file being written or read.
    std::string BackupFile;
    // From the settings; only ServerName and DatabaseName are used.
    std::string ServerName;
    std::string DatabaseName;
    std::string LoginUser;
    std::string LoginPasswd;

    void FormCreate(menvaro::TObject* Sender);
    void sbtnBackupDirClick(menvaro::TObject* Sender);
    void sbtnResumeDirClick(menvaro::TObject* Sender);
    void fxbtnBackupClick(menvaro::TObject* Sender);
    void fxbtnResumeClick(menvaro::TObject* Sender);
    void fxSbtnClose1Click(menvaro::TObject* Sender);

private:
    void CreateDmoObjects();
    bool ConnectServer(const std::string& Server);
    // The jobs run in the wait window.
    void DoBackup(menvaro::TObject* Sender);
    void DoRestore(menvaro::TObject* Sender);
    // Runs one call of the server objects under the hourglass, then
    // `Settle` (when given) with whether it succeeded, then shows the outcome
    // in a message box: `Failed` with the reason on a second line. True when
    // it succeeded.
    bool RunDmoJob(const std::function<void()>& Call, const std::function<void(bool)>& Settle, const char* Done,
                   const char* Failed);

    // Set by DoBackup when the server reported the backup written.
    bool backupSucceeded_ = false;
};

extern TfrmDataTools* frmDataTools;

// The five server objects while they exist (created by the main window's
// start-up, released by ReleaseDmoObjects or when the program ends), one by
// one in the order Application, Database, Backup, Restore, SQLServer.
menvaro::dbadmin::TServerObjects& DmoObjects();
void ReleaseDmoObjects();

// The program's finalisation: the server objects, then the settings.
void FinalizeProgram();
// Ends the program at once with `Code`, finalised (the start-up's ways out).
[[noreturn]] void ExitProgram(int Code);

// The line under "备份数据库失败!" or "恢复数据库失败!": the cause in the
// user's words where it is a common one (no space, no permission, the
// database in use, a damaged file, not the product's database), otherwise
// the error's own text.
std::string FailureReason(const std::exception& E);

// The word every backup file name starts with.
inline constexpr const char* kBackupWord = "database";

// `Dir` (ending in the path delimiter, used as it stands) + "database" + the
// date as "YYYYMMDD".
std::string BackupFileName(const std::string& Dir, menvaro::TDateTime Date);
// The date `Days` days before `Date`, as "YYYYMMDD".
std::string BackupCutoff(menvaro::TDateTime Date, int Days);
// True for a name that is exactly `Word` followed by eight digits forming a
// valid date.
bool IsBackupName(const std::string& Name, const std::string& Word = kBackupWord);
// True for a backup name (IsBackupName) whose date compares below `Cutoff`.
bool IsOldBackupName(const std::string& Name, const std::string& Word, const std::string& Cutoff);
// Deletes, in the folder of `Mask`, every regular file (links and folders
// never) whose name matches the mask and is an old backup by
// IsOldBackupName; failures are ignored. Answers how many went.
int DeleteFilesBefore(const std::string& Mask, const std::string& Word, const std::string& Cutoff);
// The backups in `Dir` dated before `Date` less `Days` days.
int DeleteOldBackups(const std::string& Dir, int Days, menvaro::TDateTime Date);

// A backup of the date being backed up again is set aside as "<file>.old"
// (a name the deletion of old backups never matches) until the new one is
// written. SetBackupAside moves it (false, errno set, when it cannot);
// SettleBackupAside lets it go once `Written`, else puts it back under its
// name, as the end of the program does for one still set aside.
bool SetBackupAside(const std::string& File);
void SettleBackupAside(bool Written);
// Mends what a backup that never ended (killed, a power cut) left in `Dir`:
// a backup set aside goes back under its name unless a whole backup holds
// that name (then the one set aside goes), and the temporary copies of
// earlier backups go. Only names of backups (IsBackupName) and of what
// belongs to them are touched.
void MendBackupFolder(const std::string& Dir);

}  // namespace storvik
