// What a framing byte source offers beyond ReadByte (see Framing.h).
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

namespace framing {

// True for a source that holds its bytes in a buffer and offers them in runs
// through Buffered(count) and Consume(count).
template <class Source, class = void>
struct OffersRuns : std::false_type {};
template <class Source>
struct OffersRuns<Source,
                  std::void_t<decltype(std::declval<Source&>().Buffered(std::declval<size_t&>())),
                              decltype(std::declval<Source&>().Consume(size_t{}))>>
    : std::true_type {};

}  // namespace framing
