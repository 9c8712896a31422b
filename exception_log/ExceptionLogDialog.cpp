// The dialogs' rules without windows: the process-wide state, the state
// file, the layout arithmetic, the list rows, the request text, the status
// line and the source-viewer record.
#include "ExceptionLogDialog.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/Files.h"
#include "base/ProfileFiles.h"

namespace menvaro {

TOstrelDialogState& DialogState() {
    static auto* state = new TOstrelDialogState;
    return *state;
}

// ------------------------------------------------------------- state file

namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

// A decimal number, or nothing for a value that is missing or damaged.
bool ReadNumber(const std::string& file, const std::string& key, int& out) {
    std::string text = ReadProfileString(file, kDialogStateSection, key, "");
    if (text.empty()) return false;
    int v = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data() + (text[0] == '+' ? 1 : 0), end, v);
    if (ec != std::errc() || p != end) return false;
    out = v;
    return true;
}

bool WriteNumber(const std::string& file, const std::string& key, int value) {
    return WriteProfileString(file, kDialogStateSection, key, std::to_string(value));
}

bool EnsureFolderOf(const std::string& file) {
    std::string folder = ExtractFilePath(file);
    return folder.empty() || DirectoryExists(folder) || ForceDirectories(folder);
}

}  // namespace

std::string DialogStateFileName() {
    std::string home = EnvOr("HOME", "/tmp");
    std::string config = EnvOr("XDG_CONFIG_HOME", IncludeTrailingPathDelimiter(home) + ".config");
    return IncludeTrailingPathDelimiter(config) + "OstrelLog.ini";
}

TDialogPlacement LoadPlacement(const std::string& file, const TRect& screen, int extraHeight) {
    TDialogPlacement p;
    const int sw = screen.Width(), sh = screen.Height();
    int v;
    if (ReadNumber(file, "Width", v) && v > 0) p.Width = v;
    if (ReadNumber(file, "Height", v) && v > 0) p.Height = v;
    // A size bigger than the screen (another screen, a damaged file) is cut to it.
    p.Width = std::min(p.Width, sw);
    p.Height = std::min(p.Height, std::max(1, sh - extraHeight));
    p.Left = (sw - p.Width) / 2;
    p.Top = (sh - p.Height - extraHeight) / 2;
    if (ReadNumber(file, "Left", v)) p.Left = v;
    if (ReadNumber(file, "Top", v)) p.Top = v;
    if (ReadNumber(file, "WindowsState", v) && (v == 1 || v == 3 || v == 6)) p.WindowsState = v;
    if (p.Top + p.Height > sh) p.Top = sh - p.Height - extraHeight;
    if (p.Left + p.Width > sw) p.Left = sw - p.Width;
    if (p.Top < 0) p.Top = 0;
    if (p.Left < 0) p.Left = 0;
    return p;
}

bool SavePlacement(const std::string& file, const TOstrelDialogState& s) {
    if (s.NormalWidth == 0) return true;
    if (!EnsureFolderOf(file)) return false;
    bool ok = WriteNumber(file, "Width", s.NormalWidth);
    ok = WriteNumber(file, "Height", s.NormalHeight - s.ExtraHeight) && ok;
    ok = WriteNumber(file, "Left", s.Placement.Left) && ok;
    ok = WriteNumber(file, "Top", s.Placement.Top) && ok;
    ok = WriteNumber(file, "WindowsState", s.Placement.WindowsState) && ok;
    return ok;
}

std::array<int, 6> LoadColumnWidths(const std::string& file, const std::string& prefix, const std::array<int, 6>& defaults) {
    std::array<int, 6> w = defaults;
    for (int i = 0; i < 6; ++i) {
        int v;
        if (ReadNumber(file, prefix + std::to_string(i), v) && v >= 0) w[static_cast<std::size_t>(i)] = v;
    }
    return w;
}

bool SaveColumnWidths(const std::string& file, const std::string& prefix, const std::array<int, 6>& widths) {
    if (!EnsureFolderOf(file)) return false;
    bool ok = true;
    for (int i = 0; i < 6; ++i) ok = WriteNumber(file, prefix + std::to_string(i), widths[static_cast<std::size_t>(i)]) && ok;
    return ok;
}

// ---------------------------------------------------------------- layout

TDialogVisibility DialogVisibility(const TOstrelModuleOptions& o, bool alreadyReported, int errorCount) {
    TDialogVisibility v;
    v.SendVisible = o.SendMode() != 0 && !alreadyReported;
    v.ScreenshotVisible = v.SendVisible && o.AttachScreenshot();
    v.ScreenshotEnabled = o.SendMode() != 0;
    v.ExtraHeight = v.SendVisible && o.AttachScreenshot() ? 34 : 20;
    v.TerminateVisible = o.TerminateButton() && errorCount > o.TerminateAfterErrors();
    v.TerminateText = o.RestartOnTerminate() ? 14 : 13;
    return v;
}

TCollapsedLayout CollapsedLayout(const std::vector<std::string>& lines, const std::function<int(const std::string&)>& width,
                                 const TDialogMetrics& m) {
    const int frame = 2 * m.FrameWidth + 58;
    const int cap = 640 - frame;
    int textWidth = 0, textHeight = 0;
    for (const std::string& line : lines) {
        int w = width(line);
        if (w > textWidth) {
            textWidth = w + 16;
            if (textWidth > cap) {
                textHeight += ((w + 16 - cap) / cap + 1) * m.LineHeight;
                textWidth = cap;
            }
        }
        textHeight += m.LineHeight;
    }
    TCollapsedLayout out;
    out.Width = std::max(textWidth + frame, 250);
    out.Message = Bounds(48, 8, out.Width - frame, textHeight);
    out.Height = std::max(0, textHeight - 39) + 2 * m.FrameHeight + m.SmallCaption + 86;
    return out;
}

TDialogControlsLayout SizeLayout(int cx, int cy, int extra) {
    TDialogControlsLayout l;
    const int y = cy - extra - 32;
    l.Tab = Bounds(4, 52, cx - 8, cy - 90 - extra);
    l.Message = Bounds(48, 8, cx - 56, 42);
    l.Ok = Bounds((cx - 75) / 2, y, 75, 25);
    l.Terminate = Bounds(5, y, 75, 25);
    l.Details = Bounds(cx - 80, y, 75, 25);
    const int w = cx / 2 - 4;
    l.Send = Bounds(4, y + 34, w, 13);
    l.Clipboard = Bounds(cx - w - 4, y + 34, w, 13);
    l.Screenshot = Bounds(23, y + 50, cx - 23, 13);
    return l;
}

TRect PageRect(const TRect& display) { return {display.Left - 3, display.Top - 1, display.Right, display.Bottom}; }

TRect PageControlRect(const TRect& display, const TRect& page) {
    return Bounds(display.Left, 20, page.Width() - 8, page.Height() - 24);
}

// ------------------------------------------------------------------ rows

std::string DialogAddressText(std::uintptr_t address) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%08llX", static_cast<unsigned long long>(address));
    return buf;
}

std::vector<TDialogListRow> CallStackRows(const std::vector<TOstrelDebugInfo>& stack) {
    std::vector<TDialogListRow> rows;
    for (const TOstrelDebugInfo& e : stack) {
        const std::uint8_t kind = e.EntryKind;
        if (kind != ekExport && kind != ekDecoratedExport && kind != ekLineInfo) continue;
        const std::uint8_t moduleKind = e.Module ? e.Module->ModuleKind : std::uint8_t{mkUnknown};
        if (kind == ekDecoratedExport && moduleKind == mkProgram) continue;
        TDialogListRow r;
        if (kind == ekLineInfo)
            r.Image = kImagePAS;
        else if (moduleKind == mkProgram)
            r.Image = kImageVCL;
        else if (moduleKind == mkPackage)
            r.Image = kImageBPL;
        else
            r.Image = kImageDLL;
        r.Columns = {DialogAddressText(e.Address), e.Module ? ExtractFileName(e.Module->Image.Path) : std::string(),
                     e.UnitName, e.ClassName, e.ProcedureName, e.Line ? std::to_string(e.Line) : std::string()};
        rows.push_back(std::move(r));
    }
    return rows;
}

std::string ShortVersion(const std::string& version) {
    std::size_t first = version.find('.');
    if (first == std::string::npos) return version;
    std::size_t second = version.find('.', first + 1);
    if (second == std::string::npos) return version;
    return version.substr(0, second + 1) + "x";
}

std::vector<TDialogListRow> ModuleRows(const std::vector<std::shared_ptr<const TOstrelModuleInfo>>& modules) {
    std::vector<TDialogListRow> rows;
    for (const auto& m : modules) {
        if (!m) continue;
        const std::string& path = m->Image.Path;
        std::string ext = ExtractFileExt(path);
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        TDialogListRow r;
        // A program file here has no ".EXE": its kind says what it is.
        if (ext == ".BPL" || ext == ".DPL")
            r.Image = kImageBPL;
        else if (ext == ".EXE" || m->ModuleKind == mkProgram)
            r.Image = kImageVCL;
        else
            r.Image = kImageDLL;
        std::string folder = ExtractFilePath(path);
        if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        r.Columns = {DialogAddressText(m->Handle()), ExtractFileName(path), m->Description, ShortVersion(m->Version),
                     std::to_string((static_cast<std::uint64_t>(m->FileSize) + 512) / 1024) + " Kb", folder};
        rows.push_back(std::move(r));
    }
    return rows;
}

// --------------------------------------------------------- request, SMTP

bool RequestDialogWanted(const TOstrelModuleOptions& o) {
    return (o.DialogFlags() & kDialogAskReproduceSteps) && IsGUIApplication() && !DialogState().AlreadyReported &&
           (o.SendMode() != 0 || o.SaveLog());
}

std::string TrimRequestText(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t b = 0, e = text.size();
    while (b < e && blank(text[b])) ++b;
    while (e > b && blank(text[e - 1])) --e;
    return std::string(text.substr(b, e - b));
}

std::string SmtpStatusLine(const TOstrelModuleOptions& o, int number, int count, const std::string& text) {
    return o.GetText(54) + " " + std::to_string(number) + "/" + std::to_string(count) + ": " + text;
}

bool IsDuplicateReport(const TOstrelModuleOptions& o, const std::function<bool()>& isDuplicate) {
    bool dup = false;
    if ((o.DialogFlags() & kDialogDuplicateCheck) && isDuplicate) dup = isDuplicate();
    DialogState().AlreadyReported = dup;
    return dup;
}

// --------------------------------------------------------- source viewer

std::string SourceViewerRecord(std::string_view unit, std::int32_t line) {
    std::string rec(kSourceViewerRecordSize, '\0');
    std::size_t n = std::min(unit.size(), kSourceViewerUnitField - 1);
    // Never half a character: step back over continuation bytes.
    if (n < unit.size())
        while (n > 0 && (static_cast<unsigned char>(unit[n]) & 0xC0) == 0x80) --n;
    std::memcpy(rec.data(), unit.data(), n);
    const auto u = static_cast<std::uint32_t>(line);
    for (int i = 0; i < 4; ++i) rec[kSourceViewerUnitField + static_cast<std::size_t>(i)] = static_cast<char>((u >> (8 * i)) & 0xFF);
    return rec;
}

std::string SourceViewerSocketName() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return IncludeTrailingPathDelimiter(runtime) + "OstrelLog";
    return "/tmp/OstrelLog-" + std::to_string(::getuid());
}

bool SendToSourceViewer(std::string_view unit, std::int32_t line) {
    const std::string name = SourceViewerSocketName();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (name.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, name.c_str(), name.size() + 1);
    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    const std::string rec = SourceViewerRecord(unit, line);
    ssize_t sent;
    do {
        sent = ::sendto(fd, rec.data(), rec.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    } while (sent < 0 && errno == EINTR);
    ::close(fd);
    return sent == static_cast<ssize_t>(rec.size());
}

}  // namespace menvaro
