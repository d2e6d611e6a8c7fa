#pragma once

#include "CCriteria.h"
#include "CDecisionRule.h"
#include "TextNumber.h"

// What a project decides for itself beyond its tree. The project file keeps
// it as attributes of its project element (CSettingsAttributes).
//
// "Arrange Automatically" is not here: it is the user's way of working, the
// same for every project open, not something a project file should carry.
struct CProjectSettings
{
    bool operator==(const CProjectSettings &other) const;
    bool operator!=(const CProjectSettings &other) const { return !(*this == other); }

    // How the tree is rolled back.
    CDecisionRule rule;
    // One criterion, or two weighed together; with two the rollback
    // maximises their combined value and leaves the rule aside.
    CCriteria criteria;
    // The rule the analyses roll back by: the project's own, or for two
    // criteria the maximised expectation of their combined value, as the
    // rollback takes it.
    CDecisionRule AnalysisRule() const;

    // How payoffs and values are shown.
    NumberFormat numbers;
};
