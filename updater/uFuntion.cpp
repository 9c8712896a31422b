#include "uFuntion.h"

#include "base/CodePage.h"
#include "base/Strings.h"
#include "ui/StdCtrls.h"

namespace pelgrane {

using namespace menvaro;

std::string QuoteConnectionValue(const std::string& Value) {
    if (Value.empty()) return Value;
    auto edge = [](char c) { return c == ' ' || c == '\t' || c == '"' || c == '\''; };
    const bool needs = Value.find_first_of(";=") != std::string::npos || edge(Value.front()) || edge(Value.back());
    if (!needs) return Value;
    return "\"" + menvaro::ReplaceAll(Value, "\"", "\"\"") + "\"";
}

void BuildConnectionString(const std::string& Server, const std::string& Database, const std::string& User,
                           std::u16string& Result, bool Integrated, const std::string& Password) {
    const std::string server = QuoteConnectionValue(Server);
    const std::string database = QuoteConnectionValue(Database);
    const std::string user = QuoteConnectionValue(User);
    std::string s;
    if (Integrated) {
        s = "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=" + database +
            ";Data Source=" + server;
    } else if (!Password.empty()) {
        s = "Provider=SQLOLEDB.1;Password=" + QuoteConnectionValue(Password) + ";Persist Security Info=True;" +
            "User ID=" + user + ";Initial Catalog=" + database + ";Data Source=" + server;
    } else {
        s = "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=" + user + ";Initial Catalog=" + database +
            ";Data Source=" + server;
    }
    Result = menvaro::Utf8ToUtf16(s);
}

void ShowMsg(const std::string& Text, unsigned char Kind) {
    static const struct {
        TMsgDlgType type;
        const char* caption;
    } kinds[] = {
        {mtWarning, "警告"}, {mtError, "错误"}, {mtInformation, "信息"}, {mtConfirmation, "确认"}, {mtCustom, "提示"},
    };
    const auto& k = kinds[Kind < 5 ? Kind : 4];
    ShowMessageDialog(Text, k.caption, k.type, "", 0, TMsgDlgButtons{mbOK});
}

int ShowMessageDialog(const std::string& Text, const std::string& Caption, TMsgDlgType DlgType,
                      const std::string& HelpFile, int HelpContext, TMsgDlgButtons Buttons) {
    TOwned<TMessageForm> dialog(CreateMessageDialog(Text, DlgType, Buttons));
    LocalizeDialogButtons(dialog.get(), Buttons);
    dialog->SetHelpContext(HelpContext);
    dialog->SetCaption(Caption);
    dialog->HelpFile = HelpFile;
    dialog->SetPosition(poScreenCenter);
    return dialog->ShowModal();
}

void LocalizeDialogButtons(TMessageForm* Dialog, TMsgDlgButtons Buttons) {
    static const struct {
        TMsgDlgBtn kind;
        const char* caption;
    } captions[] = {{mbOK, "确定"}, {mbYes, "是"}, {mbNo, "否"}, {mbCancel, "取消"}};
    for (int k = mbYes; k <= mbHelp; ++k) {
        const auto kind = static_cast<TMsgDlgBtn>(k);
        if (!Buttons.Contains(kind)) continue;
        auto* button = dynamic_cast<TControl*>(Dialog->FindComponent(MsgDlgButtonName(kind)));
        if (!button) continue;
        for (const auto& c : captions)
            if (c.kind == kind) button->SetCaption(c.caption);
    }
}

}  // namespace pelgrane
