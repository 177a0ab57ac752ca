// The decision chain on a request's source: whom it concerns, the manual
// lists, then the engine's knowledge of the URL.
#pragma once

#include <cstdint>
#include <optional>

#include "filter/filter_context.h"
#include "filter/request_state.h"

namespace avex {

// Takes the request's source and decides what the URL alone settles, under
// the shared-data lock: ResultNoSource, ResultIgnore, ResultNotApplicable,
// ResultPass, ResultReject, ResultOk (send the data), or ResultFailed.
uint32_t SetSource(RequestState& state, const FilterContext& context, const char* url,
                   const char* contentType, uint32_t clientAddress, const char* userName);

// The list stages on the stored URL, decided on the live snapshot `config`:
// ResultPass, ResultReject or ResultOk. The caller holds the lock.
uint32_t CheckSource(RequestState& state, const FilterContext& context, const PluginConfiguration& config);

// The engine's category for the stored URL from its URL cache or static list,
// or nothing (also when the engine is missing or fails). The caller holds the lock.
std::optional<int32_t> LookupEngineList(RequestState& state, const FilterContext& context,
                                        const PluginConfiguration& config);

// The category a static-list mask names: the first scored row whose id's bit
// (id modulo 32) is set, or nothing.
std::optional<int32_t> CategoryOfMask(uint32_t mask);

}  // namespace avex
