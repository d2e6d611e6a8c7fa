#pragma once

#include <cstddef>
#include <iterator>
#include <string_view>

// What a "Node" element says, by attribute.
enum class NodeField
{
    ID,
    ParentID,
    Type,
    Name,
    Probability,
    Payoff,
    X,
    Y,
    Active,
    PayoffComment,
    PayoffFormula,
    ProbabilityFormula,
    Payoff2,
    Payoff2Formula,
    Folded,
    Count
};

inline constexpr std::string_view NodeFieldNames[] = {"ID",
                                                      "ParentID",
                                                      "Type",
                                                      "Name",
                                                      "Probability",
                                                      "Payoff",
                                                      "X",
                                                      "Y",
                                                      "TRUE",
                                                      "PayoffComment",
                                                      "PayoffFormula",
                                                      "ProbabilityFormula",
                                                      "Payoff2",
                                                      "Payoff2Formula",
                                                      "Folded"};
static_assert(std::size(NodeFieldNames) == size_t(NodeField::Count));
