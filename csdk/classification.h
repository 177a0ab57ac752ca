// The engine's answer for a URL or a reply, as the caller reads it.
//
// Owned by the request or reply object that filled it; valid until that
// object's next call or its release. One thread at a time, as its owner.
#pragma once

#include <cstdint>

#include "csdk/category_codes.h"
#include "engine/engine_objects.h"

namespace avex::csdk {

class Classification final : public ClassificationResult {
 public:
  // Codes with a confidence of at least this much are in the category mask.
  static constexpr double kMaskConfidence = 0.5;

  Classification() { Clear(); }

  void Clear();
  void SetConfidences(const Confidences& confidences);
  // Confidence 1 for every code in `mask`, 0 for the others.
  void SetMask(uint32_t mask);

  double getConfidence(int32_t code) override;
  uint32_t getCategoryMask() override;

 private:
  Confidences confidences_;
  uint32_t mask_;
};

}  // namespace avex::csdk
