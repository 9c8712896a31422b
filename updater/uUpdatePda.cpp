#include "uUpdatePda.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <vector>

#include "base/CodePage.h"
#include "base/FileLock.h"
#include "base/Files.h"
#include "base/ScopeGuard.h"
#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "fileCopy.h"
#include "registry/RegistryIniFile.h"
#include "uDM.h"
#include "uFuntion.h"
#include "ui/FolderBrowser.h"
#include "untProgressBar.h"

namespace pelgrane {

TUpdateForm* UpdateForm = nullptr;

MENVARO_CLASS_INFO(TUpdateForm) {
    MENVARO_PUBLISHED_FIELDS(Panel1, Label1, imgLogo, lblHint, Panel2, pnlParent, lblDataSource, btnSource, Label2,
                             btnDestination, edSource, edDestination, btnBuildData, btnUpdateData, btnClose)
    MENVARO_PUBLISHED_METHODS(FormCreate, btnSourceClick, btnCloseClick, btnBuildDataClick, btnUpdateDataClick)
}

namespace {

const char* const kDeviceFolder = "\\Program Files\\Menvaro餐点";
// Made by the product's server, not by this program; copied last when it is there.
const char* const kRoomFile = "Room.txt";

const char* const kHintStart = "请生成资料";
const char* const kHintBuilding = "正在生成PDA资料,请稍候...";
const char* const kHintCheckDevice = "在更新之前,请检查是否连接上PDA...   ";
const char* const kHintBuilt = "生成PDA资料完成,请更新到PDA上... ";
const char* const kHintConnectionError = "数据连接错误,请在PDA服务端更改设置";
const char* const kHintUpdating = "正在更新基本资料到PDA,请稍候...";
const char* const kHintUpdated = "更新基本资料到PDA已完成！";
const char* const kHintUpdateFailed = "更新基本资料到PDA失败！";

const char* const kAnotherUpdater = "另一个更新程序正在工作,请稍后再试！";
const char* const kNoLockFile = "无法建立锁文件：";

// A PC folder's lock: the file "<folder>.lock" beside it, so that it is no
// file of the folder's own.
std::string FolderLockPath(const std::string& folder) { return ExcludeTrailingPathDelimiter(folder) + ".lock"; }

// The lock of the handheld, one for every program of this user on this
// machine: in the user's runtime folder, else in /tmp under the user's id.
// Nothing is written on the handheld for it.
std::string HandheldLockPath() {
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run && DirectoryExists(run))
        return IncludeTrailingPathDelimiter(run) + "menvaro-handheld.lock";
    return "/tmp/menvaro-handheld-" + std::to_string(::getuid()) + ".lock";
}

}  // namespace

struct TUpdateForm::TLocks {
    std::vector<std::unique_ptr<TFileLock>> held;
};

bool TUpdateForm::TakeLocks(std::vector<std::string> folders, bool handheld, TLocks& locks) {
    // Every program takes the folders' locks in one order, the handheld's
    // last: two programs never wait for each other in a circle.
    for (std::string& f : folders) f = FolderLockPath(f);
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    if (handheld) folders.push_back(HandheldLockPath());
    const TCursor saved = Screen->Cursor();
    ScopeGuard restoreCursor([&] { Screen->SetCursor(saved); });
    Screen->SetCursor(crHourGlass);
    for (const std::string& path : folders) {
        auto lock = std::make_unique<TFileLock>();
        if (!lock->Open(path, true)) {
            const std::string reason = SysErrorMessage(errno);
            locks.held.clear();
            Screen->SetCursor(saved);
            ShowMsg(kNoLockFile + path + "\r\n" + reason, 1);
            return false;
        }
        if (!lock->Lock()) {
            locks.held.clear();
            Screen->SetCursor(saved);
            ShowMsg(kAnotherUpdater, 0);
            return false;
        }
        locks.held.push_back(std::move(lock));
    }
    return true;
}

void TUpdateForm::FormCreate(TObject*) {
    SourceFolder = IncludeTrailingPathDelimiter(ExeFolder()) + "xml" + PathDelim;
    DeviceFolder = kDeviceFolder;
    edSource->SetText(SourceFolder);
    edDestination->SetText(DeviceFolder);
    lblHint->SetCaption(kHintStart);
    // Nothing is built yet, also when the settings cannot be read: the error
    // is shown and the window opens without a connection string.
    ScopeGuard nothingBuilt([&] { btnUpdateData->SetEnabled(false); });
    LoadConnectionSettings();
}

void TUpdateForm::LoadConnectionSettings() {
    // Read only: the program writes nothing to the registry.
    TRegistryIniFile ini("");
    ini.SetRootKey(HKEY_LOCAL_MACHINE);
    ini.OpenKey("\\SOFTWARE\\Corvanel\\Halvane", true);
    const std::string server = ini.ReadString("DataSource", "ServerName", "(local)");
    const bool integrated = ini.ReadBool("DataSource", "LoginType", false);
    const std::string user = ini.ReadString("DataSource", "UserName", "sa");
    const std::string password = ini.ReadString("DataSource", "Passwd", "");
    const std::string database = ini.ReadString("DataSource", "DatabaseName", "Velkoranth");
    std::u16string wide;
    BuildConnectionString(server, database, user, wide, integrated, password);
    ConnectionString = Utf16ToUtf8(wide);
}

void TUpdateForm::btnSourceClick(TObject*) {
    std::string folder = SourceFolder;
    if (!SelectDirectory("在PC上选择资料来源", "", folder)) return;
    SourceFolder = IncludeTrailingPathDelimiter(folder);
    edSource->SetText(SourceFolder);
}

void TUpdateForm::btnCloseClick(TObject*) { Close(); }

void TUpdateForm::btnBuildDataClick(TObject*) {
    const std::string exeXml = IncludeTrailingPathDelimiter(ExeFolder()) + "xml";
    bool ok = false;
    {
        // The folders are this build's alone while it empties and fills them.
        TLocks locks;
        if (!TakeLocks({SourceFolder, exeXml}, false, locks)) return;
        // Only the data files a build writes: a Room.txt placed here stays.
        ClearExeSubfolder("xml", "*.xml");
        // Temporary files of a build that was ended in the middle of a write.
        DeleteAtomicWriteLeftovers(exeXml);
        DeleteAtomicWriteLeftovers(SourceFolder);
        if (ConnectionString.empty()) {
            locks.held.clear();
            ShowMsg("服务端没有设置数据源！", 0);
            return;
        }
        lblHint->SetCaption(kHintBuilding);
        try {
            ok = DM->BuildData(ConnectionString, SourceFolder);
        } catch (const std::exception&) {
            btnUpdateData->SetEnabled(false);
            btnBuildData->SetEnabled(true);
            lblHint->SetCaption(kHintConnectionError);
            return;
        }
    }
    // The locks are let go before a message waits for the user.
    lblHint->SetCaption(kHintCheckDevice);
    if (ok) {
        lblHint->SetCaption(kHintBuilt);
        btnUpdateData->SetEnabled(true);
        btnBuildData->SetEnabled(false);
    } else {
        std::string message = std::string("生成资料失败！\r\n") + "原因如下：" + "\r\n" + "1)数据连接设置不正确" +
                              "\r\n" + "2)使用不是Menvaro数据" + "\r\n";
        if (!DM->FailReason.empty()) message += DM->FailReason + "\r\n";
        ShowMsg(message, 1);
    }
}

void TUpdateForm::btnUpdateDataClick(TObject*) {
    if (!DirectoryExists(SourceFolder) && !CreateDir(SourceFolder)) return;
    SourceFolder = IncludeTrailingPathDelimiter(SourceFolder);

    {
        // The built files stay as they are while they are copied, and one
        // program at a time works on the handheld.
        TLocks locks;
        if (!TakeLocks({DM->OutputFolder.empty() ? SourceFolder : DM->OutputFolder}, true, locks)) return;

        switch (ConnectDevice()) {
            case TDeviceConnection::dcNoLibrary:
                locks.held.clear();
                ShowMsg("没有找到PDA连接程序,无法更新到PDA！", 0);
                return;
            case TDeviceConnection::dcNotConnected:
                locks.held.clear();
                ShowMsg("没有连接上PDA,请检查PDA是否已连接！", 0);
                return;
            case TDeviceConnection::dcConnected: break;
        }

        lblHint->SetCaption(kHintUpdating);
        btnUpdateData->SetEnabled(false);
        btnClose->SetEnabled(false);
        failedCopies_.Clear();
        copyRan_ = false;
        // Shown when the copying raises, after the window is put back.
        ScopeGuard failed([&] { lblHint->SetCaption(kHintUpdateFailed); });
        ScopeGuard putBack([&] {
            HideProgress();
            btnUpdateData->SetEnabled(true);
            btnClose->SetEnabled(true);
            DisconnectDevice();
        });
        if (ShowProgress()) {
            SetProgressCaption(kHintUpdating);
            RunWithProgress(TNotifyEvent::Bind<&TUpdateForm::CopyFilesToDevice>(this));
        }
        failed.Dismiss();
    }

    if (copyRan_ && failedCopies_.Count() == 0) {
        lblHint->SetCaption(kHintUpdated);
        return;
    }
    lblHint->SetCaption(kHintUpdateFailed);
    if (failedCopies_.Count() > 0) {
        std::string names;
        for (const std::string& n : failedCopies_) names += n + "\r\n";
        ShowMsg("下列文件没有更新到PDA：\r\n" + names, 1);
    }
}

void TUpdateForm::CopyFilesToDevice(TObject*) {
    copyRan_ = true;
    // What the last build wrote, not whatever else lies in the folder.
    TStringList list;
    list.Assign(*DM->WrittenFiles);
    if (list.Count() == 0) return;
    const std::string folder = DM->OutputFolder;
    // Files an interrupted earlier update left moved aside are put back first.
    TStringList touched;
    touched.Assign(list);
    for (const std::string& name : *DM->EmptyFiles) touched.Add(name);
    touched.Add(kRoomFile);
    RestoreSetAside(DeviceFolder, touched);
    DeleteDeviceFiles(DeviceFolder, *DM->EmptyFiles);
    for (const std::string& name : list) {
        Application->ProcessMessages();
        if (!CopyFileToDevice(folder, DeviceFolder, name, true)) failedCopies_.Add(name);
    }
    // Room.txt comes from elsewhere; where there is none, there is nothing to copy.
    Application->ProcessMessages();
    if (FileExists(IncludeTrailingPathDelimiter(folder) + kRoomFile) &&
        !CopyFileToDevice(folder, DeviceFolder, kRoomFile, true))
        failedCopies_.Add(kRoomFile);
}

void ListFiles(const std::string& Folder, const std::string& Masks, TStringList& List) {
    List.Clear();
    const std::string folder = IncludeTrailingPathDelimiter(Folder);
    const TCursor saved = Screen->Cursor();
    ScopeGuard restoreCursor([&] { Screen->SetCursor(saved); });
    for (const std::string& part : SplitString(Masks, ';')) {
        const std::string mask = Trim(part);
        TSearchRec rec;
        ScopeGuard close([&] { FindClose(rec); });
        for (int r = FindFirst(folder + mask, faAnyFile, rec); r == 0; r = FindNext(rec)) {
            Screen->SetCursor(crHourGlass);
            if (!(rec.Attr & faDirectory)) List.Add(rec.Name);
        }
    }
}

void ClearExeSubfolder(const std::string& Sub, const std::string& Mask) {
    std::string path = IncludeTrailingPathDelimiter(ExeFolder()) + Sub;
    if (!DirectoryExists(path) && !CreateDir(path)) return;
    path = IncludeTrailingPathDelimiter(path);
    TStringList files;
    ListFiles(path, Mask, files);
    for (const std::string& name : files) DeleteFile(path + name);
}

}  // namespace pelgrane
