#include "NoticeBesideViewer.h"

namespace tarvolin_test {

bool NoticeBesideViewer::Start(const std::string& program) { return viewer.Open() && notice.Start(program); }

const char* NoticeBesideViewer::Missing() const {
  if (viewer.window == nullptr) return "the stand-in viewer's window did not show";
  if (notice.window == nullptr) return "the notice did not show";
  return "";
}

}  // namespace tarvolin_test
