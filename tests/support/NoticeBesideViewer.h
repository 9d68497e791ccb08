// How most tests of the real program begin: the stand-in viewer open, then the program started beside
// it, so that its watch keeps the notice.
#pragma once

#include <string>

#include "RunningNotice.h"
#include "StandInViewer.h"

namespace tarvolin_test {

struct NoticeBesideViewer {
  // Opens the viewer, then starts the program; false if either window does not show (Missing says which).
  bool Start(const std::string& program = "Tarvolin.exe");
  // What did not show, for a failure message; empty once both have.
  const char* Missing() const;

  StandInViewer viewer;
  RunningNotice notice;
};

}  // namespace tarvolin_test
