#pragma once

#include <QJsonObject>
#include <QString>

class CRiskProfile;
class CTreeEvaluation;
class CValueOfInformation;

// What ramify-solve adds to its report beyond expected values: the rule, the
// certainty equivalent under a risk tolerance, the value of information and
// the risk profiles, as JSON keys or as text tables. Missing analyses are
// passed as null and left out.
class CRiskReport
{
public:
    static QJsonObject Json(const CTreeEvaluation &evaluation,
                            const CValueOfInformation *pInformation, const CRiskProfile *pProfile);
    static QString Text(const CTreeEvaluation &evaluation, const CValueOfInformation *pInformation,
                        const CRiskProfile *pProfile);
};
