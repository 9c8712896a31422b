// Generated form files of window controls, many of them with values no form
// designer writes (positions and sizes at the ends of the integer range,
// AutoSize, alignments and anchors in every mix, nesting) and some with
// damaged bytes: each is read, and what reads is shown, laid out and
// painted. Reading fails only with an error naming the file and line, and
// nothing reaches the application, overflows, or runs without end. Seeded:
// a failure names the one file that shows it.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <string>

#include "gfx/Types.h"
#include "testsupport/FuzzRandom.h"
#include "testsupport/UiTest.h"

namespace menvaro {
namespace {

constexpr int kForms = 8000;
constexpr std::uint64_t kSeed = 0xf0e5eed;

class FormGenerator : test::TFuzzRandom {
public:
    explicit FormGenerator(std::uint64_t seed) : TFuzzRandom(seed) {}

    std::string Form() {
        std::string f = "object F: TForm\n";
        static const char* const kStyles[] = {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow",
                                              "bsSizeToolWin"};
        if (Chance(30)) f += "  BorderStyle = " + std::string(kStyles[Pick(0, 5)]) + "\n";
        // The form's own size stays moderate (no AutoSize either): a window
        // at the end of the range, in the table of bad forms, takes the time
        // of hundreds of forms to paint.
        if (Chance(30)) f += "  ClientWidth = " + std::to_string(Pick(-50, 600)) + "\n";
        if (Chance(30)) f += "  ClientHeight = " + std::to_string(Pick(-50, 600)) + "\n";
        for (const char* p : {"Left", "Top", "Width", "Height"})
            if (Chance(50)) f += "  " + std::string(p) + " = " + std::to_string(Pick(-50, 600)) + "\n";
        const int children = Pick(0, 4);
        for (int i = 0; i < children; ++i) Control(f, "  ", 0);
        return f + "end\n";
    }

    // A few bytes changed, put in or taken out.
    std::string Damage(std::string f) {
        static const char kBytes[] = "=[]()<>{}'#$-+,. \n0123456789akTtObjectend";
        return TFuzzRandom::Damage(std::move(f), std::string_view(kBytes, sizeof kBytes - 1));
    }

private:
    std::string Number() {
        static const char* const kEdges[] = {"-2147483648", "2147483647", "-1", "0", "1", "32767", "32768", "-32768",
                                             "-32769", "65535", "99999999999", "-$8000000000000000", "$7FFFFFFF"};
        if (Chance(40)) return kEdges[Pick(0, 12)];
        return std::to_string(Pick(-50, 600));
    }
    void Bounds(std::string& f, const std::string& in) {
        for (const char* p : {"Left", "Top", "Width", "Height"})
            if (Chance(70)) f += in + p + " = " + Number() + "\n";
    }
    void Control(std::string& f, const std::string& in, int depth) {
        static const char* const kContainers[] = {"TPanel", "TGroupBox"};
        static const char* const kLeaves[] = {"TLabel", "TButton", "TEdit", "TCheckBox", "TBevel", "TShape", "TMemo",
                                              "TListBox"};
        const bool container = depth < 4 && Chance(45);
        const std::string cls = container ? kContainers[Pick(0, 1)] : kLeaves[Pick(0, 7)];
        f += in + "object C" + std::to_string(next_++) + ": " + cls + "\n";
        const std::string more = in + "  ";
        Bounds(f, more);
        static const char* const kAligns[] = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
        if (Chance(35)) f += more + "Align = " + kAligns[Pick(0, 5)] + "\n";
        if (Chance(40)) {
            static const char* const kAnchors[] = {"akLeft", "akTop", "akRight", "akBottom"};
            std::string set;
            for (const char* a : kAnchors)
                if (Chance(50)) set += (set.empty() ? "" : ", ") + std::string(a);
            f += more + "Anchors = [" + set + "]\n";
        }
        if (Chance(35)) f += more + "AutoSize = " + (Chance(50) ? "True" : "False") + "\n";
        if (Chance(10)) f += more + "Visible = False\n";
        if (cls != "TEdit" && cls != "TMemo" && cls != "TListBox" && cls != "TBevel" && cls != "TShape" &&
            Chance(40))
            f += more + "Caption = '" + (Chance(50) ? "a caption" : "中文#x") + "'\n";
        if (cls == "TLabel" && Chance(30)) f += more + "WordWrap = True\n";
        if (cls == "TPanel") {
            if (Chance(25)) f += more + "BorderWidth = " + Number() + "\n";
            if (Chance(25)) f += more + "BevelWidth = " + Number() + "\n";
        }
        if (Chance(15)) {
            static const char* const kLimits[] = {"MinWidth", "MaxWidth", "MinHeight", "MaxHeight"};
            f += more + "Constraints." + kLimits[Pick(0, 3)] + " = " + Number() + "\n";
        }
        if (container) {
            const int children = Pick(0, 3);
            for (int i = 0; i < children; ++i) Control(f, more, depth + 1);
        }
        f += in + "end\n";
    }

    int next_ = 1;
};

class FormFuzz : public UiTest {};

TEST_F(FormFuzz, GeneratedFormsReadOrFailWithTheLineAndLayOutWithinRange) {
    int read = 0, refused = 0;
    for (int i = 0; i < kForms; ++i) {
        FormGenerator gen(kSeed + static_cast<std::uint64_t>(i));
        std::string text = gen.Form();
        if (i % 4 == 3) text = gen.Damage(std::move(text));
        // A form that cannot be read goes at once, half made, as a program's
        // does.
        TForm* f = Create<TForm>(Application);
        try {
            ReadComponentText(f, text, "fuzz.form");
        } catch (const Exception& e) {
            f->Free();
            ++refused;
            ASSERT_EQ(std::string(e.what()).rfind("fuzz.form:", 0), 0u) << "form " << i << ": " << e.what() << "\n"
                                                                         << text;
            continue;
        }
        ++read;
        f->Show();
        Pump();
        std::string outOfRange;
        ForEachControl(f, [&](TControl* c) {
            // Layout moves things from where the file put them, by sums of a
            // few sizes at the most.
            constexpr int kFar = 16 * kMaxCoord;
            if (!(c->Left() >= -kFar && c->Left() <= kFar && c->Top() >= -kFar && c->Top() <= kFar &&
                  c->Width() >= 0 && c->Width() <= kFar && c->Height() >= 0 && c->Height() <= kFar))
                outOfRange += c->Name() + " at " + std::to_string(c->Left()) + "," + std::to_string(c->Top()) + " " +
                              std::to_string(c->Width()) + "x" + std::to_string(c->Height()) + "\n";
        });
        ASSERT_EQ(outOfRange, "") << "form " << i << ":\n" << text;
        f->Free();
        ASSERT_FALSE(HasFailure()) << "form " << i << ":\n" << text;
    }
    // Both roads are walked many times.
    EXPECT_GT(read, kForms / 2);
    EXPECT_GT(refused, kForms / 20);
}

}  // namespace
}  // namespace menvaro
