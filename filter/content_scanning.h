// Content scanning: the reply data goes to the engine's reply object, and
// every engine category's confidence is held against the category's level.
// No lock: these work on the request's own state, the scanning object's
// snapshot and the engine objects the request owns.
#pragma once

#include <cstdint>
#include <optional>

#include "filter/filter_context.h"
#include "filter/request_state.h"

namespace avex {

// Feeds one block of reply data. ResultOk, ResultNoSource, ResultIgnore or
// ResultFailed. Once the engine has seen enough, data is acknowledged
// without an engine call.
uint32_t PutData(RequestState& state, const FilterContext& context, const void* data, uint32_t count);

// Decides on the reply fed so far and gives the reply object back.
// ResultPass, ResultReject, ResultIgnore or ResultFailed.
uint32_t CheckData(RequestState& state, const FilterContext& context);

// Records the percentage of every scored row (rows before "Blocked" with a
// response) from `result` and answers the last one enabled in `settings`
// whose level is below its percentage. A confidence query that throws
// scores its row 0 and the walk goes on.
std::optional<int32_t> ScoreCategories(RequestState& state, const FilterSettings& settings,
                                       ClassificationResult* result);

}  // namespace avex
