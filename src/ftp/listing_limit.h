#pragma once

#include <cstddef>

namespace quay {

// The most of a listing that is kept. A server may send any amount: the engine stops receiving
// a listing here (the request fails), and the listing reader reads no more than this.
inline constexpr std::size_t kMaxListingBytes = 128u * 1024 * 1024;

}  // namespace quay
