#include "classes/Filer.h"

#include "base/Strings.h"

namespace menvaro {

TReader::TReader(const TFormValue& value, const std::string& fileName, TComponent* root)
    : value_(value), fileName_(fileName), root_(root) {}

const TFormValue& TReader::Peek() const {
    if (!lists_.empty()) {
        const Level& l = lists_.back();
        if (l.next >= l.values->size()) Fail("the list has no more values");
        return (*l.values)[l.next];
    }
    if (taken_) Fail("no more values to read");
    return value_;
}

int TReader::Line() const {
    if (!lists_.empty()) {
        const Level& l = lists_.back();
        if (l.next < l.values->size()) return (*l.values)[l.next].line;
    }
    return value_.line;
}

void TReader::Fail(const std::string& what) const { RaiseFormError(fileName_, Line(), what); }

const TFormValue& TReader::Take(TFormValue::Kind kind, const char* expected) {
    const TFormValue& v = Peek();
    if (v.kind != kind) Fail(std::string(expected) + " expected, found " + v.KindName());
    if (!lists_.empty())
        ++lists_.back().next;
    else
        taken_ = true;
    return v;
}

std::int64_t TReader::ReadInteger() { return Take(TFormValue::Integer, "integer").integer; }

double TReader::ReadFloat() {
    const TFormValue& v = Peek();
    if (v.kind == TFormValue::Integer) return static_cast<double>(Take(TFormValue::Integer, "number").integer);
    return Take(TFormValue::Float, "number").number;
}

std::string TReader::ReadString() { return Take(TFormValue::String, "string").text; }

bool TReader::ReadBoolean() {
    std::string ident = ReadIdent();
    if (SameText(ident, "True")) return true;
    if (SameText(ident, "False")) return false;
    Fail("True or False expected, found '" + ident + "'");
}

std::string TReader::ReadIdent() { return Take(TFormValue::Ident, "identifier").text; }

std::string TReader::ReadBinary() { return Take(TFormValue::Binary, "binary data").text; }

Variant TReader::ReadVariant() {
    const TFormValue& v = Peek();
    switch (v.kind) {
        case TFormValue::Integer: return Variant(ReadInteger());
        case TFormValue::Float: return Variant(ReadFloat());
        case TFormValue::String: return Variant(ReadString());
        case TFormValue::Ident: {
            std::string ident = ReadIdent();
            if (SameText(ident, "True")) return Variant(true);
            if (SameText(ident, "False")) return Variant(false);
            if (SameText(ident, "Null")) return Null;
            if (SameText(ident, "Unassigned")) return Variant();
            Fail("'" + ident + "' is not a variant value");
        }
        default: Fail(std::string("a variant value expected, found ") + v.KindName());
    }
}

void TReader::ReadListBegin() {
    const TFormValue& v = Take(TFormValue::List, "list");
    lists_.push_back({&v.values, 0});
}

bool TReader::EndOfList() const {
    if (lists_.empty()) return true;
    return lists_.back().next >= lists_.back().values->size();
}

void TReader::ReadListEnd() {
    if (lists_.empty()) Fail("not inside a list");
    if (!EndOfList()) Fail("more values in the list than expected");
    lists_.pop_back();
}

void TWriter::Put(TFormValue v) {
    if (!lists_.empty()) {
        lists_.back()->values.push_back(std::move(v));
        return;
    }
    value_ = std::move(v);
    has_ = true;
}

void TWriter::WriteInteger(std::int64_t v) {
    TFormValue f;
    f.kind = TFormValue::Integer;
    f.integer = v;
    Put(std::move(f));
}

void TWriter::WriteFloat(double v) {
    TFormValue f;
    f.kind = TFormValue::Float;
    f.number = v;
    Put(std::move(f));
}

void TWriter::WriteString(const std::string& v) {
    TFormValue f;
    f.kind = TFormValue::String;
    f.text = v;
    Put(std::move(f));
}

void TWriter::WriteBoolean(bool v) { WriteIdent(v ? "True" : "False"); }

void TWriter::WriteIdent(const std::string& v) {
    TFormValue f;
    f.kind = TFormValue::Ident;
    f.text = v;
    Put(std::move(f));
}

void TWriter::WriteBinary(const std::string& bytes) {
    TFormValue f;
    f.kind = TFormValue::Binary;
    f.text = bytes;
    Put(std::move(f));
}

void TWriter::WriteVariant(const Variant& v) {
    switch (v.VarType()) {
        case TVarType::varEmpty: WriteIdent("Unassigned"); break;
        case TVarType::varNull: WriteIdent("Null"); break;
        case TVarType::varInteger: WriteInteger(v.AsInteger()); break;
        case TVarType::varDouble: WriteFloat(v.AsDouble()); break;
        case TVarType::varBoolean: WriteBoolean(v.AsBoolean()); break;
        case TVarType::varString: WriteString(v.AsString()); break;
        case TVarType::varError:
        case TVarType::varArray:
            throw EWriteError(std::string("A variant of type (") + VarTypeName(v.VarType()) +
                              ") cannot be written to a form");
    }
}

void TWriter::WriteListBegin() {
    TFormValue f;
    f.kind = TFormValue::List;
    if (!lists_.empty()) {
        lists_.back()->values.push_back(std::move(f));
        lists_.push_back(&lists_.back()->values.back());
    } else {
        value_ = std::move(f);
        has_ = true;
        lists_.push_back(&value_);
    }
}

void TWriter::WriteListEnd() {
    if (!lists_.empty()) lists_.pop_back();
}

}  // namespace menvaro
