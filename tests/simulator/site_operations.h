#pragma once
// Site runs in the seeded simulator: a survey, a plan, an audit, each over
// many detectors of the box, absent ones among them.
#include "simulator/operations.h"

namespace quelm::simulator {

// Forty site detectors (600 to 639), every seventh number absent, every
// fourth holding a level DYN+ over 100.
void AddSiteDetectors(sim::BoxConfig& box);

std::unique_ptr<Operation> MakeSiteSurvey();
std::unique_ptr<Operation> MakeSiteApply();
std::unique_ptr<Operation> MakeSiteAudit();

} // namespace quelm::simulator
