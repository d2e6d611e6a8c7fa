#pragma once

#include <QtGlobal>

// The images live in a static library; nothing would pull their registration
// into a program unless someone names it. Safe to call more than once.
inline void InitRamifyResources()
{
    Q_INIT_RESOURCE(Ramify);
}
