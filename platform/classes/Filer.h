// Defined stream properties: the values a class streams itself, beside its
// published properties (binary region data, design positions, the text of a
// string list). A class names them in DefineProperties(TFiler&); reading
// hands the callback a TReader over the value, writing a TWriter that
// builds it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Streams.h"
#include "base/Variant.h"
#include "classes/FormParser.h"

namespace menvaro {

class TComponent;

// Reads one value of a form file (or the elements of a list value).
class TReader {
public:
    TReader(const TFormValue& value, const std::string& fileName, TComponent* root);

    std::int64_t ReadInteger();
    double ReadFloat();
    std::string ReadString();
    bool ReadBoolean();
    std::string ReadIdent();
    std::string ReadBinary();
    Variant ReadVariant();
    // A list "( ... )": ReadListBegin, then values until EndOfList, then ReadListEnd.
    void ReadListBegin();
    bool EndOfList() const;
    void ReadListEnd();

    const TFormValue& Peek() const;
    int Line() const;
    const std::string& FileName() const { return fileName_; }
    TComponent* Root() const { return root_; }
    [[noreturn]] void Fail(const std::string& what) const;

private:
    const TFormValue& Take(TFormValue::Kind kind, const char* expected);

    struct Level {
        const std::vector<TFormValue>* values;
        std::size_t next;
    };
    const TFormValue& value_;
    bool taken_ = false;
    std::vector<Level> lists_;
    std::string fileName_;
    TComponent* root_;
};

// Builds one value for a form file.
class TWriter {
public:
    explicit TWriter(TComponent* root) : root_(root) {}

    void WriteInteger(std::int64_t v);
    void WriteFloat(double v);
    void WriteString(const std::string& v);
    void WriteBoolean(bool v);
    void WriteIdent(const std::string& v);
    void WriteBinary(const std::string& bytes);
    void WriteVariant(const Variant& v);
    void WriteListBegin();
    void WriteListEnd();

    TComponent* Root() const { return root_; }
    // The value built; empty when nothing was written.
    bool HasValue() const { return has_; }
    const TFormValue& Value() const { return value_; }

private:
    void Put(TFormValue v);
    TFormValue value_;
    std::vector<TFormValue*> lists_;
    bool has_ = false;
    TComponent* root_;
};

class TFiler {
public:
    virtual ~TFiler() = default;
    // `hasData` tells the writer whether to store the property at all.
    virtual void DefineProperty(const std::string& name, std::function<void(TReader&)> read,
                                std::function<void(TWriter&)> write, bool hasData) = 0;
    // Binary data: the read callback gets a stream over the bytes, the
    // write callback a stream to fill.
    virtual void DefineBinaryProperty(const std::string& name, std::function<void(TStream&)> read,
                                      std::function<void(TStream&)> write, bool hasData) = 0;
    virtual TComponent* Root() const = 0;
    virtual bool IsReading() const = 0;
};

}  // namespace menvaro
