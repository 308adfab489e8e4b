#include "exit_routines.h"

#include <algorithm>

void ExitRoutineList::Add(ExitRoutine routine) {
  if (std::find(routines_.begin(), routines_.end(), routine) == routines_.end())
    routines_.push_back(routine);
}

void ExitRoutineList::RunAndClear() {
  // Taken out first, so that a routine registering another cannot extend this run.
  std::vector<ExitRoutine> routines;
  routines.swap(routines_);
  for (ExitRoutine routine : routines) routine();
}

ExitRoutineList& ProcessExitRoutines() {
  static ExitRoutineList list;
  return list;
}

void RegisterExitRoutine(ExitRoutine routine) { ProcessExitRoutines().Add(routine); }
