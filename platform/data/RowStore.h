// The records of a data set: a table of typed cells whose texts live in one
// shared buffer, so a large result costs two allocations that grow, not one
// per value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/FieldTypes.h"

namespace menvaro {

class TRowStore {
public:
    // Drops every row and sets the number of columns.
    void Reset(int columns);
    int ColumnCount() const { return columns_; }
    int RowCount() const { return rows_; }

    // Appends a row of Null cells and returns its index.
    int AddRow();
    // Inserts a row of Null cells before `row` (RowCount() appends).
    void InsertRow(int row);
    void DeleteRow(int row);

    void SetNull(int row, int col) { At(row, col).kind = TValueKind::Null; }
    void SetInteger(int row, int col, std::int64_t v);
    void SetFloat(int row, int col, double v);
    void SetCurrency(int row, int col, std::int64_t scaled);
    void SetDateTime(int row, int col, double v);
    void SetText(int row, int col, std::string_view v);
    void Set(int row, int col, const TCellValue& v);

    TCellValue Get(int row, int col) const {
        const Cell& c = At(row, col);
        TCellValue v;
        v.kind = c.kind;
        switch (c.kind) {
            case TValueKind::Null: break;
            case TValueKind::Integer:
            case TValueKind::Currency: v.i = c.i; break;
            case TValueKind::Float:
            case TValueKind::DateTime: v.d = c.d; break;
            case TValueKind::Text: v.s = std::string_view(texts_.data() + c.offset, c.length); break;
        }
        return v;
    }

private:
    struct Cell {
        union {
            std::int64_t i;
            double d;
            std::uint64_t offset;
        };
        std::uint32_t length;
        TValueKind kind;
    };
    // Checked: ERangeError outside the table.
    Cell& At(int row, int col) {
        if (static_cast<unsigned>(row) >= static_cast<unsigned>(rows_) ||
            static_cast<unsigned>(col) >= static_cast<unsigned>(columns_))
            OutOfRange(row, col);
        return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(col)];
    }
    const Cell& At(int row, int col) const { return const_cast<TRowStore*>(this)->At(row, col); }
    [[noreturn]] static void OutOfRange(int row, int col);

    int columns_ = 0;
    int rows_ = 0;
    std::vector<Cell> cells_;
    // Texts of all cells; a replaced text stays behind unused until Reset.
    std::string texts_;
};

}  // namespace menvaro
