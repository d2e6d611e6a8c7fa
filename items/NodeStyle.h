#pragma once

#include <cstdint>

// Outline drawn behind a node's name. A namespace rather than an enum class,
// because NodeStyle::shape is a plain integer and unknown codes draw nothing.
namespace NodeShape {
enum Code : int32_t
{
    Rectangle = 0,
    Ellipse = 1,
    RoundedRectangle = 2,
    Triangle = 3,
};
}

// How one kind of node is drawn. The defaults are the "no style" row that a
// lookup of an unknown kind yields: no shape, no colour.
struct NodeStyle
{
    int32_t type = -1;
    int32_t shape = -1;
    int32_t width = 0;
    int32_t height = 0;
    int32_t red = -1;
    int32_t green = -1;
    int32_t blue = -1;
};
