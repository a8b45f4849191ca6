#pragma once
// GridColumns: the ordered, keyed catalogue of the result grid's columns.
//
// Positions count from 1 in collection order. Collection keys are unique and
// compared without regard to case; a column added without a key can only be
// reached by position. Columns are shared objects, so a caller may keep one
// and change its width while it stays in the catalogue.

#include "desktop/core/grid_column.h"

#include <QString>

#include <memory>
#include <variant>
#include <vector>

class GridColumns {
public:
    using ColumnPtr = std::shared_ptr<GridColumn>;

    // A position (from 1) or a key; "missing" when neither is given.
    class IndexKey {
    public:
        IndexKey() = default;
        IndexKey(int position) : value_(position) {}
        IndexKey(const QString& key) : value_(key) {}
        IndexKey(const char* key) : value_(QString::fromUtf8(key)) {}
        bool IsMissing() const { return std::holds_alternative<std::monostate>(value_); }
        bool IsPosition() const { return std::holds_alternative<int>(value_); }
        int Position() const { return std::get<int>(value_); }
        const QString& Key() const { return std::get<QString>(value_); }

    private:
        std::variant<std::monostate, int, QString> value_;
    };

    // The eight columns of the result grid, in catalogue order, with their
    // built-in widths.
    struct BuiltInColumn {
        const char* caption;
        float width;
        std::int16_t index;
        std::int32_t datatype;
    };
    static const std::vector<BuiltInColumn>& Catalogue();

    // Creates a column with the five fields set and puts it into the
    // collection: with collection key sKey when that is not empty; before
    // the column Before names when given, else after the one After names,
    // else at the end. Returns the new column. A duplicate key, or a Before
    // or After that names no column, logs one error line ("Add" of class
    // module GridColumns), adds nothing and returns no column.
    ColumnPtr Add(const QString& ColumnKey, float ColumnWidth, std::int16_t ColumnIndex, const QString& ColumnName,
                  std::int32_t ColumnDatatype, const QString& sKey = QString(), const IndexKey& Before = IndexKey(),
                  const IndexKey& After = IndexKey());

    // The column at that position or with that key; no column when unknown.
    ColumnPtr Item(const IndexKey& vntIndexKey) const;
    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
    // Removes that column; an unknown position or key is ignored.
    void Remove(const IndexKey& vntIndexKey);

    // Adds the eight built-in columns, each keyed by its caption.
    void AddBuiltInColumns();

    // Iteration over the columns in collection order (for-each).
    struct Entry {
        QString key; // collection key; empty when none
        ColumnPtr column;
    };
    class const_iterator {
    public:
        explicit const_iterator(std::vector<Entry>::const_iterator it) : it_(it) {}
        const ColumnPtr& operator*() const { return it_->column; }
        const_iterator& operator++()
        {
            ++it_;
            return *this;
        }
        bool operator!=(const const_iterator& o) const { return it_ != o.it_; }
        bool operator==(const const_iterator& o) const { return it_ == o.it_; }

    private:
        std::vector<Entry>::const_iterator it_;
    };
    const_iterator begin() const { return const_iterator(items_.begin()); }
    const_iterator end() const { return const_iterator(items_.end()); }

private:
    // Index into items_ (from 0) of a position or key; -1 when unknown.
    int Find(const IndexKey& indexKey) const;

    std::vector<Entry> items_;
};
