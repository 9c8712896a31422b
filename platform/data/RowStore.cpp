#include "data/RowStore.h"

#include <limits>

#include "base/Exceptions.h"

namespace menvaro {

void TRowStore::Reset(int columns) {
    if (columns < 0) throw EInvalidArgument("Negative column count");
    columns_ = columns;
    rows_ = 0;
    cells_.clear();
    texts_.clear();
}

int TRowStore::AddRow() {
    Cell empty{};
    empty.kind = TValueKind::Null;
    cells_.insert(cells_.end(), static_cast<std::size_t>(columns_), empty);
    return rows_++;
}

void TRowStore::InsertRow(int row) {
    if (row < 0 || row > rows_) throw ERangeError("Row index out of range (" + std::to_string(row) + ")");
    Cell empty{};
    empty.kind = TValueKind::Null;
    cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(row) * columns_,
                  static_cast<std::size_t>(columns_), empty);
    ++rows_;
}

void TRowStore::DeleteRow(int row) {
    if (row < 0 || row >= rows_) throw ERangeError("Row index out of range (" + std::to_string(row) + ")");
    auto first = cells_.begin() + static_cast<std::ptrdiff_t>(row) * columns_;
    cells_.erase(first, first + columns_);
    --rows_;
}

void TRowStore::OutOfRange(int row, int col) {
    throw ERangeError("Cell index out of range (" + std::to_string(row) + ", " + std::to_string(col) + ")");
}

void TRowStore::SetInteger(int row, int col, std::int64_t v) {
    Cell& c = At(row, col);
    c.kind = TValueKind::Integer;
    c.i = v;
}

void TRowStore::SetFloat(int row, int col, double v) {
    Cell& c = At(row, col);
    c.kind = TValueKind::Float;
    c.d = v;
}

void TRowStore::SetCurrency(int row, int col, std::int64_t scaled) {
    Cell& c = At(row, col);
    c.kind = TValueKind::Currency;
    c.i = scaled;
}

void TRowStore::SetDateTime(int row, int col, double v) {
    Cell& c = At(row, col);
    c.kind = TValueKind::DateTime;
    c.d = v;
}

void TRowStore::SetText(int row, int col, std::string_view v) {
    if (v.size() > std::numeric_limits<std::uint32_t>::max()) throw EOutOfMemory("Value too long");
    Cell& c = At(row, col);
    c.kind = TValueKind::Text;
    c.offset = texts_.size();
    c.length = static_cast<std::uint32_t>(v.size());
    texts_.append(v);
}

void TRowStore::Set(int row, int col, const TCellValue& v) {
    switch (v.kind) {
        case TValueKind::Null: SetNull(row, col); break;
        case TValueKind::Integer: SetInteger(row, col, v.i); break;
        case TValueKind::Float: SetFloat(row, col, v.d); break;
        case TValueKind::Currency: SetCurrency(row, col, v.i); break;
        case TValueKind::DateTime: SetDateTime(row, col, v.d); break;
        case TValueKind::Text: SetText(row, col, v.s); break;
    }
}

}  // namespace menvaro
