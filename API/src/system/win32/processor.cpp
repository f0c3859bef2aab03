#include "system/processor.h"

// Not told in this build, so that a thread spinning on a value yields the
// processor at every look, as it always has here. GetCurrentProcessorNumber
// would tell; using it changes how such threads spin, which wants measuring
// first.
int Processor::Current() {
  return -1;
}
