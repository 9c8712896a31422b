// The dialogs' rules without windows: the state file, visibility, layout
// arithmetic, list rows, the request text, the status line, the skin's
// colours and the source-viewer record read by a receiver.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "ExceptionLogDialog.h"
#include "base/ProfileFiles.h"
#include "gfx/Bitmap.h"
#include "gfx/Canvas.h"
#include "testsupport/TempDir.h"

namespace menvaro {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

const TRect kScreen{0, 0, 1024, 768};

TEST(DialogStateFile, LivesInTheUsersConfigurationFolder) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", "/some/where", 1);
    EXPECT_EQ(DialogStateFileName(), "/some/where/OstrelLog.ini");
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(DialogStateFileName(), "/home/u/.config/OstrelLog.ini");
    if (old) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

TEST(DialogStateFile, MissingFileGivesTheDefaultsCentredOnTheScreen) {
    test::TempDir dir;
    TDialogPlacement p = LoadPlacement(dir.path() + "OstrelLog.ini", kScreen, 34);
    EXPECT_EQ(p, (TDialogPlacement{(1024 - 640) / 2, (768 - 385 - 34) / 2, 640, 385, 1}));
    // Halving rounds toward zero.
    p = LoadPlacement(dir.path() + "OstrelLog.ini", {0, 0, 1023, 767}, 20);
    EXPECT_EQ(p.Left, 191);
    EXPECT_EQ(p.Top, 181);
}

struct PlacementCase {
    const char* name;
    const char* file;
    TDialogPlacement expected;
};

class DialogPlacementFile : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(DialogPlacementFile, ReadsClampsAndFallsBack) {
    test::TempDir dir;
    std::string file = dir.Write("OstrelLog.ini", GetParam().file);
    EXPECT_EQ(LoadPlacement(file, kScreen, 20), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DialogPlacementFile,
    ::testing::Values(
        PlacementCase{"Stored", "[Coordinates]\r\nWidth=700\r\nHeight=400\r\nLeft=10\r\nTop=20\r\nWindowsState=3\r\n",
                      {10, 20, 700, 400, 3}},
        // Off the right and bottom edges: pulled back (Top less the extra height).
        PlacementCase{"PastTheEdges", "[Coordinates]\nWidth=700\nHeight=400\nLeft=900\nTop=700\n", {324, 348, 700, 400, 1}},
        PlacementCase{"Negative", "[Coordinates]\nLeft=-50\nTop=-9\n", {0, 0, 640, 385, 1}},
        // Damaged values take the defaults, each on its own.
        PlacementCase{"Damaged", "[Coordinates]\nWidth=wide\nHeight=12x\nLeft=\nTop=5\nWindowsState=9\n", {192, 5, 640, 385, 1}},
        PlacementCase{"ZeroSize", "[Coordinates]\nWidth=0\nHeight=-3\n", {192, 181, 640, 385, 1}},
        // Bigger than the screen: cut to it.
        PlacementCase{"Huge", "[Coordinates]\nWidth=99999\nHeight=99999\nLeft=0\nTop=0\n", {0, 0, 1024, 748, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DialogStateFile, SavesPlacementOnlyOnceANormalSizeIsKnownAndColumnsRoundTrip) {
    test::TempDir dir;
    const std::string file = dir.path() + "cfg/OstrelLog.ini";
    TOstrelDialogState s;
    s.ExtraHeight = 34;
    s.Placement = {30, 40, 0, 0, 1};
    EXPECT_TRUE(SavePlacement(file, s));
    EXPECT_EQ(ReadFile(file), "");  // nothing recorded, nothing written
    s.NormalWidth = 700;
    s.NormalHeight = 450;
    ASSERT_TRUE(SavePlacement(file, s));
    EXPECT_EQ(ReadProfileString(file, "Coordinates", "Width", ""), "700");
    EXPECT_EQ(ReadProfileString(file, "Coordinates", "Height", ""), "416");
    EXPECT_EQ(ReadProfileString(file, "Coordinates", "Left", ""), "30");
    EXPECT_EQ(ReadProfileString(file, "Coordinates", "WindowsState", ""), "1");
    EXPECT_EQ(LoadPlacement(file, kScreen, 34), (TDialogPlacement{30, 40, 700, 416, 1}));

    EXPECT_EQ(LoadColumnWidths(file, "Col", kDefaultStackColumns), kDefaultStackColumns);
    std::array<int, 6> w{1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(SaveColumnWidths(file, "ColMod", w));
    EXPECT_EQ(LoadColumnWidths(file, "ColMod", kDefaultModuleColumns), w);
    EXPECT_EQ(LoadColumnWidths(file, "Col", kDefaultStackColumns), kDefaultStackColumns);
    WriteProfileString(file, "Coordinates", "Col2", "x");
    EXPECT_EQ(LoadColumnWidths(file, "Col", kDefaultStackColumns)[2], 105);
}

TEST(DialogRules, VisibilityFollowsSendModeScreenshotDuplicatesAndTheErrorCount) {
    TOstrelModuleOptions o("m", false);
    o.SetSendMode(0);
    o.SetAttachScreenshot(true);
    TDialogVisibility v = DialogVisibility(o, false, 1);
    EXPECT_FALSE(v.SendVisible);
    EXPECT_FALSE(v.ScreenshotVisible);
    EXPECT_FALSE(v.ScreenshotEnabled);
    EXPECT_EQ(v.ExtraHeight, 20);
    o.SetSendMode(2);
    v = DialogVisibility(o, false, 1);
    EXPECT_TRUE(v.SendVisible && v.ScreenshotVisible && v.ScreenshotEnabled);
    EXPECT_EQ(v.ExtraHeight, 34);
    v = DialogVisibility(o, true, 1);  // already in the log
    EXPECT_FALSE(v.SendVisible);
    EXPECT_FALSE(v.ScreenshotVisible);
    EXPECT_EQ(v.ExtraHeight, 20);
    o.SetTerminateButton(true);
    o.SetTerminateAfterErrors(3);
    o.SetRestartOnTerminate(false);
    EXPECT_FALSE(DialogVisibility(o, false, 3).TerminateVisible);
    EXPECT_TRUE(DialogVisibility(o, false, 4).TerminateVisible);
    EXPECT_EQ(DialogVisibility(o, false, 4).TerminateText, 13);
    o.SetRestartOnTerminate(true);
    EXPECT_EQ(DialogVisibility(o, false, 4).TerminateText, 14);
    o.SetTerminateButton(false);
    EXPECT_FALSE(DialogVisibility(o, false, 9).TerminateVisible);
}

TEST(DialogRules, DuplicateCheckOnlyWithItsFlag) {
    TOstrelModuleOptions o("m", false);
    int asked = 0;
    auto log = [&] { return ++asked, true; };
    o.SetDialogFlags(0);
    EXPECT_FALSE(IsDuplicateReport(o, log));
    EXPECT_EQ(asked, 0);
    o.SetDialogFlags(kDialogDuplicateCheck);
    EXPECT_TRUE(IsDuplicateReport(o, log));
    EXPECT_TRUE(DialogState().AlreadyReported);
    EXPECT_FALSE(IsDuplicateReport(o, [] { return false; }));
    EXPECT_FALSE(DialogState().AlreadyReported);
}

// Every character 6 pixels wide, lines 13 high; frame 3, small caption 15.
TCollapsedLayout Collapsed(const std::vector<std::string>& lines) {
    return CollapsedLayout(lines, [](const std::string& s) { return static_cast<int>(s.size()) * 6; }, TDialogMetrics{});
}

TEST(DialogLayout, CollapsedDialogKeepsItsMinimumWidthForAShortMessage) {
    TCollapsedLayout l = Collapsed({"Boom", "Send    Copy"});
    // frame 2*3+58 = 64; widest line 72 + 16 = 88; width max(152, 250).
    EXPECT_EQ(l.Width, 250);
    EXPECT_EQ(l.Message, Bounds(48, 8, 250 - 64, 26));
    EXPECT_EQ(l.Height, 0 + 6 + 15 + 86);
}

TEST(DialogLayout, ALongMessageIsCappedAt640AndGrowsInHeight) {
    // 200 characters: 1200 + 16 = 1216 over the cap 576: (1216-576)/576+1 = 2 extra lines.
    TCollapsedLayout l = Collapsed({std::string(200, 'x'), "second line", "Send    Copy"});
    EXPECT_EQ(l.Width, 640);
    const int text = 13 * 3 + 2 * 13;
    EXPECT_EQ(l.Message, Bounds(48, 8, 576, text));
    EXPECT_EQ(l.Height, text - 39 + 6 + 15 + 86);
}

TEST(DialogLayout, ControlsFollowTheClientSize) {
    TDialogControlsLayout l = SizeLayout(632, 400, 34);
    const int y = 400 - 34 - 32;
    EXPECT_EQ(l.Tab, Bounds(4, 52, 624, 400 - 90 - 34));
    EXPECT_EQ(l.Message, Bounds(48, 8, 576, 42));
    EXPECT_EQ(l.Ok, Bounds((632 - 75) / 2, y, 75, 25));
    EXPECT_EQ(l.Terminate, Bounds(5, y, 75, 25));
    EXPECT_EQ(l.Details, Bounds(552, y, 75, 25));
    EXPECT_EQ(l.Send, Bounds(4, y + 34, 312, 13));
    EXPECT_EQ(l.Clipboard, Bounds(632 - 312 - 4, y + 34, 312, 13));
    EXPECT_EQ(l.Screenshot, Bounds(23, y + 50, 609, 13));
    const TRect display{4, 24, 620, 300};
    const TRect page = PageRect(display);
    EXPECT_EQ(page, (TRect{1, 23, 620, 300}));
    EXPECT_EQ(PageControlRect(display, page), Bounds(4, 20, 619 - 8, 277 - 24));
}

std::shared_ptr<TOstrelModuleInfo> Module(const std::string& path, std::uint8_t kind, std::uintptr_t handle,
                                          std::uint32_t size = 0, const std::string& version = "") {
    auto m = std::make_shared<TOstrelModuleInfo>();
    m->Image.Path = path;
    m->Image.Handle = handle;
    m->ModuleKind = kind;
    m->FileSize = size;
    m->Version = version;
    return m;
}

TEST(DialogLists, CallStackRowsForAKnownStack) {
    auto program = Module("/opt/app/Pelgrane", mkProgram, 0x400000);
    auto lib = Module("/usr/lib/libfoo.so.1", mkLibrary, 0x7f0000000000);
    auto make = [](std::uint8_t kind, std::shared_ptr<TOstrelModuleInfo> m, std::uintptr_t a, const char* unit,
                   const char* cls, const char* proc, int line) {
        TOstrelDebugInfo d;
        d.EntryKind = kind;
        d.Module = std::move(m);
        d.Address = a;
        d.UnitName = unit;
        d.ClassName = cls;
        d.ProcedureName = proc;
        d.Line = line;
        return d;
    };
    std::vector<TOstrelDebugInfo> stack{
        make(ekLineInfo, program, 0x401234, "uDM", "TDM", "Build", 120),
        make(ekNoModule, nullptr, 0x10, "", "", "", 0),                // left out
        make(ekModule, lib, 0x7f0000001000, "", "", "", 0),            // left out
        make(ekDecoratedExport, program, 0x402000, "u", "T", "f", 0),  // an export of the program: left out
        make(ekDecoratedExport, lib, 0x7f0000002000, "foo", "TFoo", "Run", 0),
        make(ekExport, nullptr, 0x500000, "", "", "start", 0),
    };
    std::vector<TDialogListRow> rows = CallStackRows(stack);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (TDialogListRow{kImagePAS, {"00401234", "Pelgrane", "uDM", "TDM", "Build", "120"}}));
    EXPECT_EQ(rows[1], (TDialogListRow{kImageDLL, {"7F0000002000", "libfoo.so.1", "foo", "TFoo", "Run", ""}}));
    EXPECT_EQ(rows[2], (TDialogListRow{kImageDLL, {"00500000", "", "", "", "start", ""}}));
}

TEST(DialogLists, ModuleRowsShowHandleSizeVersionAndFolder) {
    std::vector<std::shared_ptr<const TOstrelModuleInfo>> mods{
        Module("/opt/app/Pelgrane", mkProgram, 0x400000, 1536, "6.0.2600.0"),
        Module("/lib/libc.so.6", mkLibrary, 0x7f1234560000, 511, "2.36"),
        Module("/pkg.bpl", mkLibrary, 0x10000, 2048, "")};
    std::vector<TDialogListRow> rows = ModuleRows(mods);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (TDialogListRow{kImageVCL, {"00400000", "Pelgrane", "", "6.0.x", "2 Kb", "/opt/app"}}));
    EXPECT_EQ(rows[1], (TDialogListRow{kImageDLL, {"7F1234560000", "libc.so.6", "", "2.36", "0 Kb", "/lib"}}));
    // A file at the root keeps its folder's "/".
    EXPECT_EQ(rows[2], (TDialogListRow{kImageBPL, {"00010000", "pkg.bpl", "", "", "2 Kb", "/"}}));
    EXPECT_EQ(ShortVersion("1.2"), "1.2");
    EXPECT_EQ(ShortVersion("1.2."), "1.2.x");
}

TEST(DialogRules, RequestTextIsTrimmedAndTheStatusLineNamesTheRecipient) {
    EXPECT_EQ(TrimRequestText(""), "");
    EXPECT_EQ(TrimRequestText(" \r\n\t "), "");
    EXPECT_EQ(TrimRequestText("\r\n  Clicked build.\r\nThen it failed.\t\r\n"), "Clicked build.\r\nThen it failed.");
    TOstrelModuleOptions o("m", false);
    EXPECT_EQ(SmtpStatusLine(o, 1, 2, "Connecting"), "Message 1/2: Connecting");
    EXPECT_EQ(SmtpStatusLine(o, 2, 2, "Sent"), "Message 2/2: Sent");
}

TEST(DialogPainting, SkinnedCaptionDarkensBandByBandAndFramesTheWindow) {
    std::vector<TColor> c = SkinCaptionColors(22, true);
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(c[0], RGB(130, 155, 194));
    EXPECT_EQ(c[1], RGB(125, 149, 186));
    EXPECT_EQ(c[2], RGB(120, 143, 179));
    EXPECT_EQ(SkinCaptionColors(10, false), (std::vector<TColor>{RGB(151, 151, 151), RGB(145, 145, 145)}));
    TBitmap b;
    b.SetPixelFormat(pf32bit);
    b.SetSize(200, 100);
    PaintSkinnedFrame(b.Canvas(), {200, 100}, 3, 22, true, "Error.");
    EXPECT_EQ(b.Pixel(0, 50), RGB(64, 64, 64));
    EXPECT_EQ(b.Pixel(1, 50), RGB(128, 128, 128));
    EXPECT_EQ(b.Pixel(190, 3), RGB(130, 155, 194));   // the outer band
    EXPECT_EQ(b.Pixel(190, 5), RGB(125, 149, 186));   // 2 pixels in
    EXPECT_EQ(b.Pixel(190, 14), RGB(115, 137, 172));  // the innermost of the four
    PaintSkinnedFrame(b.Canvas(), {200, 100}, 3, 22, false, "Error.");
    EXPECT_EQ(b.Pixel(0, 50), RGB(48, 48, 48));
    EXPECT_EQ(b.Pixel(190, 3), RGB(151, 151, 151));
}

TEST(DialogPainting, PicturesLeaveOutTheirBackgroundColour) {
    TBitmap monitor = MonitorPicture();
    ASSERT_EQ(monitor.Width(), 32);
    TBitmap target;
    target.SetPixelFormat(pf32bit);
    target.SetSize(40, 40);
    target.Canvas().Brush().SetColor(RGB(1, 2, 3));
    target.Canvas().FillRect({0, 0, 40, 40});
    DrawTransparentPicture(target.Canvas(), monitor, 4, 4);
    EXPECT_EQ(target.Pixel(4, 4), RGB(1, 2, 3));              // background left out
    EXPECT_EQ(target.Pixel(4 + 1, 4 + 2), RGB(0, 0, 0));      // the monitor's edge
    for (int i = 0; i < 4; ++i) EXPECT_EQ(DialogListImage(i).Width(), 16);
}

// A viewer: a datagram socket bound where the logger sends.
class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    }
    int Listen() {
        int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::string name = SourceViewerSocketName();
        std::memcpy(a.sun_path, name.c_str(), name.size() + 1);
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        return fd;
    }
    test::TempDir dir;
};

TEST_F(ViewerTest, TheRecordReachesAListeningViewer) {
    EXPECT_EQ(SourceViewerSocketName(), dir.path() + "OstrelLog");
    EXPECT_FALSE(SendToSourceViewer("uDM", 12));  // nobody listens: nothing happens
    int fd = Listen();
    ASSERT_TRUE(SendToSourceViewer("uDM", 120));
    char buf[4096];
    ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    ASSERT_EQ(n, 2052);
    EXPECT_STREQ(buf, "uDM");
    EXPECT_EQ(std::string(buf + 3, 2045), std::string(2045, '\0'));
    EXPECT_EQ(std::string(buf + 2048, 4), std::string("\x78\0\0\0", 4));
    ::close(fd);
}

TEST(SourceViewerRecord, LongUnitNamesAreCutOnACharacterBoundaryAndLinesAreLittleEndian) {
    std::string rec = SourceViewerRecord("u", -2);
    ASSERT_EQ(rec.size(), 2052u);
    EXPECT_EQ(rec.substr(2048), std::string("\xFE\xFF\xFF\xFF", 4));
    // 2046 ASCII bytes and a three-byte character: only the ASCII part fits.
    std::string unit = std::string(2046, 'a') + "误";
    rec = SourceViewerRecord(unit, 1);
    EXPECT_EQ(rec.substr(0, 2046), std::string(2046, 'a'));
    EXPECT_EQ(rec.substr(2046, 2), std::string(2, '\0'));
    // 2047 bytes exactly fit, with the terminating zero.
    rec = SourceViewerRecord(std::string(2047, 'b'), 1);
    EXPECT_EQ(rec[2046], 'b');
    EXPECT_EQ(rec[2047], '\0');
}

}  // namespace
}  // namespace menvaro
