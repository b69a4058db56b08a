#pragma once

#include "platform/ado/ColumnInfo.h"
#include "platform/ado/RowStore.h"
#include "platform/ado/Variant.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ado {

/// The rows of one statement as an engine yields them, one at a time. A result whose rows
/// can be changed names its table and gives each row its key.
class BackendRows {
public:
    /// An integer value's number; false for any other value.
    static bool IntegerOf(const ValueView& value, std::int64_t& number) {
        switch (value.kind) {
        case VarKind::I2:
        case VarKind::I4:
        case VarKind::UI1:
        case VarKind::Int:
            number = value.integer;
            return true;
        case VarKind::R8:
            // An integer too wide for the engine's integer values: whole, inside 64 bits.
            if (value.real != std::trunc(value.real) || !(std::fabs(value.real) < 0x1p63))
                return false;
            number = static_cast<std::int64_t>(value.real);
            return true;
        default:
            return false;
        }
    }

    virtual ~BackendRows() = default;
    /// The result's columns (the key, when the engine adds one, is not among them).
    virtual const std::vector<ColumnInfo>& Columns() const = 0;
    /// The table the rows can be changed in by key; empty when they cannot.
    virtual const std::string& Table() const = 0;
    /// Moves to the next row; false once there is none. Engine failures throw ComError.
    virtual bool Step() = 0;
    /// The key of the current row (0 when the rows have none).
    virtual std::int64_t Key() const = 0;
    /// Appends the current row's values, one per column, to the last row of `rows`.
    virtual void ReadRow(RowStore& rows) = 0;
    /// The current row's value in `column`, as ReadRow would store it, read where the engine
    /// holds it: its text is valid only until the next Step.
    virtual ValueView Value(size_t column) = 0;
    /// The current row's values in columns [0, count), each as Value gives it.
    virtual void Values(ValueView* views, size_t count) {
        for (size_t column = 0; column < count; ++column)
            views[column] = Value(column);
    }
    /// Steps through every row still to come, appending each row's values to `values` when
    /// every one of them is an integer (a row holding a null, a text or a fraction is left
    /// out). For long walks over keys: an engine reads them with none of a cursor's work per
    /// row.
    virtual void ReadIntegers(std::vector<std::int64_t>& values) {
        const size_t width = Columns().size();
        while (Step()) {
            const size_t start = values.size();
            for (size_t column = 0; column < width; ++column) {
                std::int64_t number = 0;
                if (!IntegerOf(Value(column), number)) {
                    values.resize(start);
                    break;
                }
                values.push_back(number);
            }
        }
    }
    /// True while the engine is part-way through the result and holds the database for it.
    virtual bool Busy() const = 0;
};

/// Rows added to one table, each with values for the same columns: prepared once, so that a
/// long run of rows costs the engine's own work per row and little else.
class BackendInserter {
public:
    virtual ~BackendInserter() = default;
    /// Adds a row: one value per column, in the order the columns were named, each already
    /// as the column stores it. Engine failures throw ComError.
    virtual void Add(const std::vector<Variant>& values) = 0;
    /// Adds a row at once, after any rows still held back, and gives its key (the table's
    /// integer key), for rows that others refer to by it. Engine failures throw ComError.
    virtual std::int64_t AddNow(const std::vector<Variant>& values) = 0;
    /// Adds a row others refer to by its key and gives the key it has or will have: inside a
    /// transaction the engine may hold the row back like Add's, so neither it nor its table
    /// may be read or changed another way before Finish. Engine failures throw ComError.
    virtual std::int64_t AddKeyed(const std::vector<Variant>& values) { return AddNow(values); }
    /// Writes any rows still held back; call it before the transaction commits.
    virtual void Finish() = 0;
};

/// One engine's side of a connection: the few things the cursors and the connection need
/// from it. Every failure throws ComError with the engine's own words in its description.
class Backend {
public:
    /// Run before a statement writes: lets cursors finish what they are reading.
    using BeforeWrite = std::function<void()>;

    virtual ~Backend() = default;
    /// Where the data lives (a file path, a server), for messages.
    virtual const std::string& Location() const = 0;
    virtual void Close() = 0;

    virtual bool HasTable(const std::string& name) = 0;
    /// Every row of a table, in the order they were added, each with its key.
    virtual std::unique_ptr<BackendRows> OpenTable(const std::string& name) = 0;
    /// Runs an SQL text whose date literals are already rewritten. A text that returns rows
    /// gives them (keyed when they are a plain selection from one table); any other text is
    /// carried out at once, after `beforeWrite`, and gives nothing.
    virtual std::unique_ptr<BackendRows> Run(const std::string& sql,
                                             const BeforeWrite& beforeWrite) = 0;
    /// Runs a query whose rows are only read: they carry no key. A text that returns no rows
    /// runs as Run runs it.
    virtual std::unique_ptr<BackendRows> Read(const std::string& sql,
                                              const BeforeWrite& beforeWrite) {
        return Run(sql, beforeWrite);
    }
    /// Runs a text that returns no rows.
    virtual void Execute(const std::string& sql) = 0;

    /// Adds a row with these column values; returns its key.
    virtual std::int64_t Insert(const std::string& table, const std::vector<std::string>& columns,
                                const std::vector<Variant>& values) = 0;
    /// Changes the row with this key; returns how many rows changed (0 when it is gone).
    virtual long Change(const std::string& table, std::int64_t key,
                        const std::vector<std::string>& columns,
                        const std::vector<Variant>& values) = 0;
    virtual void Delete(const std::string& table, std::int64_t key) = 0;
    /// Prepares adding many rows to `table` with values for `columns`, in the engine's
    /// fastest way.
    virtual std::unique_ptr<BackendInserter>
    PrepareInsert(const std::string& table, const std::vector<std::string>& columns) = 0;

    virtual void Begin() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
};

} // namespace ado
