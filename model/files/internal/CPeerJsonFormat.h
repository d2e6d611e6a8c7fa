#pragma once

// What reading and writing SilverDecisions files agree on.
namespace CPeerJsonFormat {
// That tool draws nodes only, about half as far apart as this program draws
// a node and its options; its coordinates times this are ours.
constexpr int Scale = 2;
// The farthest a coordinate of the file reaches, well inside int32 once
// scaled, so that the places worked out between nodes cannot overflow.
constexpr double MaxCoordinate = 1e8;
// How far left of the top node the Root stands, in the file's units.
constexpr int RootDistance = 150;
// Qt reads JSON nested at most 1024 deep, and each level of the tree takes
// three (a node, its list of options, an option); deeper trees cannot be
// written in this format.
constexpr int MaxDepth = 330;
// The version written into exported files: the newest whose layout is known here.
constexpr const char *Version = "1.2.1";
} // namespace CPeerJsonFormat
