#include "classes/FormWriter.h"

#include <charconv>
#include <cstdio>

#include "base/CodePage.h"
#include "classes/Collections.h"
#include "classes/Filer.h"

namespace menvaro {

namespace {

std::string Indent(int n) { return std::string(static_cast<std::size_t>(n) * 2, ' '); }

std::string QuoteString(const std::string& s) {
    if (s.empty()) return "''";
    std::string out;
    bool inQuote = false;
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char ch = static_cast<unsigned char>(s[i]);
        if (ch < 0x20 || ch == 0x7F) {
            if (inQuote) out.push_back('\'');
            inQuote = false;
            out += "#" + std::to_string(ch);
            ++i;
            continue;
        }
        if (!inQuote) out.push_back('\'');
        inQuote = true;
        std::size_t len = CharLength(s, i);
        if (ch == '\'') out.push_back('\'');
        out.append(s, i, len);
        i += len;
    }
    if (inQuote) out.push_back('\'');
    return out;
}

std::string FloatText(double v) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, end);
    // A float always shows it is one, so that it reads back as a float.
    if (s.find_first_of(".eEn") == std::string::npos) s += ".0";
    return s;
}

class TWriteFiler : public TFiler {
public:
    TWriteFiler(TComponent* root, std::vector<std::pair<std::string, TFormValue>>& out) : root_(root), out_(out) {}

    void DefineProperty(const std::string& name, std::function<void(TReader&)>, std::function<void(TWriter&)> write,
                        bool hasData) override {
        if (!hasData || !write) return;
        TWriter w(root_);
        write(w);
        if (w.HasValue()) out_.emplace_back(name, w.Value());
    }

    void DefineBinaryProperty(const std::string& name, std::function<void(TStream&)>,
                              std::function<void(TStream&)> write, bool hasData) override {
        if (!hasData || !write) return;
        TMemoryStream stream;
        write(stream);
        TFormValue v;
        v.kind = TFormValue::Binary;
        v.text = stream.Bytes();
        out_.emplace_back(name, std::move(v));
    }

    TComponent* Root() const override { return root_; }
    bool IsReading() const override { return false; }

private:
    TComponent* root_;
    std::vector<std::pair<std::string, TFormValue>>& out_;
};

class Writer {
public:
    explicit Writer(TComponent* root) : root_(root) {}

    void Component(TComponent* c, int level) {
        out_ += Indent(level) + "object " + (c->Name().empty() ? c->ClassName() : c->Name() + ": " + c->ClassName()) +
                "\n";
        TInstance inst{static_cast<TObject*>(c), &c->ClassType()};
        Properties(inst, std::string(), level + 1);
        c->GetChildren([&](TComponent* child) { Component(child, level + 1); }, root_);
        out_ += Indent(level) + "end\n";
    }

    std::string Text() const { return out_; }

private:
    void Line(int level, const std::string& name, const TFormValue& v) {
        out_ += Indent(level) + name + " = " + FormValueText(v, level) + "\n";
    }

    void Properties(TInstance inst, const std::string& prefix, int level) {
        for (const TPropInfo* p : inst.Class->AllProps()) {
            if (!p->IsStored(inst.Ptr)) continue;
            Property(inst, *p, prefix + p->Name, level);
        }
        std::vector<std::pair<std::string, TFormValue>> defined;
        TWriteFiler filer(root_, defined);
        if (TObject* o = inst.Object()) {
            if (auto* persistent = dynamic_cast<TPersistent*>(o)) persistent->DefineProperties(filer);
        } else {
            for (const TClassInfo* c = inst.Class; c; c = c->Parent())
                if (c->DefineProps) {
                    c->DefineProps(inst.Ptr, filer);
                    break;
                }
        }
        for (auto& [name, value] : defined) Line(level, prefix + name, value);
    }

    void Property(TInstance inst, const TPropInfo& p, const std::string& name, int level) {
        TFormValue v;
        switch (p.Kind) {
            case TTypeKind::Integer:
            case TTypeKind::Char:
            case TTypeKind::Boolean:
            case TTypeKind::Enumeration:
            case TTypeKind::Set: {
                std::int64_t n = p.GetOrd(inst.Ptr);
                if (p.HasDefault && n == p.Default) return;
                Ordinal(p, n, v);
                break;
            }
            case TTypeKind::Float: {
                double d = p.GetFloat(inst.Ptr);
                if (d == 0) return;
                v.kind = TFormValue::Float;
                v.number = d;
                break;
            }
            case TTypeKind::String: {
                std::string s = p.GetStr(inst.Ptr);
                if (s.empty()) return;
                v.kind = TFormValue::String;
                v.text = std::move(s);
                break;
            }
            case TTypeKind::Variant: {
                Variant var = p.GetVar(inst.Ptr);
                if (var.IsEmpty() || var.IsNull()) return;
                TWriter w(root_);
                w.WriteVariant(var);
                v = w.Value();
                break;
            }
            case TTypeKind::Method: {
                TMethodValue m = p.GetMethod(inst.Ptr);
                if (!m.Code || m.Data != static_cast<TObject*>(root_)) return;
                const TMethodEntry* entry = root_->ClassType().FindMethodByCode(m.Code);
                if (!entry) return;
                v.kind = TFormValue::Ident;
                v.text = entry->Name;
                break;
            }
            case TTypeKind::Class: {
                TInstance obj = p.GetObj(inst.Ptr);
                if (p.IsComponentRef) {
                    if (!obj) return;
                    v.kind = TFormValue::Ident;
                    v.text = ReferenceName(static_cast<TComponent*>(obj.Object()));
                    if (v.text.empty()) return;
                    break;
                }
                if (!obj) return;
                if (auto* collection = dynamic_cast<TCollection*>(obj.Object())) {
                    if (collection->Count() == 0) return;
                    Collection(collection, name, level);
                    return;
                }
                Properties(obj, name + ".", level);
                return;
            }
        }
        Line(level, name, v);
    }

    void Ordinal(const TPropInfo& p, std::int64_t n, TFormValue& v) {
        switch (p.Kind) {
            case TTypeKind::Boolean:
                v.kind = TFormValue::Ident;
                v.text = n ? "True" : "False";
                return;
            case TTypeKind::Enumeration:
                if (const std::string* s = p.Enum->NameOf(static_cast<int>(n))) {
                    v.kind = TFormValue::Ident;
                    v.text = *s;
                    return;
                }
                break;
            case TTypeKind::Set:
                v.kind = TFormValue::Set;
                for (int i = 0; i < 64; ++i)
                    if ((static_cast<std::uint64_t>(n) >> i) & 1)
                        if (const std::string* s = p.Enum->NameOf(i)) v.names.push_back(*s);
                return;
            case TTypeKind::Char:
                v.kind = TFormValue::String;
                v.text = std::string(1, static_cast<char>(n));
                return;
            default:
                if (p.Idents) {
                    std::string ident;
                    if (p.Idents->IntToIdent(n, ident)) {
                        v.kind = TFormValue::Ident;
                        v.text = ident;
                        return;
                    }
                }
                break;
        }
        v.kind = TFormValue::Integer;
        v.integer = n;
    }

    std::string ReferenceName(TComponent* c) const {
        if (!c || c->Name().empty()) return std::string();
        if (c == root_) return c->Name();
        if (c->Owner() == root_) return c->Name();
        if (c->Owner() && !c->Owner()->Name().empty()) return c->Owner()->Name() + "." + c->Name();
        return std::string();
    }

    void Collection(TCollection* collection, const std::string& name, int level) {
        out_ += Indent(level) + name + " = <";
        for (int i = 0; i < collection->Count(); ++i) {
            TCollectionItem* item = collection->Items(i);
            out_ += "\n" + Indent(level + 1) + "item\n";
            TInstance inst{static_cast<TObject*>(item), &item->ClassType()};
            Properties(inst, std::string(), level + 2);
            out_ += Indent(level + 1) + "end";
        }
        out_ += ">\n";
    }

    TComponent* root_;
    std::string out_;
};

}  // namespace

std::string FormValueText(const TFormValue& v, int indent) {
    switch (v.kind) {
        case TFormValue::Integer: return std::to_string(v.integer);
        case TFormValue::Float: return FloatText(v.number);
        case TFormValue::String: return QuoteString(v.text);
        case TFormValue::Ident: return v.text;
        case TFormValue::Set: {
            std::string s = "[";
            for (std::size_t i = 0; i < v.names.size(); ++i) s += (i ? ", " : "") + v.names[i];
            return s + "]";
        }
        case TFormValue::List: {
            std::string s = "(";
            for (const TFormValue& item : v.values) s += "\n" + Indent(indent + 1) + FormValueText(item, indent + 1);
            return s + ")";
        }
        case TFormValue::Binary: {
            static const char hex[] = "0123456789ABCDEF";
            std::string s = "{";
            for (std::size_t i = 0; i < v.text.size(); ++i) {
                if (i % 32 == 0) s += "\n" + Indent(indent + 1);
                auto b = static_cast<unsigned char>(v.text[i]);
                s.push_back(hex[b >> 4]);
                s.push_back(hex[b & 15]);
            }
            return s + "}";
        }
        case TFormValue::Collection: {
            std::string s = "<";
            for (const TFormItem& item : v.items) {
                s += "\n" + Indent(indent + 1) + "item\n";
                for (const TFormProperty& p : item.props)
                    s += Indent(indent + 2) + p.name + " = " + FormValueText(p.value, indent + 2) + "\n";
                s += Indent(indent + 1) + "end";
            }
            return s + ">";
        }
    }
    return std::string();
}

std::string WriteComponentText(TComponent* root) {
    root->SetComponentStateFlag(csWriting, true);
    Writer w(root);
    try {
        w.Component(root, 0);
    } catch (...) {
        root->SetComponentStateFlag(csWriting, false);
        throw;
    }
    root->SetComponentStateFlag(csWriting, false);
    return w.Text();
}

}  // namespace menvaro
