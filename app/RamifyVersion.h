#pragma once

// The version the about box and `ramify --version` show.
inline const char *RamifyVersion()
{
    return "0.8";
}
