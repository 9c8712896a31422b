#include "untDataTools.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string_view>
#include <vector>

#include "base/Files.h"
#include "base/NumberText.h"
#include "base/ScopeGuard.h"
#include "classes/ClassBuilder.h"
#include "dbadmin/DbAdminErrors.h"
#include "dbadmin/SqliteAdmin.h"
#include "ui/Dialogs.h"
#include "ui/FolderBrowser.h"
#include "ui/WindowManager.h"
#include "untRegistry.h"
#include "untShowInfo.h"
#include "untUsePasswd.h"

namespace storvik {

using namespace menvaro;

TfrmDataTools* frmDataTools = nullptr;

MENVARO_CLASS_INFO(TfrmDataTools) {
    MENVARO_PUBLISHED_FIELDS(uglpanelBg, uglpanelInfo, imgIsgn, lblName, pgTooltype, TabSheet4, MyCoolGroupBox4,
                             sbtnBackupDir, edBackupDir, MyCoolLabel1, dtpBackupDate, MyCoolLabel4, edtSaveBackupDays,
                             fxbtnBackup, fxSbtnClose1, TabSheet5, MyCoolGroupBox5, sbtnResumeDir, edResumeDir,
                             MyCoolLabel2, dtpResumeDate, MyCoolLabel3, fxbtnResume, fxSbtnClose2)
    MENVARO_PUBLISHED_METHODS(FormCreate, sbtnBackupDirClick, sbtnResumeDirClick, fxbtnBackupClick, fxbtnResumeClick,
                              fxSbtnClose1Click)
}

namespace {

// Held from start-up to the end of the program.
dbadmin::TServerObjects dmoObjects;

const char* const kFolderCaption = "选择备份文件目录";
const char* const kDaysRange = "保留备份天数必须在1到10000之间！";
const int kMinDays = 1;
const int kMaxDays = 10000;

constexpr std::string_view kAsideSuffix = ".old";

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The backup set aside, while it is.
struct TAside {
    std::string File;
    std::string Aside;
};
TAside aside;

// Whatever way the program ends, a backup still set aside goes back.
void PutBackAsideAtExit() { SettleBackupAside(false); }

}  // namespace

dbadmin::TServerObjects& DmoObjects() { return dmoObjects; }

void ReleaseDmoObjects() { dmoObjects.Release(); }

void FinalizeProgram() {
    ReleaseDmoObjects();
    CloseRegIni();
}

void ExitProgram(int Code) {
    FinalizeProgram();
    std::exit(Code);
}

std::string FailureReason(const std::exception& E) {
    using dbadmin::TDbAdminFailure;
    const auto* admin = dynamic_cast<const dbadmin::EDbAdminError*>(&E);
    if (!admin) return E.what();
    const bool backupFile = admin->File() == dbadmin::TDbAdminFile::BackupFile;
    switch (admin->Failure()) {
        case TDbAdminFailure::NoSpace: return "磁盘空间不足。";
        case TDbAdminFailure::NoPermission:
            return backupFile ? "没有读写备份文件或其目录的权限。" : "没有读写数据库文件的权限。";
        case TDbAdminFailure::InUse: return "数据库正被其他程序使用,请关闭其他程序后再试。";
        case TDbAdminFailure::Damaged: return backupFile ? "备份文件已损坏。" : "数据库文件已损坏。";
        case TDbAdminFailure::NotProductDatabase:
            return backupFile ? "备份文件不是Menvaro数据库的备份。" : "数据库不是Menvaro数据库。";
        case TDbAdminFailure::Other: break;
    }
    return admin->Message();
}

bool SetBackupAside(const std::string& File) {
    static const bool registered = std::atexit(PutBackAsideAtExit) == 0;
    (void)registered;
    SettleBackupAside(false);
    const std::string name = File + std::string(kAsideSuffix);
    if (!RenameFile(File, name)) return false;
    aside = {File, name};
    return true;
}

void SettleBackupAside(bool Written) {
    if (aside.File.empty()) return;
    if (Written)
        DeleteFile(aside.Aside);
    else
        RenameFile(aside.Aside, aside.File);
    aside = {};
}

void MendBackupFolder(const std::string& Dir) {
    if (Dir.empty() || !DirectoryExists(Dir)) return;
    const std::string dir = IncludeTrailingPathDelimiter(Dir);
    std::vector<std::string> setAside;
    TSearchRec rec;
    for (int r = FindFirst(dir + "*" + std::string(kAsideSuffix), faAnyFile, rec); r == 0; r = FindNext(rec)) {
        if (!rec.Name.ends_with(kAsideSuffix)) continue;
        const std::string name = rec.Name.substr(0, rec.Name.size() - kAsideSuffix.size());
        if (IsBackupName(name)) setAside.push_back(name);
    }
    FindClose(rec);
    for (const std::string& name : setAside) {
        const std::string file = dir + name, old = file + std::string(kAsideSuffix);
        if (!IsRegularFile(old)) continue;
        if (!Exists(file))
            RenameFile(old, file);
        else if (IsRegularFile(file))
            // Set aside for a backup that was then written whole, or else one
            // that was not: the one set aside goes back over it.
            dbadmin::IsWholeDatabaseFile(file) ? DeleteFile(old) : RenameFile(old, file);
    }
    dbadmin::RemoveStaleBackupCopies(dir, [](const std::string& name) { return IsBackupName(name); });
}

std::string BackupFileName(const std::string& Dir, TDateTime Date) {
    return Dir + kBackupWord + FormatDateTime("yyyymmdd", Date);
}

std::string BackupCutoff(TDateTime Date, int Days) { return FormatDateTime("yyyymmdd", Date - Days); }

bool IsBackupName(const std::string& Name, const std::string& Word) {
    if (Name.size() != Word.size() + 8 || Name.compare(0, Word.size(), Word) != 0) return false;
    const std::string date = Name.substr(Word.size());
    for (char c : date)
        if (c < '0' || c > '9') return false;
    TDateTime unused;
    return TryEncodeDate(std::stoi(date.substr(0, 4)), std::stoi(date.substr(4, 2)), std::stoi(date.substr(6, 2)),
                         unused);
}

bool IsOldBackupName(const std::string& Name, const std::string& Word, const std::string& Cutoff) {
    return IsBackupName(Name, Word) && Name.substr(Word.size()) < Cutoff;
}

int DeleteFilesBefore(const std::string& Mask, const std::string& Word, const std::string& Cutoff) {
    const std::string folder = ExtractFilePath(Mask);
    std::vector<std::string> old;
    TSearchRec rec;
    for (int r = FindFirst(Mask, faAnyFile, rec); r == 0; r = FindNext(rec)) {
        if (rec.Name == "." || rec.Name == "..") continue;
        if (IsOldBackupName(rec.Name, Word, Cutoff) && IsRegularFile(folder + rec.Name)) old.push_back(folder + rec.Name);
    }
    FindClose(rec);
    int deleted = 0;
    for (const std::string& path : old)
        if (IsRegularFile(path) && DeleteFile(path)) ++deleted;
    return deleted;
}

int DeleteOldBackups(const std::string& Dir, int Days, TDateTime Date) {
    return DeleteFilesBefore(IncludeTrailingPathDelimiter(Dir) + "*.*", kBackupWord, BackupCutoff(Date, Days));
}

void TfrmDataTools::FormCreate(TObject*) {
    pgTooltype->SetActivePageIndex(0);
    dtpBackupDate->SetDateTime(Now());
    dtpResumeDate->SetDateTime(Now());
    // The folder a backup last worked in, which a killed run may have left
    // to be mended.
    std::string previous;
    try {
        ReadDataBackupDir(previous);
    } catch (const std::exception&) {
    }
    // At every start: a folder chosen in an earlier run gives way to the
    // default. Settings that cannot be written end the program here, as
    // settings that cannot be read do.
    const std::string defaultDir = IncludeTrailingPathDelimiter(ExeFolder()) + "DataBackup";
    try {
        WriteDataBackupDir(defaultDir);
    } catch (const std::exception& e) {
        Application->MessageBox(e.what(), "错误", MB_ICONERROR | MB_OK);
        ExitProgram(1);
    }
    MendBackupFolder(previous);
    MendBackupFolder(defaultDir);
    CreateDmoObjects();
    if (!ReadDbSettings(ServerName, DatabaseName, LoginUser, LoginPasswd) || !ConnectServer(ServerName)) {
        MessageBox(Handle(), "连接数据库失败!", "错误", MB_ICONERROR);
        // The program ends when the message loop sees the request.
        Application->Terminate();
    }
    ReadDataBackupDir(BackupDir);
    if (BackupDir.empty()) {
        MessageBox(Handle(), "请安装Menvaro服务端!", "错误", MB_ICONERROR);
        ExitProgram(0);
    }
    if (!DirectoryExists(BackupDir)) CreateDir(BackupDir);
    BackupDir = IncludeTrailingPathDelimiter(BackupDir);
    edBackupDir->SetText(BackupDir);
    edResumeDir->SetText(BackupDir);
    // As stored: a value outside the edit's range is caught by the backup.
    edtSaveBackupDays->SetValue(Variant(ReadSaveBackupDays()));
}

void TfrmDataTools::CreateDmoObjects() {
    try {
        dmoObjects = dbadmin::CreateServerObjects();
    } catch (const std::exception&) {
        dmoObjects = dbadmin::TServerObjects();
        MessageDlg("服务器创建失败,请确定您的计算机上是否已安装好SQL Server数据库程序", mtError, {mbOK}, 0);
        Close();
        Application->Terminate();
    }
}

bool TfrmDataTools::ConnectServer(const std::string& Server) {
    std::string user, password;
    if (!TfrmUsePasswd::Execute(user, password)) return false;
    // Without the objects (they could not be made) there is nothing to connect.
    if (!dmoObjects.SQLServer) return false;
    try {
        dmoObjects.SQLServer->Connect(Server, user, password);
        return true;
    } catch (const std::exception&) {
        // A disconnect that fails raises from here, before the message.
        dmoObjects.SQLServer->DisConnect();
        MessageDlg(Server + "服务器不存在" + user + "这个用户或者密码错误!", mtError, {mbOK}, 0);
        return false;
    }
}

void TfrmDataTools::sbtnBackupDirClick(TObject*) {
    std::string folder;
    if (SelectDirectory(kFolderCaption, "", folder)) edBackupDir->SetText(folder);
}

void TfrmDataTools::sbtnResumeDirClick(TObject*) {
    std::string folder;
    if (SelectDirectory(kFolderCaption, "", folder)) edResumeDir->SetText(folder);
}

void TfrmDataTools::fxbtnBackupClick(TObject*) {
    // An empty field raises the variant's conversion error here: nothing is
    // done. Days outside the edit's range (a lone sign, a stored value) are
    // refused before anything is backed up, saved or deleted.
    const double days = std::trunc(edtSaveBackupDays->Value().AsDouble());
    if (!(days >= kMinDays && days <= kMaxDays)) {
        MessageDlg(kDaysRange, mtError, {mbOK}, 0);
        return;
    }
    edtSaveBackupDays->SetValue(Variant(static_cast<int>(days)));

    // The folder's name as typed, for the check and for the file name alike.
    const std::string folder = edBackupDir->Text();
    if (!DirectoryExists(folder)) {
        MessageDlg("备份文件目录不存在！\r\n请重新选择存在的目录！", mtError, {mbOK}, 0);
        return;
    }
    BackupDir = IncludeTrailingPathDelimiter(folder);
    BackupFile = BackupFileName(BackupDir, dtpBackupDate->DateTime());
    // What a killed run left goes first: a backup of that date set aside is
    // back under its name before it is asked about.
    MendBackupFolder(BackupDir);

    const bool overwrite = FileExists(BackupFile);
    if (overwrite && MessageDlg("恢复文件已存在！\r\n是否覆盖它？", mtConfirmation, {mbYes, mbNo}, 0) != mrYes) return;
    // Recorded before anything in the folder changes, so that the next start
    // mends it should this run be killed.
    WriteDataBackupDir(BackupDir);
    // An existing backup of that date is set aside, not deleted: it goes only
    // once the new one is written, and comes back otherwise.
    if (overwrite && !SetBackupAside(BackupFile)) {
        MessageDlg("无法移开已有的备份文件：" + BackupFile + "\r\n" + SysErrorMessage(errno), mtError, {mbOK}, 0);
        return;
    }
    backupSucceeded_ = false;
    {
        // Already settled when the job ran.
        ScopeGuard settle([&] { SettleBackupAside(backupSucceeded_); });
        if (ShowInfoOpen("正在备份Menvaro数据库,请稍等...")) {
            ScopeGuard close([] { ShowInfoClose(); });
            ShowInfoRun([this](TObject* sender) { DoBackup(sender); });
        }
    }
    WriteDataBackupDir(BackupDir);
    WriteSaveBackupDays(static_cast<int>(edtSaveBackupDays->Value().AsInteger()));
    // Old backups go only after a backup that was written: backups failing
    // day after day must not take every backup there is with them.
    if (backupSucceeded_) DeleteOldBackups(BackupDir, StrToInt(edtSaveBackupDays->Text()), dtpBackupDate->DateTime());
}

bool TfrmDataTools::RunDmoJob(const std::function<void()>& Call, const std::function<void(bool)>& Settle,
                              const char* Done, const char* Failed) {
    ScopeGuard cursor([] { Screen->SetCursor(crDefault); });
    Screen->SetCursor(crHourGlass);
    bool succeeded = true;
    std::string reason;
    try {
        if (!dmoObjects.Backup || !dmoObjects.Restore || !dmoObjects.SQLServer)
            throw dbadmin::EDbAdminError("The database server objects are missing");
        Call();
    } catch (const std::exception& e) {
        succeeded = false;
        reason = FailureReason(e);
    }
    // The files are as they stay before the message shows: a program ended
    // while it is open loses nothing.
    if (Settle) Settle(succeeded);
    if (!succeeded) {
        MessageBox(Handle(), std::string(Failed) + "\r\n" + reason, "错误", MB_ICONERROR);
        return false;
    }
    MessageBox(Handle(), Done, "提示", MB_ICONINFORMATION);
    return true;
}

void TfrmDataTools::DoBackup(TObject*) {
    if (ShowInfoClosed()) {
        Screen->SetCursor(crDefault);
        return;
    }
    backupSucceeded_ = RunDmoJob(
        [&] {
            dbadmin::Backup& backup = *dmoObjects.Backup;
            backup.SetDatabase(DatabaseName);
            backup.SetAction(dbadmin::FullDatabaseAction);
            backup.SetFiles(BackupFile);
            backup.SQLBackup(*dmoObjects.SQLServer);
        },
        SettleBackupAside, "备份数据库成功!", "备份数据库失败!");
}

void TfrmDataTools::fxbtnResumeClick(TObject*) {
    const std::string folder = edResumeDir->Text();
    if (!DirectoryExists(folder)) {
        MessageDlg("恢复文件目录不存在！\r\n请重新选择存在的目录！", mtError, {mbOK}, 0);
        return;
    }
    BackupDir = IncludeTrailingPathDelimiter(folder);
    BackupFile = BackupFileName(BackupDir, dtpResumeDate->DateTime());
    // A backup that a killed run left set aside is back before it is looked for.
    MendBackupFolder(BackupDir);
    if (!FileExists(BackupFile)) {
        MessageDlg("恢复文件不存在！", mtError, {mbOK}, 0);
        return;
    }
    // The restore saves no setting and deletes nothing.
    if (ShowInfoOpen("正在恢复Menvaro数据库,请稍等...")) {
        ScopeGuard close([] { ShowInfoClose(); });
        ShowInfoRun([this](TObject* sender) { DoRestore(sender); });
    }
}

void TfrmDataTools::DoRestore(TObject*) {
    if (ShowInfoClosed()) {
        Screen->SetCursor(crDefault);
        return;
    }
    RunDmoJob(
        [&] {
            dbadmin::Restore& restore = *dmoObjects.Restore;
            restore.SetDatabase(DatabaseName);
            restore.SetReplaceDatabase(true);
            restore.SetAction(dbadmin::FullDatabaseAction);
            restore.SetFiles(BackupFile);
            restore.SQLRestore(*dmoObjects.SQLServer);
        },
        nullptr, "恢复数据库成功!", "恢复数据库失败!");
}

void TfrmDataTools::fxSbtnClose1Click(TObject*) { Close(); }

}  // namespace storvik
