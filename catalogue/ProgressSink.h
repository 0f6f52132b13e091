// Progress reports of long jobs.
#pragma once

#include <cstdint>

class IProgressSink {
 public:
  // Starts a phase showing the text (empty for null) with the range nLower..nUpper, at nLower.
  virtual void SetStage(int32_t nLower, int32_t nUpper, const char* pszText) = 0;
  // Moves the position by nDelta, or by one step of 1 when nDelta is 0.
  virtual void Step(int32_t nDelta) = 0;
};
