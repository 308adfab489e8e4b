// The exit-routine list: run in registration order at a normal end, dropped
// unrun on a fatal error. A routine is in it at most once.
#pragma once
#include <cstddef>
#include <vector>

using ExitRoutine = void (*)();

class ExitRoutineList {
 public:
  void Add(ExitRoutine routine);
  // Runs each routine once, in order, then empties the list.
  void RunAndClear();
  void Clear() { routines_.clear(); }
  size_t size() const { return routines_.size(); }

 private:
  std::vector<ExitRoutine> routines_;
};

ExitRoutineList& ProcessExitRoutines();
void RegisterExitRoutine(ExitRoutine routine);
