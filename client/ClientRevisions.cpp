// The library writes no configuration-control report: the modules it shares
// with the station register their identification lines nowhere.
#include "common/RevisionString.h"

void RevisionLines::RegisterOnce() { registered_ = true; }
