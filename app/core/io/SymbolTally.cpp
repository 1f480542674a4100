#include "SymbolTally.h"

SymbolElement& SymbolTally::Append(const SymbolElement& row)
{
    last_ = rows_.size();
    places_.emplace(row.symbol, last_);
    rows_.push_back(row);
    return rows_.back();
}

SymbolElement& SymbolTally::RowOf(std::string_view symbol, const ElementLookup& lookup, int notFound)
{
    if (last_ < rows_.size() && rows_[last_].symbol == symbol)
        return rows_[last_];
    if (const auto found = places_.find(symbol); found != places_.end()) {
        last_ = found->second;
        return rows_[last_];
    }
    const ElementFound element = lookup.Resolve(symbol, notFound);
    if (rows_.size() >= MostRows) {
        beyond_.element = element.element;
        beyond_.rule = element.rule;
        return beyond_;
    }
    return Append({std::string(symbol), element.element, element.rule, 0});
}

void SymbolTally::Join(const SymbolTally& later)
{
    for (const SymbolElement& row : later.rows_) {
        if (const auto found = places_.find(row.symbol); found != places_.end())
            rows_[found->second].atoms += row.atoms;
        else if (rows_.size() < MostRows)
            Append(row);
        else
            beyond_.atoms += row.atoms;
    }
    beyond_.atoms += later.beyond_.atoms;
}

std::vector<SymbolElement> SymbolTally::Rows() const
{
    std::vector<SymbolElement> rows;
    for (const SymbolElement& row : rows_)
        if (row.atoms > 0)
            rows.push_back(row);
    return rows;
}
