#include "csdk/classification.h"

#include "csdk/call_journal.h"

namespace avex::csdk {

void Classification::Clear() {
  confidences_.fill(0.0);
  mask_ = 0;
}

void Classification::SetConfidences(const Confidences& confidences) {
  confidences_ = confidences;
  mask_ = 0;
  for (int32_t code = 0; code < kCategoryCodes; ++code) {
    if (confidences_[code] >= kMaskConfidence) mask_ |= 1u << code;
  }
}

void Classification::SetMask(uint32_t mask) {
  mask_ = mask;
  for (int32_t code = 0; code < kCategoryCodes; ++code) {
    confidences_[code] = (mask >> code) & 1u ? 1.0 : 0.0;
  }
}

double Classification::getConfidence(int32_t code) {
  JournalCall("getConfidence", {code});
  return code >= 0 && code < kCategoryCodes ? confidences_[code] : 0.0;
}

uint32_t Classification::getCategoryMask() {
  JournalCall("getCategoryMask", {});
  return mask_;
}

}  // namespace avex::csdk
