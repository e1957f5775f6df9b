// The phase tables of the motions, each defined beside its motion and listed
// here for the checks that must hold for every phase of every motion.
#ifndef VEXA_MOTION_TABLES_H
#define VEXA_MOTION_TABLES_H

#include "motion.h"

namespace motion {

PhaseList walkPhases();        // the three turning phases included
PhaseList kickPhases();
PhaseList circlingPhases();
PhaseList standUpPhases();
PhaseList goalkeeperStatuses();  // in the order of their ids

}  // namespace motion

#endif
