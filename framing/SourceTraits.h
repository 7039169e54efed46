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

namespace framing {

// True for a source that tells how many bytes it has handed out so far
// through Taken() (bytes read again after Unread counted once): the framer
// then counts every byte of the stream in its class (FramerState::Bytes).
template <class Source, class = void>
struct CountsBytes : std::false_type {};
template <class Source>
struct CountsBytes<Source, std::void_t<decltype(std::declval<const Source&>().Taken())>>
    : std::true_type {};

}  // namespace framing
