// Buffers taken with malloc, which fails by returning nothing: the nothrow
// form of new may itself throw on the way, and fail where no exception can be
// made, as in a process short of memory that has not even the room to throw.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace grapho {

struct free_memory {
  void operator()(void* memory) const noexcept { std::free(memory); }
};

template <typename T>
using buffer = std::unique_ptr<T[], free_memory>;

// `size` elements, or none when memory is short.
template <typename T>
buffer<T> allocate_buffer(std::size_t size) noexcept {
  return buffer<T>(static_cast<T*>(std::malloc(size * sizeof(T))));
}

}  // namespace grapho
