// Answers one question while the player waits for a program it started: is a process of a
// given name running? The tool-help snapshot answers on every system that has it; where it is
// missing, the system's performance data does.
#pragma once

#include <string>

namespace zp::services {

struct ProcessQuery {
  bool ok = false;     // false when neither way could answer
  bool found = false;  // a process of that name is running
};

// `name` is a program name without directory and extension; names compare without regard to
// case (the performance data compares only their first 15 characters).
ProcessQuery IsProcessRunning(const std::wstring& name);

// The performance-data way alone, so that it can be tried where the snapshot works too.
ProcessQuery IsProcessRunningByPerformanceData(const std::wstring& name);

}  // namespace zp::services
