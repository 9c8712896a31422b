// The base layer's TStringList as a streamable (foreign) class.
#include "base/StringList.h"
#include "classes/ClassBuilder.h"
#include "classes/Filer.h"

namespace menvaro {

MENVARO_FOREIGN_CLASS_INFO(TStringList, "TStringList") {
    c.DefineProperties([](TStringList& list, TFiler& filer) {
        filer.DefineProperty(
            "Strings",
            [&list](TReader& r) {
                list.BeginUpdate();
                try {
                    list.Clear();
                    r.ReadListBegin();
                    while (!r.EndOfList()) list.Add(r.ReadString());
                    r.ReadListEnd();
                } catch (...) {
                    list.EndUpdate();
                    throw;
                }
                list.EndUpdate();
            },
            [&list](TWriter& w) {
                w.WriteListBegin();
                for (const std::string& s : list) w.WriteString(s);
                w.WriteListEnd();
            },
            list.Count() > 0);
    });
}

}  // namespace menvaro
